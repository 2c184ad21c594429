#pragma once

#include "core/list/celltable.h"
#include "sheets/sheetbook.h"

#include <QDialog>

#include <memory>
#include <optional>
#include <vector>

class EntryCounter;
class Platform;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;

// frmColonnes: which sheet, or for a delimited file which separator, whether the first row
// holds titles, which columns make an entry and which, if any, counts the tickets of a row,
// with a preview of the rows, the first entry and the counts as they will be. A new choice is
// counted, and a file read again at another separator, off the window's thread, the pointer busy
// meanwhile; OK waits for it.
class ColumnsDialog : public QDialog
{
    Q_OBJECT
public:
    // `sheets` stay owned by the caller and must outlive the dialog; `entries` are the first
    // sheet's by `choice`, counted with their duplicates kept. A delimited file's text, read
    // at `separator` into the one sheet, is given too (and outlives the dialog); else null.
    ColumnsDialog(std::vector<sortivo::Sheet>& sheets, const sortivo::ColumnChoice& choice,
                  sortivo::TableEntries entries, const std::string* delimitedText, char separator,
                  Platform& platform, QWidget* parent);
    ~ColumnsDialog() override;

    std::size_t sheetIndex() const;
    // Whether the first row was taken for the titles.
    bool titles() const;
    // Once accepted: the entries as the dialog last told them, duplicates dropped if asked.
    sortivo::TableEntries takeEntries();

public slots:
    // Waits for a count in progress, and accepts only a choice that makes entries.
    void accept() override;

private:
    void showSheet(const sortivo::ColumnChoice& choice);
    void showTicketCounts(const std::vector<std::string>& names, std::optional<std::size_t> chosen);
    // Whether dropping the duplicates may go on: asked when some differ in a column left out.
    bool dropsOnlyTrueDuplicates();
    void chooseSheet();
    void chooseSeparator();
    void separatorRead(const sortivo::ColumnChoice& choice, std::size_t unclosedQuoteLine,
                       const std::string& refusal);
    void enableTableControls(bool enabled);
    void recount();
    void counted(std::shared_ptr<sortivo::TableEntries> entries);
    void showEntries();
    // Whether OK may take what was counted: entries, from a table read whole.
    bool takesEntries() const;
    void setBusy(bool busy);
    sortivo::ColumnChoice choice() const;
    const sortivo::CellTable& table() const;

    const std::vector<sortivo::Sheet>& m_sheets;
    // Where the quote left open at the separator chosen opened; 0 when none was.
    std::size_t m_unclosedQuoteLine = 0;
    // Why the table read at the separator chosen is past its limits; empty when it is not.
    QString m_refusal;
    Platform& m_platform;
    QComboBox* m_sheetChoice;
    QComboBox* m_separator;
    QTableWidget* m_preview;
    QCheckBox* m_titles;
    QListWidget* m_columns;
    QComboBox* m_ticketCount;
    QLabel* m_example;
    QLabel* m_count;
    QCheckBox* m_dropDuplicates;
    QPushButton* m_ok;
    EntryCounter* m_counter;
    // Those of the choice shown; none while it is being counted.
    std::optional<sortivo::TableEntries> m_entries;
    bool m_acceptWhenCounted = false;
    bool m_busy = false;
};
