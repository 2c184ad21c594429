#include "sheets/sheetbook.h"

#include <QString>
#include <QXmlStreamReader>

#include <zip.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <unordered_set>

namespace sortivo
{

namespace
{

const std::string cannotOpen = "Impossible d'ouvrir le fichier : ";
const std::string damaged = cannotOpen + "le classeur est endommagé.";
const std::string xmlDeclarations =
    cannotOpen + "il contient une déclaration DOCTYPE ou des entités XML, qui ne sont pas lues.";
constexpr std::size_t maxColumns = 16384;

struct ZipCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct ZipFileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using Archive = std::unique_ptr<zip_t, ZipCloser>;

// The archive over the file's bytes, which it does not own.
Archive openArchive(std::string_view bytes)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    zip_error_fini(&error);
    if (!source)
        return nullptr;
    zip_error_init(&error);
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    zip_error_fini(&error);
    if (!archive)
        zip_source_free(source);
    return Archive(archive);
}

bool hasEntry(zip_t* archive, const char* name)
{
    return zip_name_locate(archive, name, 0) >= 0;
}

std::string entryText(zip_t* archive, const char* name, std::size_t largest)
{
    zip_stat_t stat;
    if (zip_stat(archive, name, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE) ||
        stat.size > largest)
        return {};
    std::unique_ptr<zip_file_t, ZipFileCloser> file(zip_fopen(archive, name, 0));
    if (!file)
        return {};
    std::string text(std::size_t(stat.size), '\0');
    const zip_int64_t got = zip_fread(file.get(), text.data(), stat.size);
    return got == zip_int64_t(stat.size) ? text : std::string();
}

// One part of the archive read as XML a piece at a time, so that a large sheet never lies
// whole in memory. Declarations are refused at once: entities are never expanded.
class XmlPart
{
public:
    XmlPart(zip_t* archive, const std::string& name, std::uint64_t& budget,
            const std::atomic<bool>& cancelled, std::string& error)
        : m_budget(budget), m_cancelled(cancelled), m_error(error)
    {
        zip_stat_t stat;
        if (zip_stat(archive, name.c_str(), 0, &stat) == 0)
            m_file.reset(zip_fopen(archive, name.c_str(), 0));
        if (!m_file)
            m_error = damaged;
    }
    QXmlStreamReader& xml() { return m_xml; }
    // The next token; false at the end of the part, on an error (told in `error`) or when
    // cancelled.
    bool next()
    {
        if (!m_file)
            return false;
        for (;;) {
            const QXmlStreamReader::TokenType token = m_xml.readNext();
            if (token == QXmlStreamReader::Invalid) {
                if (m_xml.error() == QXmlStreamReader::PrematureEndOfDocumentError && !m_ended) {
                    if (!refill())
                        return false;
                    continue;
                }
                m_error = damaged;
                return false;
            }
            if (token == QXmlStreamReader::DTD || token == QXmlStreamReader::EntityReference) {
                m_error = xmlDeclarations;
                return false;
            }
            return token != QXmlStreamReader::EndDocument;
        }
    }
    // The local name of the element just started or ended.
    bool is(const char* name) const { return m_xml.name() == QLatin1StringView(name); }
    QString attribute(const char* name) const
    {
        for (const QXmlStreamAttribute& a : m_xml.attributes())
            if (a.name() == QLatin1StringView(name))
                return a.value().toString();
        return {};
    }

private:
    bool refill()
    {
        if (m_cancelled.load(std::memory_order_relaxed))
            return false;
        constexpr std::size_t piece = 256 * 1024;
        QByteArray bytes(qsizetype(piece), Qt::Uninitialized);
        const zip_int64_t got = zip_fread(m_file.get(), bytes.data(), piece);
        if (got < 0) {
            m_error = damaged;
            return false;
        }
        // The sizes the archive declares were checked; a part that inflates past them lies.
        if (std::uint64_t(got) > m_budget) {
            m_error = damaged;
            return false;
        }
        m_budget -= std::uint64_t(got);
        if (got == 0)
            m_ended = true;
        bytes.resize(qsizetype(got));
        m_xml.addData(bytes);
        return true;
    }

