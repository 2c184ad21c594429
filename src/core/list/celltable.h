#pragma once

#include "core/list/listlimits.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sortivo
{

// What a table went past, told by `tableRefusal` in French, to follow "Impossible d'ouvrir le
// fichier : ".
enum class TableExcess { None, Rows, Columns, Cells, CellBytes, TextBytes };
std::string tableRefusal(TableExcess excess, const TableLimits& limits);

// The cells of a sheet or of a delimited file, row by row, each as it is shown. All the text
// lies in one string, each text once however many cells show it, and a cell is the number of
// its text, so that a table of millions of cells costs little more than its text. It holds no
// more than its limits: past them it takes nothing more and tells why in `refusal`.
class CellTable
{
public:
    explicit CellTable(const TableLimits& limits = tableLimits);

    void addCell(std::string_view text) { addCells(addText(text), 1); }
    // A text for cells to come, kept once: its number, 0 for an empty text.
    std::uint32_t addText(std::string_view text);
    // `count` cells showing the text numbered `text`.
    void addCells(std::uint32_t text, std::size_t count);
    // `count` empty cells, kept only once a cell with text comes after them in the row.
    void addEmptyCells(std::size_t count) { m_pendingCells += count; }
    void endRow();
    // `count` empty rows, kept only once a row with cells comes after them.
    void addEmptyRows(std::size_t count) { m_pendingRows += count; }

    std::size_t rowCount() const { return m_rowEnds.size(); }
    std::size_t columnCount() const { return m_columns; }
    std::size_t cellsIn(std::size_t row) const
    {
        return m_rowEnds[row] - (row == 0 ? 0 : m_rowEnds[row - 1]);
    }
    // Empty past the row's last cell.
    std::string_view cell(std::size_t row, std::size_t column) const;
    std::string_view text(std::uint32_t number) const;
    std::size_t textSize() const { return m_text.size(); }

    // Why the table stopped taking cells; empty while it is within its limits.
    std::string refusal() const { return tableRefusal(m_excess, m_limits); }
    bool refused() const { return m_excess != TableExcess::None; }

private:
    TableLimits m_limits;
    TableExcess m_excess = TableExcess::None;
    std::string m_text;
    std::vector<std::uint32_t> m_textEnds;
    std::vector<std::uint32_t> m_cells; // the number of each cell's text
    std::vector<std::uint32_t> m_rowEnds;
    std::uint64_t m_shownBytes = 0;
    std::size_t m_columns = 0;
    std::size_t m_rowCells = 0;
    std::size_t m_pendingCells = 0;
    std::size_t m_pendingRows = 0;
};

// The separator of a file of one column: its lines are split at their ends only.
inline constexpr char noSeparator = '\0';

struct DelimitedTable {
    CellTable table;
    char separator = ';';
    // The line, from 1, where a quote opened and was never closed, so that it ran to the end
    // of the file; 0 when every quote closed.
    std::size_t unclosedQuoteLine = 0;
};

// Of ';', ',' and TAB, one that splits the first line into two fields or more and at least 9
// of the 10 lines below into as many, quotes respected and empty lines aside; noSeparator when
// none does. French exports of one column write "Dupont, Jean" without quotes.
char detectSeparator(std::string_view text);
// `text` (UTF-8) read by RFC 4180's quoting at `separator`, with CR LF, LF or CR line ends; a
// table past `limits` is told by its `refusal`.
DelimitedTable splitDelimited(std::string_view text, char separator,
                              const TableLimits& limits = tableLimits);
// A delimited file at the separator detectSeparator finds; its bytes are decoded as a list
// file's are. Nothing when the bytes are not text.
std::optional<DelimitedTable> readDelimited(std::string_view bytes,
                                            const TableLimits& limits = tableLimits);

// The first row is taken for titles when no cell of it is empty, none is a number or a date,
// and none comes again in its column below.
bool firstRowLooksLikeTitles(const CellTable& table);
// What lstColonnes shows for each column: its title, or "Colonne N".
std::vector<std::string> columnNames(const CellTable& table, bool titles);
// The columns to tick at first: those of ticket numbers (a title with "N°", "Numéro" or
// "Billet" over cells not all empty), placed first, then those whose title names a person;
// else the first column. `ticketCount`, a column of counts, is never one of them.
std::vector<std::size_t> defaultColumns(const CellTable& table, bool titles,
                                        std::optional<std::size_t> ticketCount = std::nullopt);
// `columns` (in the table's order) with those of ticket numbers first, as an entry shows them.
std::vector<std::size_t> ticketNumbersFirst(const CellTable& table, bool titles,
                                            std::vector<std::size_t> columns,
                                            std::optional<std::size_t> ticketCount);

// Most tickets one row may give: past it a count is taken for a slip (an order number in the
// wrong column) rather than an order.
inline constexpr std::size_t maxTicketsPerRow = 10'000;
// A count of tickets as a cell shows it: digits, blanks around them, from 0 to maxTicketsPerRow.
std::optional<std::size_t> ticketCountOf(std::string_view cell);
// The column to propose for counts of tickets: the first whose title says a count ("billet",
// "ticket", "nombre", "qté", any case or accents, but not a number's "N°" or "Numéro") and
// whose cells below the titles all hold one.
std::optional<std::size_t> proposedTicketCount(const CellTable& table, bool titles);

// The column named `name`: a number from 1, else a title compared without case or accents.
std::optional<std::size_t> findColumn(const CellTable& table, bool titles, std::string_view name);

struct ColumnChoice {
    bool titles = false;
    std::vector<std::size_t> columns; // in the entry's order
    bool dropDuplicates = false;
    // The column whose counts make each row that many entries, one a ticket; never part of the
    // entry's text, even when ticked.
    std::optional<std::size_t> ticketCount; // Whether to keep the row each entry came from
                                            // (TableEntries::entryRows), so that a winner
    // can be shown with the rest of its row.
    bool keepRows = false;
};

// What frmColonnes proposes for a table: titles if the first row looks like them, the count
// column found, the columns ticked by default.
ColumnChoice proposedChoice(const CellTable& table);

// A table's entries as one list text, CR LF between them, ready for the list box: a million
// entries cost one string and no allocation each.
struct TableEntries {
    std::string text;
    std::size_t count = 0;
    std::size_t emptyRows = 0;  // rows whose chosen cells are all empty
    std::size_t duplicates = 0; // entries equal to an earlier one (dropped or not)
    // The longest entry, in characters.
    std::size_t longestEntry = 0;
    // Where each entry equal to an earlier one starts in `text`, while they are kept.
    std::vector<std::size_t> duplicateStarts;
    // Of those, the ones whose row differs from the earlier one's in a column left out of the
    // entry (perhaps two people of one name), and the first such column.
    std::size_t differingDuplicates = 0;
    std::size_t differingColumn = 0;
    // Whether the table has a column that is neither in the entry nor the count of tickets.
    bool columnLeftOut = false;
    // With a column of counts: the rows that gave an entry, each `count` entries being tickets.
    bool tickets = false;
    std::size_t rows = 0;
    // With ColumnChoice::keepRows: the table row of each entry, in the entries' order.
    std::vector<std::uint32_t> entryRows;
    // Why the table gives no list (a count that is none, too many tickets), a whole sentence;
    // the text is then empty.
    std::string refusal;

    std::string_view first() const { return std::string_view(text).substr(0, text.find('\r')); }
};

// Each entry is the chosen cells of a row, each with its line breaks and tabs made spaces and
// trimmed, joined by one space; a row whose chosen cells are all empty makes none. With a
// column of counts, a row of 5 makes "Dupont Marie (billet 1/5)" to "(billet 5/5)", of 1 the
// entry alone, of 0 nothing; a count that is none, or more tickets than a list may hold, is
// refused. Stops early, with what it had, once `stop` is set.
TableEntries tableEntries(const CellTable& table, const ColumnChoice& choice,
                          const std::atomic<bool>* stop = nullptr);
// Takes out the duplicates that `entries` kept, the first of each staying where it was.
void dropDuplicates(TableEntries& entries);
// A quote left open at `line` of a delimited file: "un guillemet ouvert à la ligne 4 n'est
// jamais fermé".
std::string unclosedQuoteText(std::size_t line);
// Why such a file is not opened, a whole sentence.
std::string unclosedQuoteRefusal(std::size_t line);
// The line under the dialog's preview: "350 entrées · 2 lignes vides ignorées · ...", for
// entries counted with their duplicates kept, as they will be once `dropping` them or not,
// from a table whose quote left open at `unclosedQuoteLine` (if not 0) makes it unusable.
std::string countLine(const TableEntries& entries, bool dropping, std::size_t unclosedQuoteLine);
// What dropping the duplicates would cost when some differ in a column left out, named in
// `names`: "324 lignes supprimées diffèrent dans une autre colonne (Matricule) : ce sont
// peut-être des personnes différentes."; nothing when none differ.
std::optional<std::string> homonymWarning(const TableEntries& entries,
                                          const std::vector<std::string>& names);

} // namespace sortivo
