#include "core/list/celltable.h"

#include "core/io/textdecode.h"
#include "core/text/french.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <unordered_set>

namespace sortivo
{

CellTable::CellTable(const TableLimits& limits) : m_limits(limits)
{
    // Offsets and numbers are kept in 32 bits: no limit may let them wrap.
    constexpr std::size_t largest = std::numeric_limits<std::uint32_t>::max();
    m_limits.textBytes = std::min(m_limits.textBytes, largest);
    m_limits.cellBytes = std::min(m_limits.cellBytes, m_limits.textBytes);
    m_limits.cells = std::min(m_limits.cells, largest);
}

std::uint32_t CellTable::addText(std::string_view text)
{
    if (text.empty() || refused())
        return 0;
    if (text.size() > m_limits.cellBytes) {
        m_excess = TableExcess::CellBytes;
        return 0;
    }
    if (text.size() > m_limits.textBytes - m_text.size()) {
        m_excess = TableExcess::TextBytes;
        return 0;
    }
    m_text.append(text);
    m_textEnds.push_back(std::uint32_t(m_text.size()));
    return std::uint32_t(m_textEnds.size());
}

void CellTable::addCells(std::uint32_t text, std::size_t count)
{
    if (refused())
        return;
    if (text == 0) {
        m_pendingCells += count;
        return;
    }
    if (count == 0)
        return;
    // A row never holds more than its limit, so that none of these sums can wrap.
    const std::size_t columns = m_limits.columns;
    if (m_pendingCells > columns || count > columns ||
        m_rowCells + m_pendingCells + count > columns) {
        m_excess = TableExcess::Columns;
        return;
    }
    // The empty rows before this one are kept with it.
    if (m_rowCells == 0 && m_pendingRows >= m_limits.rows - m_rowEnds.size()) {
        m_excess = TableExcess::Rows;
        return;
    }
    const std::size_t added = m_pendingCells + count;
    if (added > m_limits.cells - m_cells.size()) {
        m_excess = TableExcess::Cells;
        return;
    }
    const std::uint64_t shown = std::uint64_t(this->text(text).size()) * count;
    if (shown > m_limits.textBytes - m_shownBytes) {
        m_excess = TableExcess::TextBytes;
        return;
    }
    if (m_pendingRows > 0) {
        m_rowEnds.insert(m_rowEnds.end(), m_pendingRows, std::uint32_t(m_cells.size()));
        m_pendingRows = 0;
    }
    // Most cells come one at a time after a cell with text: a push is quicker than an insert.
    if (m_pendingCells > 0)
        m_cells.insert(m_cells.end(), m_pendingCells, 0);
    if (count == 1)
        m_cells.push_back(text);
    else
        m_cells.insert(m_cells.end(), count, text);
    m_rowCells += added;
    m_pendingCells = 0;
    m_shownBytes += shown;
}

void CellTable::endRow()
{
    m_pendingCells = 0;
    if (refused())
        return;
    if (m_rowCells == 0) {
        ++m_pendingRows;
        return;
    }
    m_rowEnds.push_back(std::uint32_t(m_cells.size()));
    m_columns = std::max(m_columns, m_rowCells);
    m_rowCells = 0;
}

std::string_view CellTable::cell(std::size_t row, std::size_t column) const
{
    if (column >= cellsIn(row))
        return {};
    return text(m_cells[(row == 0 ? 0 : m_rowEnds[row - 1]) + column]);
}

std::string_view CellTable::text(std::uint32_t number) const
{
    if (number == 0 || number > m_textEnds.size())
        return {};
    const std::size_t start = number == 1 ? 0 : m_textEnds[number - 2];
    return std::string_view(m_text).substr(start, m_textEnds[number - 1] - start);
}

std::string tableRefusal(TableExcess excess, const TableLimits& limits)
{
    switch (excess) {
    case TableExcess::None:
        break;
    case TableExcess::Rows:
        // The first row may hold the titles.
        return "la liste dépasse " + frenchNumber(limits.rows - 1) + " lignes.";
    case TableExcess::Columns:
        return "le tableau dépasse " + frenchNumber(limits.columns) + " colonnes.";
    case TableExcess::Cells:
        return "le tableau dépasse " + frenchNumber(limits.cells) + " cellules.";
    case TableExcess::CellBytes:
        return "une cellule dépasse " + frenchNumber(limits.cellBytes / 4) + " caractères.";
    case TableExcess::TextBytes:
        return "ses cellules dépassent ensemble " + frenchNumber(limits.textBytes >> 20) +
               " Mo de texte.";
    }
    return {};
}

namespace
{

constexpr std::array<char, 3> separators = {';', ',', '\t'};

// Reads records of `text` split at `separator`, handing each field and each record's end to
// `sink`, until `maxRecords` records or the end. Where a quote that ran to the end opened, else
// npos.
template <typename Field, typename RecordEnd>
std::size_t parseDelimited(std::string_view text, char separator, std::size_t maxRecords,
                           Field field, RecordEnd recordEnd)
{
    // Without a separator, a field ends where its line does.
    const char fieldEnd = separator == noSeparator ? '\n' : separator;
    std::string value;
    std::size_t records = 0;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && records < maxRecords) {
        value.clear();
        bool quoted = false;
        if (text[i] == '"') {
            const std::size_t opened = i;
            quoted = true;
            ++i;
            for (;;) {
                const std::size_t quote = text.find('"', i);
                if (quote == std::string_view::npos) {
                    value.append(text.substr(i));
                    field(value);
                    recordEnd();
                    return opened;
                }
                value.append(text.substr(i, quote - i));
                i = quote + 1;
                if (i < n && text[i] == '"') {
                    value += '"';
                    ++i;
                    continue;
                }
                break;
            }
        }
        // Unquoted text, or what a sloppy writer left after a closing quote.
        std::size_t end = i;
        while (end < n && text[end] != fieldEnd && text[end] != '\r' && text[end] != '\n')
            ++end;
        if (quoted)
            value.append(text.substr(i, end - i));
        else
            value.assign(text.substr(i, end - i));
        field(value);
        i = end;
        if (i == n) {
            recordEnd();
            ++records;
            break;
        }
        if (text[i] == separator) {
            ++i;
            // A separator ending the text still opens one last empty field.
            if (i == n) {
                field(std::string());
                recordEnd();
                ++records;
            }
            continue;
        }
        i += text[i] == '\r' && i + 1 < n && text[i + 1] == '\n' ? 2 : 1;
        recordEnd();
        ++records;
    }
    return std::string_view::npos;
}

} // namespace

