#include "exports/palmaresexport.h"

#include "core/proof/proofreport.h"
#include "core/text/french.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <xlsxwriter.h>
#include <zip.h>

#include <memory>
#include <unordered_map>

namespace sortivo
{

namespace
{

// "2026-12-09 19:01:00", the record's universal time in the local time a spreadsheet's reader
// lives in; the text as it stands when it is no such time.
std::string spreadsheetTime(const std::string& isoTime)
{
    const std::optional<LocalTime> local = localTimeOf(isoTime);
    return local ? local->date + " " + local->time : isoTime;
}

} // namespace

std::optional<PalmaresFormat> palmaresFormatOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"csv")
        return PalmaresFormat::Csv;
    if (suffix == u"xlsx")
        return PalmaresFormat::Xlsx;
    if (suffix == u"ods")
        return PalmaresFormat::Ods;
    return std::nullopt;
}

std::optional<std::string> palmaresRowsRefusal(const QString& path, std::size_t rows)
{
    if (palmaresFormatOf(path) != PalmaresFormat::Xlsx || rows + 1 <= LXW_ROW_MAX)
        return std::nullopt;
    return "Un classeur XLSX ne tient que " + frenchNumber(LXW_ROW_MAX) +
           " lignes : choisissez le format ODS ou CSV.";
}

SourceColumns sourceColumnsOf(const ListTable& table, const std::vector<PalmaresRow>& rows)
{
    // The winners' texts first, then one pass over the table's entries: a list of millions costs
    // a lookup an entry, and memory for the winners only.
    constexpr std::size_t noRow = std::size_t(-1);
    constexpr std::size_t twoRows = std::size_t(-2);
    std::unordered_map<std::string_view, std::size_t> rowOf;
    for (const PalmaresRow& row : rows)
        if (row.result)
            rowOf.emplace(row.winner, noRow);
    for (std::size_t k = 0; k < table.entryRows.size() && k < table.entries->size(); ++k) {
        const auto found = rowOf.find(table.entries->at(k));
        if (found == rowOf.end())
            continue;
        found->second = found->second == noRow || found->second == table.entryRows[k]
                            ? table.entryRows[k]
                            : twoRows;
    }
    // By result: the rows' texts are what the lookup holds.
    auto cellsByResult =
        std::make_shared<std::unordered_map<std::size_t, std::vector<std::string>>>();
    for (const PalmaresRow& row : rows) {
        if (!row.result)
            continue;
        const std::size_t tableRow = rowOf.at(row.winner);
        if (tableRow == noRow || tableRow == twoRows)
            continue;
        std::vector<std::string>& cells = (*cellsByResult)[*row.result];
        for (std::size_t column = 0; column < table.names.size(); ++column)
            cells.emplace_back(table.cells.cell(tableRow, column));
    }
    return {table.names, [cellsByResult](std::size_t result) {
                const auto found = cellsByResult->find(result);
                return found == cellsByResult->end() ? std::vector<std::string>() : found->second;
            }};
}

ExportTable palmaresTable(const std::vector<PalmaresRow>& rows, const SourceColumns& source)
{
    ExportTable table;
    table.header = palmaresHeader;
    table.header.insert(table.header.end(), source.names.begin(), source.names.end());
    table.rowCount = rows.size();
    // A run's rows share its time: converted once for them all.
    auto lastTime = std::make_shared<std::pair<std::string, std::string>>();
    table.row = [&rows, &source, lastTime,
                 width = table.header.size()](std::size_t r, std::vector<ExportCell>& cells) {
        const PalmaresRow& row = rows[r];
        cells.clear();
        cells.push_back({std::to_string(row.rank), true});
        cells.push_back({row.prize, false});
        cells.push_back({row.winner, false});
        cells.push_back({row.run ? std::to_string(*row.run) : std::string(), row.run.has_value()});
        if (!row.time.empty() && row.time != lastTime->first)
            *lastTime = {row.time, spreadsheetTime(row.time)};
        cells.push_back({row.time.empty() ? std::string() : lastTime->second, false});
        cells.push_back({row.status, false});
        if (!source.names.empty() && row.result)
            for (std::string& cell : source.cellsOf(*row.result))
                cells.push_back({std::move(cell), false});
        // Every row as wide as the titles, so that a CSV's rows all have as many fields.
        cells.resize(width);
    };
    return table;
}