    std::unique_ptr<zip_file_t, ZipFileCloser> m_file;
    QXmlStreamReader m_xml;
    std::uint64_t& m_budget;
    const std::atomic<bool>& m_cancelled;
    std::string& m_error;
    bool m_ended = false;
};

// The sizes and methods the archive declares, checked before anything is inflated.
std::string checkArchive(zip_t* archive, const SheetLimits& limits, std::uint64_t& total)
{
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    total = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        if (zip_stat_index(archive, zip_uint64_t(i), 0, &stat) != 0)
            return damaged;
        if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)
            return cannotOpen + "le classeur est chiffré.";
        if (!(stat.valid & ZIP_STAT_SIZE) || !(stat.valid & ZIP_STAT_COMP_SIZE))
            return damaged;
        total += stat.size;
        if (total > limits.largestContent)
            return cannotOpen + "décompressé, il dépasserait 1 Go.";
        if (stat.size > limits.largestRatio * std::max<zip_uint64_t>(stat.comp_size, 1))
            return cannotOpen + "il se décompresse plus de 1 000 fois, comme une archive piégée.";
    }
    return {};
}

void appendUtf8(std::string& out, const QString& text)
{
    out += text.toStdString();
}

// "AB12" -> 27 (from 0); nothing for a reference without letters.
std::optional<std::size_t> columnOfReference(const QString& reference)
{
    std::size_t column = 0;
    qsizetype i = 0;
    for (; i < reference.size() && reference[i].isLetter(); ++i) {
        column = column * 26 + std::size_t(reference[i].toUpper().unicode() - 'A' + 1);
        if (column > maxColumns)
            return std::nullopt;
    }
    if (i == 0)
        return std::nullopt;
    return column - 1;
}

std::string dayMonthYear(int year, unsigned month, unsigned day)
{
    char text[40];
    std::snprintf(text, sizeof text, "%02u/%02u/%04d", day, month, year);
    return text;
}

// The civil date `days` after 1970-01-01 (Howard Hinnant's algorithm).
std::string dateOfDays(long long days)
{
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const auto doe = unsigned(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned day = doy - (153 * mp + 2) / 5 + 1;
    const unsigned month = mp < 10 ? mp + 3 : mp - 9;
    return dayMonthYear(int(yoe + era * 400 + (month <= 2)), month, day);
}

// A number as a French spreadsheet shows it in its general format: a whole number without
// decimals, others with a decimal comma.
std::string shownNumber(double value)
{
    if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15) {
        char text[32];
        std::snprintf(text, sizeof text, "%.0f", value);
        return text;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", value);
    std::string shown = text;
    for (char& c : shown)
        if (c == '.')
            c = ',';
    return shown;
}

std::optional<double> numberOf(const std::string& text)
{
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

bool isDateFormatCode(QString code)
{
    // Quoted text, escaped characters and [colour] or [locale] parts say nothing of the kind.
    QString bare;
    bool quoted = false;
    int bracket = 0;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (c == u'"')
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == u'\\')
            ++i;
        else if (c == u'[')
            ++bracket;
        else if (c == u']')
            bracket = std::max(0, bracket - 1);
        else if (bracket == 0)
            bare += c.toLower();
    }
    return bare.contains(u'd') || bare.contains(u'y');
}

bool isBuiltInDateFormat(int id)
{
    return (id >= 14 && id <= 17) || id == 22 || (id >= 27 && id <= 36) || (id >= 50 && id <= 58);
}

std::string tooManyRows(const SheetLimits& limits)
{
    return cannotOpen + "la liste dépasse " + frenchNumber(limits.maxRows - 1) + " lignes.";
}

struct XlsxStyles {
    std::vector<bool> dateStyles; // by the cell's style index
    bool date1904 = false;
};

XlsxStyles readStyles(zip_t* archive, std::uint64_t& budget, const std::atomic<bool>& cancelled,
                      std::string& error)
{
    XlsxStyles styles;
    if (!hasEntry(archive, "xl/styles.xml"))
        return styles;
    XmlPart part(archive, "xl/styles.xml", budget, cancelled, error);
    std::map<int, bool> custom;
    bool inCellFormats = false;
    while (part.next()) {
        if (part.xml().isStartElement()) {
            if (part.is("numFmt"))
                custom[part.attribute("numFmtId").toInt()] =
                    isDateFormatCode(part.attribute("formatCode"));
            else if (part.is("cellXfs"))
                inCellFormats = true;
            else if (inCellFormats && part.is("xf")) {
                const int id = part.attribute("numFmtId").toInt();
                const auto found = custom.find(id);
                styles.dateStyles.push_back(found != custom.end() ? found->second
                                                                  : isBuiltInDateFormat(id));
            }
        } else if (part.xml().isEndElement() && part.is("cellXfs")) {
            inCellFormats = false;
        }
    }
    return styles;
}