char detectSeparator(std::string_view text)
{
    constexpr std::size_t sampleRecords = 1000;
    char best = noSeparator;
    std::size_t bestRows = 0;
    for (const char separator : separators) {
        std::size_t fields = 0;
        bool lastEmpty = false;
        std::size_t headerFields = 0;
        std::size_t rows = 0;
        std::size_t matching = 0;
        bool lastCounted = false;
        bool lastMatched = false;
        const std::size_t unclosed = parseDelimited(
            text, separator, sampleRecords,
            [&](const std::string& value) {
                ++fields;
                lastEmpty = value.empty();
            },
            [&] {
                // A blank line between rows is no row of another shape.
                const bool blank = fields == 1 && lastEmpty;
                lastCounted = !blank && headerFields > 0;
                if (lastCounted) {
                    ++rows;
                    lastMatched = fields == headerFields;
                    matching += lastMatched;
                } else if (!blank) {
                    headerFields = fields;
                }
                fields = 0;
            });
        // The row a quote left open swallowed tells nothing of the file's shape.
        if (unclosed != std::string_view::npos && lastCounted) {
            --rows;
            matching -= lastMatched;
        }
        if (headerFields > 1 && matching * 10 >= rows * 9 &&
            (best == noSeparator || matching > bestRows)) {
            best = separator;
            bestRows = matching;
        }
    }
    return best;
}

DelimitedTable splitDelimited(std::string_view text, char separator, const TableLimits& limits)
{
    DelimitedTable result{CellTable(limits)};
    result.separator = separator;
    const std::size_t opened = parseDelimited(
        text, separator, std::numeric_limits<std::size_t>::max(),
        [&](const std::string& value) { result.table.addCell(value); },
        [&] { result.table.endRow(); });
    if (opened != std::string_view::npos) {
        // Counted as an editor numbers lines, line ends inside quoted cells included.
        const std::string_view before = text.substr(0, opened);
        std::size_t line = 1;
        for (std::size_t i = 0; i < before.size(); ++i)
            // The quote stands after `before`, so a CR ending it is read with what follows.
            if (before[i] == '\n' || (before[i] == '\r' && text[i + 1] != '\n'))
                ++line;
        result.unclosedQuoteLine = line;
    }
    return result;
}

