#include "core/list/celltable.h"
#include "fuzzcheck.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

// A delimited export comes from any site: whatever its bytes, reading it must end, keep every
// cell inside its row's bounds, and make entries that are single lines. Small limits, so that
// a bomb is refused here as a large one is in the program.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const sortivo::TableLimits limits{100'000, 1000, 40'000, std::size_t(1) << 22, 1'000'000};
    const std::optional<sortivo::DelimitedTable> read = sortivo::readDelimited(bytes, limits);
    if (!read)
        return 0;
    if (read->table.refused()) {
        FUZZ_CHECK(!read->table.refusal().empty());
        return 0;
    }
    const sortivo::CellTable& table = read->table;
    std::size_t cells = 0;
    for (std::size_t row = 0; row < table.rowCount(); ++row) {
        FUZZ_CHECK(table.cellsIn(row) <= table.columnCount());
        cells += table.cellsIn(row);
        FUZZ_CHECK(table.cell(row, table.columnCount()).empty());
    }
    FUZZ_CHECK(cells == 0 || table.textSize() <= 4 * size + 16);
    for (const bool titles : {false, true}) {
        const sortivo::ColumnChoice choice{titles, sortivo::defaultColumns(table, titles), true};
        const sortivo::TableEntries entries = sortivo::tableEntries(table, choice);
        std::size_t count = 0;
        for (std::size_t from = 0; from < entries.text.size(); ++count) {
            const std::size_t end = std::min(entries.text.find("\r\n", from), entries.text.size());
            const std::string_view entry = std::string_view(entries.text).substr(from, end - from);
            FUZZ_CHECK(!entry.empty() && entry.find_first_of("\r\n\t") == std::string::npos);
            from = end + 2;
        }
        FUZZ_CHECK(count == entries.count && !entries.text.ends_with("\r\n"));
        sortivo::TableEntries kept = sortivo::tableEntries(table, {titles, choice.columns, false});
        sortivo::dropDuplicates(kept);
        FUZZ_CHECK(kept.text == entries.text && kept.count == entries.count);
        FUZZ_CHECK(sortivo::columnNames(table, titles).size() == table.columnCount());
    }
    return 0;
}
