#include "sheets/sheetbook.h"

#include "core/text/french.h"

#include <QFuture>
#include <QString>
#include <QStringEncoder>
#include <QThreadPool>
#include <QXmlStreamReader>
#include <QtConcurrent/QtConcurrentRun>

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

// What the readers below fill: the sheets so far, or why the file is refused.
struct SheetBook {
    std::vector<Sheet> sheets;
    std::string error;
};

const std::string cannotOpen = "Impossible d'ouvrir le fichier : ";
const std::string damaged = cannotOpen + "le classeur est endommagé.";
const std::string xmlDeclarations =
    cannotOpen + "il contient une déclaration DOCTYPE ou des entités XML, qui ne sont pas lues.";
// The columns a reference can name, A to XFD.
constexpr std::size_t maxColumns = tableLimits.columns;

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

// Whether "table:table-row" or "table-row" is "table-row"; by its end, which is quicker than
// looking for the colon in every name of a large sheet.
bool hasLocalName(QStringView qualified, const char* name)
{
    const QLatin1StringView local(name);
    return qualified.endsWith(local) && (qualified.size() == local.size() ||
                                         qualified[qualified.size() - local.size() - 1] == u':');
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
        // Elements are told by their local names alone, so resolving namespaces would only
        // cost: it is a third of the reading of a large sheet.
        m_xml.setNamespaceProcessing(false);
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
    // Whether the element just started or ended has the local name `name`.
    bool is(const char* name) const { return hasLocalName(m_xml.qualifiedName(), name); }
    // The value of the attribute of local name `name`, valid until the next token; namespace
    // declarations are no attributes.
    QStringView attribute(const char* name) const
    {
        const QXmlStreamAttributes attributes = m_xml.attributes();
        for (const QXmlStreamAttribute& a : attributes) {
            const QStringView qualified = a.qualifiedName();
            if (hasLocalName(qualified, name) && !qualified.startsWith(QLatin1StringView("xmlns")))
                return a.value();
        }
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

// Without the copies of QString::toStdString, which a million cells would pay each.
void appendUtf8(std::string& out, QStringView text)
{
    QStringEncoder encoder(QStringEncoder::Utf8);
    const std::size_t had = out.size();
    out.resize(had + std::size_t(encoder.requiredSpace(text.size())));
    char* const end = encoder.appendToBuffer(out.data() + had, text);
    out.resize(std::size_t(end - out.data()));
}

std::string utf8(QStringView text)
{
    std::string out;
    appendUtf8(out, text);
    return out;
}

// "AB12" -> 27 (from 0); nothing for a reference without letters.
std::optional<std::size_t> columnOfReference(QStringView reference)
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
    return cannotOpen + tableRefusal(TableExcess::Rows, limits.table);
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
                    isDateFormatCode(part.attribute("formatCode").toString());
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

// The texts of the <si>, each kept once in `texts`, and by index the number it has there.
struct SharedStrings {
    explicit SharedStrings(const TableLimits& limits) : texts(limits) {}
    CellTable texts;
    std::vector<std::uint32_t> numbers;
};

// The text of every <si>, rich-text runs joined, phonetic guides left out.
SharedStrings readSharedStrings(zip_t* archive, const std::string& name, std::uint64_t& budget,
                                const TableLimits& limits, const std::atomic<bool>& cancelled,
                                std::string& error)
{
    SharedStrings strings(limits);
    if (!hasEntry(archive, name.c_str()))
        return strings;
    XmlPart part(archive, name, budget, cancelled, error);
    std::string text;
    bool inString = false;
    bool inText = false;
    int phonetic = 0;
    while (part.next()) {
        QXmlStreamReader& xml = part.xml();
        if (xml.isStartElement()) {
            if (part.is("si")) {
                inString = true;
                text.clear();
            } else if (part.is("rPh")) {
                ++phonetic;
            } else if (part.is("t")) {
                inText = phonetic == 0 && inString;
            }
        } else if (xml.isEndElement()) {
            if (part.is("rPh")) {
                --phonetic;
            } else if (part.is("t")) {
                inText = false;
            } else if (part.is("si") && inString) {
                inString = false;
                // Each string weighs at least its number: no more of them than cells.
                if (strings.numbers.size() >= limits.cells) {
                    error = cannotOpen + tableRefusal(TableExcess::Cells, limits);
                    break;
                }
                strings.numbers.push_back(strings.texts.addText(text));
            }
        } else if (xml.isCharacters() && inText) {
            appendUtf8(text, xml.text());
            // A cell past its limit is refused without reading the rest of it.
            if (text.size() > limits.cellBytes)
                strings.texts.addText(text);
        }
        if (strings.texts.refused()) {
            error = cannotOpen + strings.texts.refusal();
            break;
        }
    }
    return strings;
}

struct XlsxCell {
    std::string type;
    int style = 0;
    std::string value;
};

// A shared string's cell: its index, or one past any there can be.
std::size_t sharedIndex(const XlsxCell& cell)
{
    const std::optional<double> index = numberOf(cell.value);
    return index && *index >= 0 && *index < 1e15 ? std::size_t(*index)
                                                 : std::numeric_limits<std::size_t>::max() >> 3;
}

// Any other cell.
std::string shownXlsxCell(const XlsxCell& cell, const XlsxStyles& styles)
{
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

// A sheet as read before the shared strings are: what it hands its table, replayed once they
// are known, so that both parts are read at once on two cores. A large sheet spends nearly all
// its time in the XML reader, and the shared strings are a third of it.
class SheetRecord
{
public:
    void addCell(std::string_view text)
    {
        if (text.empty())
            return addEmptyCells(1);
        m_text.append(text);
        push(Op::Cell, text.size());
        takeCell();
    }
    // Past the strings there are, an empty cell.
    void addShared(std::size_t index)
    {
        push(Op::Shared, index);
        takeCell();
    }
    // A run of empty cells is one step, and nothing at the end of a row.
    void addEmptyCells(std::size_t count)
    {
        if (!m_ops.empty() && Op(m_ops.back() & 7) == Op::EmptyCells)
            m_ops.back() += std::uint64_t(count) << 3;
        else
            push(Op::EmptyCells, count);
        m_pendingCells += count;
    }
    void endRow()
    {
        if (!m_ops.empty() && Op(m_ops.back() & 7) == Op::EmptyCells)
            m_ops.pop_back();
        m_pendingCells = 0;
        if (!m_rowHasCells)
            return addEmptyRows(1);
        push(Op::EndRow, 0);
        m_rows += m_pendingRows + 1;
        m_pendingRows = 0;
        m_rowHasCells = false;
    }
    void addEmptyRows(std::size_t count)
    {
        constexpr std::uint64_t largestRun = std::uint64_t(1) << 56;
        if (!m_ops.empty() && Op(m_ops.back() & 7) == Op::EmptyRows && count < largestRun &&
            (m_ops.back() >> 3) < largestRun)
            m_ops.back() += std::uint64_t(count) << 3;
        else
            push(Op::EmptyRows, count);
        m_pendingRows += count;
    }
    // The rows the table will hold at most: a shared string is counted as not empty.
    std::size_t rowCount() const { return m_rows; }
    // What the table will go past, a shared string counted as not empty, so that a sheet can
    // be given up before all of it is recorded.
    TableExcess excess(const TableLimits& limits) const
    {
        if (m_cells > limits.cells)
            return TableExcess::Cells;
        if (m_text.size() > limits.textBytes)
            return TableExcess::TextBytes;
        return TableExcess::None;
    }

    // Each shared string goes into the table once, at its first cell, whatever the number of
    // cells that show it. Stops where the table is refused.
    void replay(const SharedStrings& shared, CellTable& table) const
    {
        constexpr std::uint32_t notYet = std::numeric_limits<std::uint32_t>::max();
        std::vector<std::uint32_t> numbers(shared.numbers.size(), notYet);
        std::size_t at = 0;
        for (const std::uint64_t op : m_ops) {
            const std::size_t argument = std::size_t(op >> 3);
            switch (Op(op & 7)) {
            case Op::Cell:
                table.addCell(std::string_view(m_text).substr(at, argument));
                at += argument;
                break;
            case Op::Shared:
                if (argument < numbers.size()) {
                    std::uint32_t& number = numbers[argument];
                    if (number == notYet)
                        number = table.addText(shared.texts.text(shared.numbers[argument]));
                    table.addCells(number, 1);
                } else {
                    table.addEmptyCells(1);
                }
                break;
            case Op::EmptyCells:
                table.addEmptyCells(argument);
                break;
            case Op::EndRow:
                table.endRow();
                if (table.refused())
                    return;
                break;
            case Op::EmptyRows:
                table.addEmptyRows(argument);
                break;
            }
        }
    }

private:
    enum class Op : std::uint64_t { Cell, Shared, EmptyCells, EndRow, EmptyRows };
    void push(Op op, std::size_t argument)
    {
        m_ops.push_back(std::uint64_t(argument) << 3 | std::uint64_t(op));
    }
    void takeCell()
    {
        m_cells += m_pendingCells + 1;
        m_pendingCells = 0;
        m_rowHasCells = true;
    }

    std::string m_text;
    std::vector<std::uint64_t> m_ops;
    std::size_t m_rows = 0;
    std::size_t m_pendingRows = 0;
    // The cells the table will hold, the empty ones before a text included.
    std::size_t m_cells = 0;
    std::size_t m_pendingCells = 0;
    bool m_rowHasCells = false;
};

bool readXlsxSheet(zip_t* archive, const std::string& name, const XlsxStyles& styles,
                   std::uint64_t& budget, const SheetLimits& limits,
                   const std::atomic<bool>& cancelled, SheetRecord& table, std::string& error)
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
                    if (row - nextRow > limits.table.rows) {
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
                cell = XlsxCell{utf8(part.attribute("t")), part.attribute("s").toInt(), {}};
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
                if (nextColumn < limits.table.columns && cell->type == "s")
                    table.addShared(sharedIndex(*cell));
                else if (nextColumn < limits.table.columns)
                    table.addCell(shownXlsxCell(*cell, styles));
                ++nextColumn;
                cell.reset();
            } else if (part.is("row")) {
                table.endRow();
                if (table.rowCount() > limits.table.rows) {
                    error = tooManyRows(limits);
                    return false;
                }
                if (const TableExcess excess = table.excess(limits.table);
                    excess != TableExcess::None) {
                    error = cannotOpen + tableRefusal(excess, limits.table);
                    return false;
                }
            }
        } else if (xml.isCharacters() && inValue && cell) {
            appendUtf8(cell->value, xml.text());
            if (cell->value.size() > limits.table.cellBytes) {
                error = cannotOpen + tableRefusal(TableExcess::CellBytes, limits.table);
                return false;
            }
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
            std::string target = utf8(part.attribute("Target"));
            target = target.starts_with('/') ? target.substr(1) : "xl/" + target;
            targets[part.attribute("Id").toString()] = target;
        }
    }
    return targets;
}