std::optional<DelimitedTable> readDelimited(std::string_view bytes, const TableLimits& limits)
{
    const std::optional<std::string> text = decodeTextFile(bytes);
    if (!text)
        return std::nullopt;
    return splitDelimited(*text, detectSeparator(*text), limits);
}

namespace
{

// Digits from `at` on, which it passes; how many there were.
std::size_t skipDigits(std::string_view text, std::size_t& at)
{
    const std::size_t from = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9')
        ++at;
    return at - from;
}

// "1234", "-12,5", "1 234 567.89", "12 %", with a space, a no-break space or a narrow one
// between thousands.
bool looksLikeNumber(std::string_view cell)
{
    std::size_t at = cell.starts_with('+') || cell.starts_with('-') ? 1 : 0;
    if (skipDigits(cell, at) == 0)
        return false;
    for (;;) {
        const std::string_view rest = cell.substr(at);
        std::size_t separator = 0;
        for (const std::string_view space : {" ", "\u00a0", "\u202f"})
            if (rest.starts_with(space))
                separator = space.size();
        std::size_t group = at + separator;
        if (separator == 0 || skipDigits(cell, group) != 3)
            break;
        at = group;
    }
    if (at < cell.size() && (cell[at] == '.' || cell[at] == ',')) {
        ++at;
        if (skipDigits(cell, at) == 0)
            return false;
    }
    if (cell.substr(at) == " %" || cell.substr(at) == "%")
        at = cell.size();
    return at == cell.size();
}

// "1/2/24", "01.02.2024", "2024-02-01".
bool looksLikeDate(std::string_view cell)
{
    std::size_t at = 0;
    const std::size_t first = skipDigits(cell, at);
    if (first == 4) {
        if (at >= cell.size() || cell[at++] != '-' || skipDigits(cell, at) != 2 ||
            at >= cell.size() || cell[at++] != '-' || skipDigits(cell, at) != 2)
            return false;
        return at == cell.size();
    }
    const auto separator = [&] {
        return at < cell.size() &&
               std::string_view("/.-").find(cell[at++]) != std::string_view::npos;
    };
    if (first < 1 || first > 2 || !separator())
        return false;
    const std::size_t second = skipDigits(cell, at);
    if (second < 1 || second > 2 || !separator())
        return false;
    const std::size_t year = skipDigits(cell, at);
    return year >= 2 && year <= 4 && at == cell.size();
}

bool looksLikeNumberOrDate(std::string_view cell)
{
    return looksLikeNumber(cell) || looksLikeDate(cell);
}

// Lower case, without the accents of the Latin letters, for comparing titles.
std::string folded(std::string_view text)
{
    // The letters after the lead byte 0xC3, from U+00C0 to U+00FF; '?' for the signs.
    constexpr std::string_view latin1 = "aaaaaaaceeeeiiii?nooooo?ouuuuy??aaaaaaaceeeeiiii?nooooo?"
                                        "ouuuuy?y";
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == 0xC3 && i + 1 < text.size()) {
            const auto next = static_cast<unsigned char>(text[i + 1]);
            if (next >= 0x80 && next <= 0xBF) {
                out += latin1[next - 0x80];
                ++i;
                continue;
            }
        }
        out += c < 0x80 ? char(std::tolower(c)) : char(c);
    }
    return out;
}

// Tabs, line ends and the characters a text box takes for line ends become spaces; the
// blanks at both ends go.
void appendCleaned(std::string& out, std::string_view cell)
{
    const std::size_t start = out.size();
    for (std::size_t i = 0; i < cell.size(); ++i) {
        const auto c = static_cast<unsigned char>(cell[i]);
        if (c < 0x20 || c == 0x7F) {
            out += ' ';
            if (c == '\r' && i + 1 < cell.size() && cell[i + 1] == '\n')
                ++i;
        } else if ((c == 0xE2 || c == 0xEF) && i + 2 < cell.size() &&
                   (cell.substr(i, 3) == "\u2028" || cell.substr(i, 3) == "\u2029" ||
                    cell.substr(i, 3) == "\uFDD0" || cell.substr(i, 3) == "\uFDD1")) {
            out += ' ';
            i += 2;
        } else {
            out += char(c);
        }
    }
    const std::size_t first = out.find_first_not_of(' ', start);
    if (first == std::string::npos) {
        out.resize(start);
        return;
    }
    out.erase(start, first - start);
    out.resize(out.find_last_not_of(' ') + 1);
}

} // namespace

