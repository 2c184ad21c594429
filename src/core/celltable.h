#pragma once

#include "core/listlimits.h"

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

struct DelimitedTable {
    CellTable table;
    char separator = ';';
    // A quote opened and never closed: it ran to the end of the file.
    bool unclosedQuote = false;
};

// Of ';', ',', TAB and '|', the one that gives the same number of fields (two or more) on the
// most lines of `text`, quotes respected; ';' when none splits a line.
char detectSeparator(std::string_view text);
// A delimited file read by RFC 4180's quoting, with CR LF, LF or CR line ends; its bytes are
// decoded as a list file's are. Nothing when the bytes are not text; a table past `limits`
// is told by its `refusal`.
std::optional<DelimitedTable> readDelimited(std::string_view bytes,
                                            const TableLimits& limits = tableLimits);

// The first row is taken for titles when no cell of it is empty, none is a number or a date,
// and none comes again in its column below.
bool firstRowLooksLikeTitles(const CellTable& table);
// What lstColonnes shows for each column: its title, or "Colonne N".
std::vector<std::string> columnNames(const CellTable& table, bool titles);
// The columns whose title names a person or a ticket; else the first column.
std::vector<std::size_t> defaultColumns(const CellTable& table, bool titles);

// The column named `name`: a number from 1, else a title compared without case or accents.
std::optional<std::size_t> findColumn(const CellTable& table, bool titles, std::string_view name);

struct ColumnChoice {
    bool titles = false;
    std::vector<std::size_t> columns; // in the table's order
    bool dropDuplicates = false;
};

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

    std::string_view first() const { return std::string_view(text).substr(0, text.find('\r')); }
};

// Each entry is the chosen cells of a row, each with its line breaks and tabs made spaces and
// trimmed, joined by one space; a row whose chosen cells are all empty makes none. Stops
// early, with what it had, once `stop` is set.
TableEntries tableEntries(const CellTable& table, const ColumnChoice& choice,
                          const std::atomic<bool>* stop = nullptr);
// Takes out the duplicates that `entries` kept, the first of each staying where it was.
void dropDuplicates(TableEntries& entries);
// Told of a delimited file whose last quote was never closed.
inline constexpr std::string_view unclosedQuoteText =
    "un guillemet n'est pas fermé : lu jusqu'à la fin du fichier";
// The line under the dialog's preview: "350 entrées · 2 lignes vides ignorées · ...", for
// entries counted with their duplicates kept, as they will be once `dropping` them or not.
std::string countLine(const TableEntries& entries, bool dropping, bool unclosedQuote);
// A count in French, its thousands set apart by narrow no-break spaces.
std::string frenchNumber(std::size_t n);

} // namespace sortivo