// The shared strings read on a worker thread, from an archive of their own: libzip's archives
// are not to be shared between threads. The thread is from a pool of the reader's own:
// `sortivo tirer` reads with no QCoreApplication, and so without Qt's global pool, and a
// reading that is itself on a thread of that pool must not wait for a place in it.
class SharedStringsReader
{
public:
    SharedStringsReader(std::string_view bytes, std::uint64_t budget, const TableLimits& limits)
        : m_budget(budget), m_strings(limits),
          m_reading(QtConcurrent::run(&m_pool, [this, bytes, limits] {
              const Archive archive = openArchive(bytes);
              if (!archive) {
                  m_error = damaged;
                  return;
              }
              m_strings = readSharedStrings(archive.get(), name, m_budget, limits, m_stop, m_error);
          }))
    {
    }
    // A reading given up, for a fault or a cancel, stops the strings at their next piece.
    ~SharedStringsReader()
    {
        m_stop.store(true, std::memory_order_relaxed);
        m_reading.waitForFinished();
    }
    SharedStringsReader(const SharedStringsReader&) = delete;
    SharedStringsReader& operator=(const SharedStringsReader&) = delete;
    // Waits for the strings; an empty error when they were read.
    const std::string& wait()
    {
        m_reading.waitForFinished();
        return m_error;
    }
    const SharedStrings& strings() const { return m_strings; }