bool firstRowLooksLikeTitles(const CellTable& table)
{
    if (table.rowCount() == 0)
        return false;
    std::vector<std::unordered_set<std::string_view>> titles(table.columnCount());
    for (std::size_t column = 0; column < table.columnCount(); ++column) {
        std::string cleaned;
        appendCleaned(cleaned, table.cell(0, column));
        if (cleaned.empty() || looksLikeNumberOrDate(cleaned))
            return false;
    }
    for (std::size_t row = 1; row < table.rowCount(); ++row)
        for (std::size_t column = 0; column < table.columnCount(); ++column)
            if (table.cell(row, column) == table.cell(0, column))
                return false;
    return true;
}

std::vector<std::string> columnNames(const CellTable& table, bool titles)
{
    std::vector<std::string> names;
    for (std::size_t column = 0; column < table.columnCount(); ++column) {
        std::string name;
        if (titles && table.rowCount() > 0)
            appendCleaned(name, table.cell(0, column));
        names.push_back(name.empty() ? "Colonne " + std::to_string(column + 1) : name);
    }
    return names;
}

namespace
{

template <typename Words> bool titleHas(const std::string& folded, const Words& words)
{
    return std::any_of(words.begin(), words.end(), [&](std::string_view word) {
        return folded.find(word) != std::string::npos;
    });
}

// "N° de billet" numbers a ticket, "Nombre de billets" counts them: a title that says a
// count is never taken for numbers, nor one that says a number for counts.
constexpr std::array<std::string_view, 2> numberWords = {"n\u00b0", "numero"};
constexpr std::array<std::string_view, 2> countWords = {"nombre", "qte"};
constexpr std::array<std::string_view, 4> countTitleWords = {"billet", "ticket", "nombre", "qte"};

bool holdsTicketNumbers(const CellTable& table, bool titles, const std::string& title,
                        std::size_t column)
{
    const bool numbers =
        titleHas(title, numberWords) ||
        (title.find("billet") != std::string::npos && !titleHas(title, countWords));
    if (!numbers)
        return false;
    for (std::size_t row = titles ? 1 : 0; row < table.rowCount(); ++row)
        if (!table.cell(row, column).empty())
            return true;
    return false;
}

} // namespace

std::vector<std::size_t> defaultColumns(const CellTable& table, bool titles,
                                        std::optional<std::size_t> ticketCount)
{
    // The first word says what a column holds: "Nom de famille" names.
    static const std::unordered_set<std::string> naming = {
        "nom", "noms", "prenom", "prenoms", "name", "names", "participant", "participants"};
    std::vector<std::size_t> numbers;
    std::vector<std::size_t> names;
    if (titles) {
        const std::vector<std::string> shown = columnNames(table, true);
        for (std::size_t column = 0; column < shown.size(); ++column) {
            if (column == ticketCount)
                continue;
            const std::string title = folded(shown[column]);
            const std::size_t end = title.find_first_of(" _-'.:/()");
            if (holdsTicketNumbers(table, titles, title, column))
                numbers.push_back(column);
            else if (naming.contains(title.substr(0, end)))
                names.push_back(column);
        }
    }
    numbers.insert(numbers.end(), names.begin(), names.end());
    if (numbers.empty() && table.columnCount() > 0)
        numbers.push_back(ticketCount == std::size_t(0) && table.columnCount() > 1 ? 1 : 0);
    return numbers;
}

std::vector<std::size_t> ticketNumbersFirst(const CellTable& table, bool titles,
                                            std::vector<std::size_t> columns,
                                            std::optional<std::size_t> ticketCount)
{
    if (!titles)
        return columns;
    const std::vector<std::string> shown = columnNames(table, true);
    std::stable_partition(columns.begin(), columns.end(), [&](std::size_t column) {
        return column != ticketCount && column < shown.size() &&
               holdsTicketNumbers(table, titles, folded(shown[column]), column);
    });
    return columns;
}