namespace
{

// A cell a spreadsheet would take for a formula (or for the start of one, as "-" and "+" are)
// is written after an apostrophe, which spreadsheets show as text. A list comes from anyone who
// registered, and a name "=HYPERLINK(…)" must not run when the organiser opens the file; XLSX and
// ODS say "text" in the file itself and need no such mark.
bool startsLikeFormula(std::string_view text)
{
    return !text.empty() &&
           std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
}

void appendCsvCell(std::string& out, const ExportCell& cell)
{
    std::string_view text = cell.text;
    const bool guarded = !cell.number && startsLikeFormula(text);
    const bool quoted = guarded || text.find_first_of(";\"\r\n") != std::string_view::npos ||
                        (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    if (quoted)
        out += '"';
    if (guarded)
        out += '\'';
    for (const char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    if (quoted)
        out += '"';
}

// Semicolons, the separator of French spreadsheets, whose comma is the decimal one; a byte
// order mark, without which they read UTF-8 as the old Windows code page; CR LF, as RFC 4180.
std::string csvBytes(const ExportTable& table)
{
    std::string out = "\xEF\xBB\xBF";
    const auto appendRow = [&](const std::vector<ExportCell>& cells) {
        for (std::size_t k = 0; k < cells.size(); ++k) {
            if (k > 0)
                out += ';';
            appendCsvCell(out, cells[k]);
        }
        out += "\r\n";
    };
    std::vector<ExportCell> cells;
    for (const std::string& title : table.header)
        cells.push_back({title, false});
    appendRow(cells);
    for (std::size_t row = 0; row < table.rowCount; ++row) {
        table.row(row, cells);
        appendRow(cells);
    }
    return out;
}

// Text for XML: escaped, and the characters XML 1.0 cannot hold made U+FFFD.
void appendXmlText(std::string& out, std::string_view text)
{
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r')
                out += "\xEF\xBF\xBD";
            else
                out += c;
        }
    }
}

// A paragraph of ODF text, whose readers fold runs of spaces into one: each space after the
// first of a run, or at the start, is written as <text:s/>; tabs and line breaks as elements.
void appendOdsParagraph(std::string& out, std::string_view text)
{
    out += "<text:p>";
    std::size_t spaces = 0;
    const auto flushSpaces = [&] {
        if (spaces > 0)
            out += "<text:s text:c=\"" + std::to_string(spaces) + "\"/>";
        spaces = 0;
    };
    bool afterSpace = true;
    std::size_t from = 0;
    for (std::size_t at = 0; at <= text.size(); ++at) {
        const char c = at < text.size() ? text[at] : '\0';
        if (at < text.size() && c != ' ' && c != '\t' && c != '\n' && c != '\r')
            continue;
        if (from < at) {
            flushSpaces();
            appendXmlText(out, text.substr(from, at - from));
            afterSpace = false;
        }
        from = at + 1;
        if (at == text.size())
            break;
        if (c == ' ' && !afterSpace && spaces == 0) {
            out += ' ';
            afterSpace = true;
            continue;
        }
        if (c == ' ') {
            ++spaces;
            continue;
        }
        flushSpaces();
        out += c == '\t' ? "<text:tab/>" : "<text:line-break/>";
        afterSpace = true;
    }
    flushSpaces();
    out += "</text:p>";
}

void appendOdsCell(std::string& out, const ExportCell& cell)
{
    if (cell.text.empty()) {
        out += "<table:table-cell/>";
        return;
    }
    if (cell.number) {
        out += "<table:table-cell office:value-type=\"float\" office:value=\"" + cell.text +
               "\"><text:p>" + cell.text + "</text:p></table:table-cell>";
        return;
    }
    out += "<table:table-cell office:value-type=\"string\">";
    appendOdsParagraph(out, cell.text);
    out += "</table:table-cell>";
}

constexpr std::string_view sheetName = "Palmarès";

std::string odsContent(const ExportTable& table)
{
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<office:document-content "
        "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
        "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" office:version=\"1.2\">"
        "<office:body><office:spreadsheet><table:table table:name=\"";
    out += sheetName;
    out += "\">";
    out += "<table:table-row>";
    for (const std::string& title : table.header)
        appendOdsCell(out, {title, false});
    out += "</table:table-row>";
    std::vector<ExportCell> cells;
    for (std::size_t row = 0; row < table.rowCount; ++row) {
        table.row(row, cells);
        out += "<table:table-row>";
        for (const ExportCell& cell : cells)
            appendOdsCell(out, cell);
        out += "</table:table-row>";
    }
    out += "</table:table></office:spreadsheet></office:body></office:document-content>\n";
    return out;
}

constexpr std::string_view odsMimeType = "application/vnd.oasis.opendocument.spreadsheet";
constexpr std::string_view odsManifest =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" "
    "manifest:version=\"1.2\">\n"
    " <manifest:file-entry manifest:full-path=\"/\" manifest:version=\"1.2\" "
    "manifest:media-type=\"application/vnd.oasis.opendocument.spreadsheet\"/>\n"
    " <manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\"/>\n"
    "</manifest:manifest>\n";

Refusal zipRefusal(zip_error_t* error)
{
    return Refusal{std::string("Impossible de créer le classeur ODS : ") +
                   zip_error_strerror(error) + "."};
}

// The OpenDocument container: the mimetype first and stored, that a program finds it at a fixed
// place, then the manifest and the content. Built in memory, so only the atomic writer touches
// the disk.
Expected<std::string> odsBytes(const ExportTable& table)
{
    const std::string content = odsContent(table);
    zip_error_t error;
    zip_error_init(&error);
    const std::unique_ptr<zip_source_t, decltype(&zip_source_free)> buffer(
        zip_source_buffer_create(nullptr, 0, 0, &error), &zip_source_free);
    if (!buffer)
        return zipRefusal(&error);
    zip_source_keep(buffer.get());
    zip_t* archive = zip_open_from_source(buffer.get(), ZIP_TRUNCATE, &error);
    if (!archive) {
        zip_source_free(buffer.get());
        return zipRefusal(&error);
    }
    const auto add = [&](const char* name, std::string_view bytes, bool store) {
        zip_source_t* source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
        if (!source)
            return false;
        const zip_int64_t index = zip_file_add(archive, name, source, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            return false;
        }
        return zip_set_file_compression(archive, zip_uint64_t(index),
                                        store ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0) == 0;
    };
    if (!add("mimetype", odsMimeType, true) || !add("META-INF/manifest.xml", odsManifest, false) ||
        !add("content.xml", content, false) || zip_close(archive) != 0) {
        const Refusal why = zipRefusal(zip_get_error(archive));
        zip_discard(archive);
        return why;
    }
    zip_stat_t stat;
    std::string bytes;
    if (zip_source_stat(buffer.get(), &stat) != 0 || zip_source_open(buffer.get()) != 0)
        return zipRefusal(zip_source_error(buffer.get()));
    bytes.resize(std::size_t(stat.size));
    const zip_int64_t read = zip_source_read(buffer.get(), bytes.data(), stat.size);
    zip_source_close(buffer.get());
    if (read < 0 || zip_uint64_t(read) != stat.size)
        return zipRefusal(zip_source_error(buffer.get()));
    return bytes;
}

// libxlsxwriter writes to a file it names itself: a private temporary one, read back and then
// removed, so that the target is only ever written by the atomic writer.
Expected<std::string> xlsxBytes(const ExportTable& table)
{
    if (const std::optional<std::string> tooMany =
            palmaresRowsRefusal(QStringLiteral("palmares.xlsx"), table.rowCount))
        return Refusal{*tooMany};
    if (table.header.size() > LXW_COL_MAX)
        return Refusal{"Un classeur XLSX ne tient que " + frenchNumber(LXW_COL_MAX) +
                       " colonnes : choisissez le format ODS ou CSV."};
    const QTemporaryDir folder;
    if (!folder.isValid())
        return Refusal{
            "Impossible de créer le classeur XLSX : " + folder.errorString().toStdString() + "."};
    const QByteArray path = QFile::encodeName(folder.filePath(QStringLiteral("palmares.xlsx")));
    lxw_workbook_options options{};
    // Rows go out as they are written: a list of millions is never held twice in memory.
    options.constant_memory = LXW_TRUE;
    const QByteArray temporaries = QFile::encodeName(folder.path());
    options.tmpdir = const_cast<char*>(temporaries.constData());
    lxw_workbook* workbook = workbook_new_opt(path.constData(), &options);
    if (!workbook)
        return Refusal{"Impossible de créer le classeur XLSX."};
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, std::string(sheetName).c_str());
    lxw_format* bold = workbook_add_format(workbook);
    format_set_bold(bold);
    lxw_error failed = LXW_NO_ERROR;
    worksheet_freeze_panes(sheet, 1, 0);
    for (lxw_col_t column = 0; column < table.header.size() && !failed; ++column)
        failed = worksheet_set_column(sheet, column, column, column == 2 ? 32 : 14, nullptr);
    const auto write = [&](lxw_row_t row, lxw_col_t column, const ExportCell& cell,
                           lxw_format* format) {
        if (failed || cell.text.empty())
            return;
        failed = cell.number
                     ? worksheet_write_number(sheet, row, column, std::stod(cell.text), format)
                     : worksheet_write_string(sheet, row, column, cell.text.c_str(), format);
    };
    for (lxw_col_t column = 0; column < table.header.size(); ++column)
        write(0, column, {table.header[column], false}, bold);
    std::vector<ExportCell> cells;
    for (std::size_t row = 0; row < table.rowCount && !failed; ++row) {
        table.row(row, cells);
        for (lxw_col_t column = 0; column < cells.size(); ++column)
            write(lxw_row_t(row + 1), column, cells[column], nullptr);
    }
    const lxw_error closed = workbook_close(workbook);
    if (failed == LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED)
        return Refusal{"Une cellule XLSX ne tient que 32 767 caractères : choisissez le format "
                       "ODS ou CSV."};
    if (failed || closed)
        return Refusal{std::string("Impossible de créer le classeur XLSX : ") +
                       lxw_strerror(failed ? failed : closed) + "."};
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly))
        return Refusal{
            "Impossible de relire le classeur XLSX : " + file.errorString().toStdString() + "."};
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

} // namespace

Expected<std::string> exportBytes(const ExportTable& table, PalmaresFormat format)
{
    switch (format) {
    case PalmaresFormat::Csv:
        return csvBytes(table);
    case PalmaresFormat::Xlsx:
        return xlsxBytes(table);
    case PalmaresFormat::Ods:
        return odsBytes(table);
    }
    return Refusal{"Format inconnu."};
}

} // namespace sortivo