    static constexpr const char* name = "xl/sharedStrings.xml";

private:
    std::uint64_t m_budget;
    std::atomic<bool> m_stop{false};
    // Written by the reading only, read here once it has ended.
    SharedStrings m_strings;
    std::string m_error;
    QThreadPool m_pool;
    QFuture<void> m_reading;
};

void readXlsx(std::string_view bytes, zip_t* archive, std::uint64_t budget,
              const SheetLimits& limits, const std::atomic<bool>& cancelled, SheetBook& book)
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
                const QStringView value = part.attribute("date1904");
                date1904 = value == u"1" || value == u"true";
            } else if (part.is("sheet")) {
                sheets.emplace_back(utf8(part.attribute("name")), part.attribute("id").toString());
            }
        }
    }
    if (!error.empty())
        return;
    const std::map<QString, std::string> relations =
        readRelations(archive, budget, cancelled, error);
    XlsxStyles styles = readStyles(archive, budget, cancelled, error);
    styles.date1904 = date1904;
    if (!error.empty())
        return;
    std::optional<SharedStringsReader> shared;
    if (zip_stat_t stat; zip_stat(archive, SharedStringsReader::name, 0, &stat) == 0) {
        const std::uint64_t sharedBudget = std::min<std::uint64_t>(budget, stat.size);
        budget -= sharedBudget;
        shared.emplace(bytes, sharedBudget, limits.table);
    }
    std::vector<SheetRecord> records;
    for (const auto& [name, id] : sheets) {
        const auto target = relations.find(id);
        // A chart sheet has no cells: it is no list.
        if (target == relations.end() || !target->second.starts_with("xl/worksheets/") ||
            !hasEntry(archive, target->second.c_str()))
            continue;
        book.sheets.push_back({name, CellTable(limits.table)});
        if (!readXlsxSheet(archive, target->second, styles, budget, limits, cancelled,
                           records.emplace_back(), error))
            return;
    }
    if (cancelled.load(std::memory_order_relaxed))
        return;
    if (shared && !shared->wait().empty()) {
        error = shared->wait();
        return;
    }
    const SharedStrings none(limits.table);
    for (std::size_t k = 0; k < records.size(); ++k) {
        CellTable& table = book.sheets[k].table;
        records[k].replay(shared ? shared->strings() : none, table);
        records[k] = {};
        if (table.refused()) {
            error = cannotOpen + table.refusal();
            return;
        }
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

std::size_t repeatOf(QStringView text, std::size_t largest)
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
    std::vector<std::uint32_t> rowTexts;                       // their numbers in the table
    std::size_t rowWidth = 0;
    std::size_t rowRepeat = 1;
    int annotation = 0;
    int tableDepth = 0;
    while (part.next()) {
        QXmlStreamReader& xml = part.xml();
        if (xml.isStartElement()) {
            if (part.is("table")) {
                if (tableDepth++ == 0) {
                    sheet = &book.sheets.emplace_back(
                        Sheet{utf8(part.attribute("name")), CellTable(limits.table)});
                }
            } else if (!sheet || tableDepth != 1) {
                continue;
            } else if (part.is("annotation")) {
                ++annotation;
            } else if (annotation > 0) {
                continue;
            } else if (part.is("table-row")) {
                rowCells.clear();
                rowWidth = 0;
                rowRepeat = repeatOf(part.attribute("number-rows-repeated"), limits.table.rows + 1);
            } else if (part.is("table-cell") || part.is("covered-table-cell")) {
                const QStringView value = part.attribute("value-type") == u"date"
                                              ? part.attribute("date-value")
                                              : part.attribute("value");
                cell = OdsCell{
                    utf8(part.attribute("value-type")),
                    utf8(value),
                    {},
                    repeatOf(part.attribute("number-columns-repeated"), limits.table.columns),
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
                // Cells past the last column are dropped and a run of equal ones is one, so
                // that a row of millions of cell elements holds no more than its columns.
                const std::size_t room =
                    limits.table.columns - std::min(rowWidth, limits.table.columns);
                const std::size_t repeat = std::min(cell->repeat, room);
                if (repeat > 0) {
                    std::string shown = shownOdsCell(*cell);
                    if (!rowCells.empty() && rowCells.back().first == shown)
                        rowCells.back().second += repeat;
                    else
                        rowCells.emplace_back(std::move(shown), repeat);
                    rowWidth += repeat;
                }
                cell.reset();
            } else if (part.is("table-row")) {
                const bool empty = std::all_of(rowCells.begin(), rowCells.end(),
                                               [](const auto& c) { return c.first.empty(); });
                if (empty) {
                    sheet->table.addEmptyRows(rowRepeat);
                    continue;
                }
                // Each text once, however often the row and its cells are repeated.
                for (const auto& shown : rowCells)
                    rowTexts.push_back(sheet->table.addText(shown.first));
                for (std::size_t r = 0; r < rowRepeat && !sheet->table.refused(); ++r) {
                    for (std::size_t k = 0; k < rowCells.size(); ++k)
                        sheet->table.addCells(rowTexts[k], rowCells[k].second);
                    sheet->table.endRow();
                }
                rowTexts.clear();
                if (sheet->table.refused()) {
                    error = cannotOpen + sheet->table.refusal();
                    return;
                }
            }
        } else if (xml.isCharacters() && cell && annotation == 0) {
            appendUtf8(cell->text, xml.text());
        }
        // Spaces, paragraphs and text alike: a cell is refused once past its limit.
        if (cell && cell->text.size() > limits.table.cellBytes) {
            error = cannotOpen + tableRefusal(TableExcess::CellBytes, limits.table);
            return;
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

Expected<std::vector<Sheet>> readSheetBook(std::string_view bytes, SheetKind kind,
                                           const SheetLimits& limits,
                                           const std::atomic<bool>& cancelled)
{
    SheetBook book;
    const Archive archive = kind == SheetKind::DamagedZip ? nullptr : openArchive(bytes);
    if (!archive)
        return Refusal{damaged};
    std::uint64_t budget = 0;
    if (std::string refused = checkArchive(archive.get(), limits, budget); !refused.empty())
        return Refusal{std::move(refused)};
    if (kind == SheetKind::Xlsx)
        readXlsx(bytes, archive.get(), budget, limits, cancelled, book);
    else if (kind == SheetKind::Ods)
        readOds(archive.get(), budget, limits, cancelled, book);
    if (book.error.empty() && book.sheets.empty() && !cancelled.load())
        book.error = cannotOpen + "le classeur n'a aucune feuille.";
    if (!book.error.empty())
        return Refusal{std::move(book.error)};
    return std::move(book.sheets);
}

} // namespace sortivo
