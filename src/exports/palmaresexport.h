#pragma once

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

struct ExportTable {
    std::vector<std::string> header;
    std::vector<std::vector<ExportCell>> rows;
};

// The columns of the table a list came from, for its winners: their titles and a result's
// cells, by its index in draw order (fewer cells than titles leave the others empty).
struct SourceColumns {
    std::vector<std::string> names;
    std::function<std::vector<std::string>(std::size_t)> cellsOf;
};

// An ISO 8601 time in universal time, as the record keeps it, in local time as a spreadsheet
// user reads it, "2026-12-09 19:01:00"; the text as it stands when it is no such time.
std::string localTimeOf(const std::string& isoTime);

// The rows under palmaresHeader, the source's columns after them; rank and run as numbers.
ExportTable palmaresTable(const std::vector<PalmaresRow>& rows, const SourceColumns& source = {});

// The file's bytes, or why it cannot hold the table, in French.
Expected<std::string> exportBytes(const ExportTable& table, PalmaresFormat format);

} // namespace sortivo