// The text of every <si>, rich-text runs joined, phonetic guides left out.
std::vector<std::string> readSharedStrings(zip_t* archive, const std::string& name,
                                           std::uint64_t& budget,
                                           const std::atomic<bool>& cancelled, std::string& error)
{
    std::vector<std::string> strings;
    if (!hasEntry(archive, name.c_str()))
        return strings;
    XmlPart part(archive, name, budget, cancelled, error);
    bool inText = false;
    int phonetic = 0;
    while (part.next()) {
        QXmlStreamReader& xml = part.xml();
        if (xml.isStartElement()) {
            if (part.is("si"))
                strings.emplace_back();
            else if (part.is("rPh"))
                ++phonetic;
            else if (part.is("t"))
                inText = phonetic == 0 && !strings.empty();
        } else if (xml.isEndElement()) {
            if (part.is("rPh"))
                --phonetic;
            else if (part.is("t"))
                inText = false;
        } else if (xml.isCharacters() && inText) {
            appendUtf8(strings.back(), xml.text().toString());
        }
    }
    return strings;
}

struct XlsxCell {
    std::string type;
    int style = 0;
    std::string value;
};

std::string shownXlsxCell(const XlsxCell& cell, const std::vector<std::string>& shared,
                          const XlsxStyles& styles)
{
    if (cell.type == "s") {
        const std::optional<double> index = numberOf(cell.value);
        return index && *index >= 0 && *index < double(shared.size()) ? shared[std::size_t(*index)]
                                                                      : std::string();
    }
    if (cell.type == "inlineStr" || cell.type == "str" || cell.type == "e" || cell.type == "d")
        return cell.value;
    if (cell.type == "b")
        return cell.value == "1" ? "VRAI" : cell.value == "0" ? "FAUX" : cell.value;
    const std::optional<double> number = numberOf(cell.value);
    if (!number)
        return cell.value;
    const bool date = cell.style >= 0 && std::size_t(cell.style) < styles.dateStyles.size() &&
                      styles.dateStyles[std::size_t(cell.style)];
    if (date && *number >= 0 && *number < 3e6) {
        const auto serial = static_cast<long long>(std::floor(*number));
        // 1900 counts a 29 February that never was, from serial 60 on.
        if (styles.date1904)
            return dateOfDays(serial - 24107);
        return dateOfDays(serial - (serial >= 60 ? 25569 : 25568));
    }
    return shownNumber(*number);
}

bool readXlsxSheet(zip_t* archive, const std::string& name, const std::vector<std::string>& shared,
                   const XlsxStyles& styles, std::uint64_t& budget, const SheetLimits& limits,
                   const std::atomic<bool>& cancelled, CellTable& table, std::string& error)
{
    XmlPart part(archive, name, budget, cancelled, error);
    std::size_t nextRow = 1;
    std::size_t nextColumn = 0;
    std::optional<XlsxCell> cell;
    bool inValue = false;
    bool inInline = false;
    int phonetic = 0;
    while (part.next()) {
        QXmlStreamReader& xml = part.xml();
        if (xml.isStartElement()) {
            if (part.is("row")) {
                // Rows left out of the file are empty; a row without a number is the next.
                const std::size_t row = part.attribute("r").toULongLong();
                if (row > nextRow) {
                    if (row - nextRow > limits.maxRows) {
                        error = tooManyRows(limits);
                        return false;
                    }
                    table.addEmptyRows(row - nextRow);
                    nextRow = row;
                }
                ++nextRow;
                nextColumn = 0;
            } else if (part.is("c")) {
                const std::optional<std::size_t> column = columnOfReference(part.attribute("r"));
                if (column && *column > nextColumn)
                    table.addEmptyCells(*column - nextColumn);
                if (column && *column >= nextColumn)
                    nextColumn = *column;
                cell = XlsxCell{part.attribute("t").toStdString(), part.attribute("s").toInt(), {}};
            } else if (part.is("v") && cell) {
                inValue = true;
            } else if (part.is("is")) {
                inInline = true;
            } else if (part.is("rPh")) {
                ++phonetic;
            } else if (part.is("t") && inInline && phonetic == 0) {
                inValue = true;
            }
        } else if (xml.isEndElement()) {
            if (part.is("v") || part.is("t")) {
                inValue = false;
            } else if (part.is("is")) {
                inInline = false;
            } else if (part.is("rPh")) {
                --phonetic;
            } else if (part.is("c") && cell) {
                if (nextColumn < maxColumns)
                    table.addCell(shownXlsxCell(*cell, shared, styles));
                ++nextColumn;
                cell.reset();
            } else if (part.is("row")) {
                table.endRow();
                if (table.rowCount() > limits.maxRows) {
                    error = tooManyRows(limits);
                    return false;
                }
            }
        } else if (xml.isCharacters() && inValue && cell) {
            appendUtf8(cell->value, xml.text().toString());
        }
    }
    return error.empty();
}

