#pragma once

#include "core/proof/loadedlist.h"
#include "core/proof/palmaresrows.h"
#include "core/text/expected.h"

#include <QString>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The palmarès written for a spreadsheet: CSV, XLSX or ODS, as bytes the caller hands to the
// one atomic writer. QtCore, libzip and libxlsxwriter only, so that `sortivo tirer` writes the
// same file as the window.
namespace sortivo
{

enum class PalmaresFormat { Csv, Xlsx, Ods };

// The format a file's name asks for by its suffix, in any case; nothing for any other.
std::optional<PalmaresFormat> palmaresFormatOf(const QString& path);

// A cell: a text, or a whole number a spreadsheet may count with.
struct ExportCell {
    std::string text;
    bool number = false;
};

// A table as the writers read it: its titles, then its rows one at a time, each made when it
// is written, so that a palmarès of millions is never held twice.
struct ExportTable {
    std::vector<std::string> header;
    std::size_t rowCount = 0;
    // Fills `cells` with row `row` (from 0, under the titles), as many as the titles.
    std::function<void(std::size_t row, std::vector<ExportCell>& cells)> row;
};

// The columns of the table a list came from, for its winners: their titles and a result's
// cells, by its index in draw order (fewer cells than titles leave the others empty).
struct SourceColumns {
    std::vector<std::string> names;
    std::function<std::vector<std::string>(std::size_t)> cellsOf;
};

// The columns of `table` for the winners of `rows`, each found by its text among the entries the
// table gave: the list may since have lost its drawn entries, or been edited. A text that more
// than one row gave names none of them, and gets no cells.
SourceColumns sourceColumnsOf(const ListTable& table, const std::vector<PalmaresRow>& rows);

// The rows under palmaresHeader, the source's columns after them; rank and run as numbers.
// `rows` and `source` are read as the table is written: they must outlive it.
ExportTable palmaresTable(const std::vector<PalmaresRow>& rows, const SourceColumns& source = {});

// Why a file at `path` cannot hold `rows` rows under its titles, in French; nothing when it can.
std::optional<std::string> palmaresRowsRefusal(const QString& path, std::size_t rows);

// The file's bytes, or why it cannot hold the table, in French.
Expected<std::string> exportBytes(const ExportTable& table, PalmaresFormat format);

} // namespace sortivo
