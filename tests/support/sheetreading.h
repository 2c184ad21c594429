#pragma once

#include "sheets/sheetbook.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <optional>
#include <string>
#include <string_view>

// A written workbook as the program's own reader finds it, in text a test can compare.
struct SheetText {
    std::string name;
    // Each row as wide as the sheet.
    QList<QStringList> rows;
};

// The workbook's only sheet; nothing unless `bytes` are a workbook of exactly one sheet.
inline std::optional<SheetText> onlySheet(const std::string& bytes)
{
    const auto sheets =
        sortivo::readSheetBook(bytes, sortivo::spreadsheetKind(bytes), {}, std::atomic<bool>());
    if (!sheets || sheets->size() != 1)
        return std::nullopt;
    const sortivo::CellTable& cells = sheets->front().table;
    SheetText sheet{sheets->front().name, {}};
    for (std::size_t row = 0; row < cells.rowCount(); ++row) {
        QStringList line;
        for (std::size_t column = 0; column < cells.columnCount(); ++column) {
            const std::string_view cell = cells.cell(row, column);
            line << QString::fromUtf8(cell.data(), qsizetype(cell.size()));
        }
        sheet.rows << line;
    }
    return sheet;
}