// The parts named by the workbook's relations, by their id.
std::map<QString, std::string> readRelations(zip_t* archive, std::uint64_t& budget,
                                             const std::atomic<bool>& cancelled, std::string& error)
{
    std::map<QString, std::string> targets;
    XmlPart part(archive, "xl/_rels/workbook.xml.rels", budget, cancelled, error);
    while (part.next()) {
        if (part.xml().isStartElement() && part.is("Relationship")) {
            std::string target = part.attribute("Target").toStdString();
            target = target.starts_with('/') ? target.substr(1) : "xl/" + target;
            targets[part.attribute("Id")] = target;
        }
    }
    return targets;
}

void readXlsx(zip_t* archive, std::uint64_t budget, const SheetLimits& limits,
              const std::atomic<bool>& cancelled, SheetBook& book)
{
    std::string& error = book.error;
    std::vector<std::pair<std::string, QString>> sheets; // name, relation id
    bool date1904 = false;
    {
        XmlPart part(archive, "xl/workbook.xml", budget, cancelled, error);
        while (part.next()) {
            if (!part.xml().isStartElement())
                continue;
            if (part.is("workbookPr")) {
                const QString value = part.attribute("date1904");
                date1904 = value == u"1" || value == u"true";
            } else if (part.is("sheet")) {
                sheets.emplace_back(part.attribute("name").toStdString(), part.attribute("id"));
            }
        }
    }
    if (!error.empty())
        return;
    const std::map<QString, std::string> relations =
        readRelations(archive, budget, cancelled, error);
    XlsxStyles styles = readStyles(archive, budget, cancelled, error);
    styles.date1904 = date1904;
    const std::vector<std::string> shared =
        readSharedStrings(archive, "xl/sharedStrings.xml", budget, cancelled, error);
    if (!error.empty())
        return;
    for (const auto& [name, id] : sheets) {
        const auto target = relations.find(id);
        // A chart sheet has no cells: it is no list.
        if (target == relations.end() || !target->second.starts_with("xl/worksheets/") ||
            !hasEntry(archive, target->second.c_str()))
            continue;
        Sheet& sheet = book.sheets.emplace_back();
        sheet.name = name;
        if (!readXlsxSheet(archive, target->second, shared, styles, budget, limits, cancelled,
                           sheet.table, error))
            return;
    }
}

// ODS cells: the text the spreadsheet shows is stored with each cell, but for numbers and
// dates, which are written from their value so that both formats show them alike.
struct OdsCell {
    std::string valueType;
    std::string value;
    std::string text;
    std::size_t repeat = 1;
    bool anyParagraph = false;
};

std::string shownOdsCell(const OdsCell& cell)
{
    if (cell.valueType == "float") {
        if (const std::optional<double> number = numberOf(cell.value))
            return shownNumber(*number);
    } else if (cell.valueType == "date" && cell.value.size() >= 10) {
        const std::string& v = cell.value;
        return v.substr(8, 2) + "/" + v.substr(5, 2) + "/" + v.substr(0, 4);
    }
    return cell.text;
}

std::size_t repeatOf(const QString& text, std::size_t largest)
{
    const qulonglong n = text.toULongLong();
    return n == 0 ? 1 : std::min<std::size_t>(n, largest);
}