std::optional<std::size_t> ticketCountOf(std::string_view cell)
{
    const std::size_t first = cell.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return std::nullopt;
    cell = cell.substr(first, cell.find_last_not_of(" \t") - first + 1);
    if (cell.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    cell.remove_prefix(std::min(cell.find_first_not_of('0'), cell.size() - 1));
    if (cell.size() > 5)
        return std::nullopt;
    std::size_t count = 0;
    for (const char digit : cell)
        count = count * 10 + std::size_t(digit - '0');
    if (count > maxTicketsPerRow)
        return std::nullopt;
    return count;
}

std::optional<std::size_t> proposedTicketCount(const CellTable& table, bool titles)
{
    if (!titles || table.rowCount() < 2)
        return std::nullopt;
    const std::vector<std::string> shown = columnNames(table, true);
    for (std::size_t column = 0; column < shown.size(); ++column) {
        const std::string title = folded(shown[column]);
        if (!titleHas(title, countTitleWords) || titleHas(title, numberWords))
            continue;
        bool counts = true;
        // An empty line between orders is no order.
        for (std::size_t row = 1; row < table.rowCount() && counts; ++row)
            counts = table.cellsIn(row) == 0 || ticketCountOf(table.cell(row, column)).has_value();
        if (counts)
            return column;
    }
    return std::nullopt;
}

ColumnChoice proposedChoice(const CellTable& table)
{
    ColumnChoice choice;
    choice.titles = firstRowLooksLikeTitles(table);
    choice.ticketCount = proposedTicketCount(table, choice.titles);
    choice.columns = defaultColumns(table, choice.titles, choice.ticketCount);
    return choice;
}

std::optional<std::size_t> findColumn(const CellTable& table, bool titles, std::string_view name)
{
    if (!name.empty() && name.find_first_not_of("0123456789") == std::string_view::npos) {
        const std::size_t number = name.size() > 6 ? 0 : std::stoul(std::string(name));
        if (number >= 1 && number <= table.columnCount())
            return number - 1;
        return std::nullopt;
    }
    const std::vector<std::string> names = columnNames(table, titles);
    const std::string wanted = folded(name);
    for (std::size_t column = 0; column < names.size(); ++column)
        if (folded(names[column]) == wanted)
            return column;
    return std::nullopt;
}

namespace
{

std::size_t charactersIn(std::string_view utf8)
{
    return std::size_t(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

} // namespace

namespace
{

// Where an entry equal to an earlier one was met, to say whether they are one person.
struct DuplicateRows {
    std::size_t row;
    std::size_t earlier;
};

// The tickets of a row: its entry, then " (billet 3/5)" when it has more than one.
void appendTicket(std::string& text, std::string_view entry, std::size_t ticket, std::size_t of)
{
    text.append(entry);
    if (of == 1)
        return;
    std::array<char, 20> digits{};
    const auto appendNumber = [&](std::size_t n) {
        text.append(digits.data(), std::to_chars(digits.begin(), digits.end(), n).ptr);
    };
    text.append(" (billet ");
    appendNumber(ticket);
    text += '/';
    appendNumber(of);
    text += ')';
}

} // namespace

TableEntries tableEntries(const CellTable& table, const ColumnChoice& choice,
                          const std::atomic<bool>* stop)
{
    TableEntries result;
    const std::size_t firstRow = choice.titles ? 1 : 0;
    // The count is read, never shown.
    std::vector<std::size_t> columns;
    for (const std::size_t column : choice.columns)
        if (column != choice.ticketCount)
            columns.push_back(column);
    std::vector<bool> used(table.columnCount(), false);
    for (const std::size_t column : columns)
        if (column < used.size())
            used[column] = true;
    if (choice.ticketCount && *choice.ticketCount < used.size())
        used[*choice.ticketCount] = true;
    result.columnLeftOut = std::find(used.begin(), used.end(), false) != used.end();
    result.tickets = choice.ticketCount.has_value();

    // Room for as many entries as the counts promise, within what a list may hold: the slots
    // must never fill up.
    std::size_t expected = table.rowCount();
    const std::string tooMany = "Les billets dépassent " + frenchNumber(listFileLimits.maxLines) +
                                " lignes, le plus qu'une liste puisse tenir.";
    if (choice.ticketCount) {
        // A row of blanks only is empty: its count makes no ticket.
        const auto hasText = [&](std::size_t row) {
            return std::any_of(columns.begin(), columns.end(), [&](std::size_t column) {
                const std::string_view cell = table.cell(row, column);
                return std::any_of(cell.begin(), cell.end(),
                                   [](char c) { return static_cast<unsigned char>(c) > ' '; });
            });
        };
        expected = 0;
        for (std::size_t row = firstRow; row < table.rowCount(); ++row) {
            const std::size_t count =
                ticketCountOf(table.cell(row, *choice.ticketCount)).value_or(0);
            if (count > 0 && hasText(row))
                expected += count;
            // Told before millions of tickets are written for nothing.
            if (expected > listFileLimits.maxLines) {
                result.refusal = tooMany;
                return result;
            }
        }
    }
    result.text.reserve(table.textSize() + 2 * table.rowCount());
    // An open-addressed table of where entries start, plus one (0 is free), a power of two at
    // least twice the entries: a node-based set would allocate once an entry. The row of the
    // entry rides in the upper half, the text never reaching 4 GiB. An entry ends at the first
    // CR after its start, or at the end of the text.
    std::size_t capacity = 16;
    while (capacity < 2 * expected)
        capacity *= 2;
    std::vector<std::uint64_t> slots(capacity, 0);
    const std::hash<std::string_view> hash;
    const auto entryAt = [&](std::size_t start) {
        const std::string_view rest = std::string_view(result.text).substr(start);
        return rest.substr(0, rest.find('\r'));
    };
    std::vector<DuplicateRows> duplicateRows;
    // One row's entry, written once and copied for each of its tickets.
    std::string entry;
    const auto refuse = [&](std::string why) {
        result = TableEntries{};
        result.tickets = choice.ticketCount.has_value();
        result.refusal = std::move(why);
        duplicateRows.clear();
    };
    for (std::size_t row = firstRow; row < table.rowCount(); ++row) {
        if (stop && row % 4096 == 0 && stop->load(std::memory_order_relaxed))
            break;
        entry.clear();
        for (const std::size_t column : columns) {
            const std::size_t cellStart = entry.size();
            if (cellStart > 0)
                entry += ' ';
            appendCleaned(entry, table.cell(row, column));
            // An empty cell adds no second space.
            if (entry.size() == cellStart + 1 && cellStart > 0)
                entry.resize(cellStart);
        }
        if (entry.empty()) {
            ++result.emptyRows;
            continue;
        }
        std::size_t tickets = 1;
        if (choice.ticketCount) {
            const std::string_view cell = table.cell(row, *choice.ticketCount);
            const std::optional<std::size_t> count = ticketCountOf(cell);
            if (!count) {
                std::string shown;
                appendCleaned(shown, cell);
                refuse("Ligne " + frenchNumber(row + 1) + " : " +
                       (shown.empty() ? std::string("le nombre de billets manque.")
                                      : "« " + shown + " » n'est pas un nombre de billets."));
                break;
            }
            tickets = *count;
            ++result.rows;
            if (tickets > listFileLimits.maxLines - result.count) {
                refuse(tooMany);
                break;
            }
        }
        for (std::size_t ticket = 1; ticket <= tickets; ++ticket) {
            const std::size_t before = result.text.size();
            if (before > 0)
                result.text += "\r\n";
            const std::size_t start = result.text.size();
            appendTicket(result.text, entry, ticket, tickets);
            // Checked at each ticket: one row of long entries could otherwise run to gigabytes.
            if (choice.ticketCount && result.text.size() > largestListFile) {
                refuse("Les billets dépassent ensemble " + frenchNumber(largestListFile >> 20) +
                       " Mo de texte, le plus qu'une liste puisse tenir.");
                break;
            }
            const std::string_view added = std::string_view(result.text).substr(start);
            bool duplicate = false;
            for (std::size_t slot = hash(added) & (capacity - 1);;
                 slot = (slot + 1) & (capacity - 1)) {
                if (slots[slot] == 0) {
                    slots[slot] = (std::uint64_t(row) << 32) | (start + 1);
                    break;
                }
                if (entryAt((slots[slot] & 0xFFFFFFFFu) - 1) == added) {
                    duplicate = true;
                    duplicateRows.push_back({row, std::size_t(slots[slot] >> 32)});
                    break;
                }
            }
            if (duplicate) {
                ++result.duplicates;
                if (choice.dropDuplicates) {
                    result.text.resize(before);
                    continue;
                }
                result.duplicateStarts.push_back(start);
            }
            ++result.count;
            if (choice.keepRows)
                result.entryRows.push_back(std::uint32_t(row));
            // No entry has more characters than bytes: only a longer one is counted.
            if (added.size() > result.longestEntry)
                result.longestEntry = std::max(result.longestEntry, charactersIn(added));
        }
        if (!result.refusal.empty())
            break;
    }
    result.differingColumn = table.columnCount();
    for (const DuplicateRows& rows : duplicateRows) {
        for (std::size_t column = 0; column < table.columnCount(); ++column) {
            if (used[column] || table.cell(rows.row, column) == table.cell(rows.earlier, column))
                continue;
            ++result.differingDuplicates;
            result.differingColumn = std::min(result.differingColumn, column);
            break;
        }
    }
    return result;
}

void dropDuplicates(TableEntries& entries)
{
    std::string& text = entries.text;
    std::size_t kept = 0; // where the text kept so far ends
    std::size_t from = 0; // where the next part to keep starts
    const auto keep = [&](std::size_t end) {
        std::char_traits<char>::move(text.data() + kept, text.data() + from, end - from);
        kept += end - from;
    };
    if (!entries.entryRows.empty()) {
        // The rows of the entries kept: an entry is a duplicate when it starts where one does.
        std::size_t kept = 0;
        std::size_t next = 0; // the next duplicate
        std::size_t start = 0;
        for (std::size_t k = 0; k < entries.entryRows.size(); ++k) {
            if (next < entries.duplicateStarts.size() && entries.duplicateStarts[next] == start)
                ++next;
            else
                entries.entryRows[kept++] = entries.entryRows[k];
            start = text.find('\r', start) + 2;
        }
        entries.entryRows.resize(kept);
    }
    for (const std::size_t start : entries.duplicateStarts) {
        // The duplicate goes with the CR LF before it; the first entry is never a duplicate.
        keep(start - 2);
        from = std::min(text.find('\r', start), text.size());
    }
    keep(text.size());
    text.resize(kept);
    entries.count -= entries.duplicateStarts.size();
    entries.duplicateStarts.clear();
}

std::string unclosedQuoteText(std::size_t line)
{
    return "un guillemet ouvert à la ligne " + frenchNumber(line) + " n'est jamais fermé";
}

std::string unclosedQuoteRefusal(std::size_t line)
{
    return "Impossible d'ouvrir le fichier : " + unclosedQuoteText(line) + ".";
}

std::string countLine(const TableEntries& entries, bool dropping, std::size_t unclosedQuoteLine)
{
    const std::size_t shown =
        entries.count - (dropping ? entries.duplicateStarts.size() : std::size_t(0));
    std::string line = entries.tickets ? frenchCount(entries.rows, "ligne", "lignes") + " → " +
                                             frenchCount(shown, "billet", "billets")
                                       : frenchCount(shown, "entrée", "entrées");
    if (entries.emptyRows > 0)
        line +=
            " · " + frenchCount(entries.emptyRows, "ligne vide ignorée", "lignes vides ignorées");
    if (entries.duplicates > 0)
        line += " · " + frenchCount(entries.duplicates,
                                    dropping ? "entrée en double retirée" : "entrée en double",
                                    dropping ? "entrées en double retirées" : "entrées en double");
    if (unclosedQuoteLine > 0)
        line += " · " + unclosedQuoteText(unclosedQuoteLine);
    return line;
}

std::optional<std::string> homonymWarning(const TableEntries& entries,
                                          const std::vector<std::string>& names)
{
    if (entries.differingDuplicates == 0 || entries.differingColumn >= names.size())
        return std::nullopt;
    return frenchCount(entries.differingDuplicates, "ligne supprimée diffère",
                       "lignes supprimées diffèrent") +
           " dans une autre colonne (" + names[entries.differingColumn] +
           ") : ce sont peut-être des personnes différentes.";
}

} // namespace sortivo
