#pragma once

#include "core/celltable.h"
#include "sheets/sheetbook.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QTableWidget;

// frmColonnes: which sheet, whether the first row holds titles, and which columns make an
// entry, with a preview of the rows, the first entry and the counts as they will be.
class ColumnsDialog : public QDialog
{
    Q_OBJECT
public:
    // `sheets` stay owned by the caller and must outlive the dialog.
    ColumnsDialog(const std::vector<sortivo::Sheet>& sheets, bool unclosedQuote, QWidget* parent);

    std::size_t sheetIndex() const;
    sortivo::ColumnChoice choice() const;

private:
    void showSheet();
    void showEntries();
    const sortivo::CellTable& table() const;

    const std::vector<sortivo::Sheet>& m_sheets;
    const bool m_unclosedQuote;
    QComboBox* m_sheetChoice;
    QTableWidget* m_preview;
    QCheckBox* m_titles;
    QListWidget* m_columns;
    QLabel* m_example;
    QLabel* m_count;
    QCheckBox* m_dropDuplicates;
};