void readOds(zip_t* archive, std::uint64_t budget, const SheetLimits& limits,
             const std::atomic<bool>& cancelled, SheetBook& book)
{
    std::string& error = book.error;
    XmlPart part(archive, "content.xml", budget, cancelled, error);
    Sheet* sheet = nullptr;
    std::optional<OdsCell> cell;
    std::vector<std::pair<std::string, std::size_t>> rowCells; // text, repeat
    std::size_t rowRepeat = 1;
    int annotation = 0;
    int tableDepth = 0;
    while (part.next()) {
        QXmlStreamReader& xml = part.xml();
        if (xml.isStartElement()) {
            if (part.is("table")) {
                if (tableDepth++ == 0) {
                    sheet = &book.sheets.emplace_back();
                    sheet->name = part.attribute("name").toStdString();
                }
            } else if (!sheet || tableDepth != 1) {
                continue;
            } else if (part.is("annotation")) {
                ++annotation;
            } else if (annotation > 0) {
                continue;
            } else if (part.is("table-row")) {
                rowCells.clear();
                rowRepeat = repeatOf(part.attribute("number-rows-repeated"), limits.maxRows + 1);
            } else if (part.is("table-cell") || part.is("covered-table-cell")) {
                QString value = part.attribute("value-type") == u"date"
                                    ? part.attribute("date-value")
                                    : part.attribute("value");
                cell = OdsCell{part.attribute("value-type").toStdString(),
                               value.toStdString(),
                               {},
                               repeatOf(part.attribute("number-columns-repeated"), maxColumns),
                               false};
            } else if (cell && part.is("p")) {
                if (cell->anyParagraph)
                    cell->text += '\n';
                cell->anyParagraph = true;
            } else if (cell && part.is("s")) {
                cell->text.append(repeatOf(part.attribute("c"), 1000), ' ');
            } else if (cell && (part.is("tab") || part.is("line-break"))) {
                cell->text += ' ';
            }
        } else if (xml.isEndElement()) {
            if (part.is("table")) {
                --tableDepth;
            } else if (!sheet || tableDepth != 1) {
                continue;
            } else if (part.is("annotation")) {
                --annotation;
            } else if (annotation > 0) {
                continue;
            } else if ((part.is("table-cell") || part.is("covered-table-cell")) && cell) {
                rowCells.emplace_back(shownOdsCell(*cell), cell->repeat);
                cell.reset();
            } else if (part.is("table-row")) {
                const bool empty = std::all_of(rowCells.begin(), rowCells.end(),
                                               [](const auto& c) { return c.first.empty(); });
                if (empty) {
                    sheet->table.addEmptyRows(rowRepeat);
                    continue;
                }
                for (std::size_t r = 0; r < rowRepeat; ++r) {
                    std::size_t width = 0;
                    for (const auto& [text, repeat] : rowCells) {
                        const std::size_t n =
                            std::min(repeat, maxColumns - std::min(width, maxColumns));
                        if (text.empty())
                            sheet->table.addEmptyCells(n);
                        else
                            for (std::size_t k = 0; k < n; ++k)
                                sheet->table.addCell(text);
                        width += n;
                    }
                    sheet->table.endRow();
                    if (sheet->table.rowCount() > limits.maxRows) {
                        error = tooManyRows(limits);
                        return;
                    }
                }
            }
        } else if (xml.isCharacters() && cell && annotation == 0) {
            appendUtf8(cell->text, xml.text().toString());
        }
    }
}

} // namespace

SheetKind spreadsheetKind(std::string_view bytes)
{
    if (!bytes.starts_with("PK\x03\x04"))
        return SheetKind::None;
    const Archive archive = openArchive(bytes);
    if (!archive)
        return SheetKind::DamagedZip;
    if (hasEntry(archive.get(), "xl/workbook.xml") &&
        hasEntry(archive.get(), "[Content_Types].xml"))
        return SheetKind::Xlsx;
    if (hasEntry(archive.get(), "mimetype") && entryText(archive.get(), "mimetype", 256) ==
                                                   "application/vnd.oasis.opendocument.spreadsheet")
        return SheetKind::Ods;
    return SheetKind::None;
}

SheetBook readSheetBook(std::string_view bytes, SheetKind kind, const SheetLimits& limits,
                        const std::atomic<bool>& cancelled)
{
    SheetBook book;
    const Archive archive = kind == SheetKind::DamagedZip ? nullptr : openArchive(bytes);
    if (!archive) {
        book.error = damaged;
        return book;
    }
    std::uint64_t budget = 0;
    book.error = checkArchive(archive.get(), limits, budget);
    if (!book.error.empty())
        return book;
    if (kind == SheetKind::Xlsx)
        readXlsx(archive.get(), budget, limits, cancelled, book);
    else if (kind == SheetKind::Ods)
        readOds(archive.get(), budget, limits, cancelled, book);
    if (book.error.empty() && book.sheets.empty() && !cancelled.load())
        book.error = cannotOpen + "le classeur n'a aucune feuille.";
    if (!book.error.empty())
        book.sheets.clear();
    return book;
}

} // namespace sortivo
