#include "fuzzcheck.h"
#include "sheets/sheetbook.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string_view>

// A workbook is a ZIP of XML parts from anyone: whatever its bytes, reading it must end with
// sheets or with a French reason, never a crash, and within the limits given.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const sortivo::SheetKind kind = sortivo::spreadsheetKind(bytes);
    if (kind == sortivo::SheetKind::None)
        return 0;
    // Small limits, so that a bomb is refused here as a large one is in the program.
    const sortivo::SheetLimits limits{
        std::uint64_t(1) << 24, 1000, {100'000, 16384, 40'000, std::size_t(1) << 22, 1'000'000}};
    const std::atomic<bool> cancelled{false};
    const sortivo::Expected<std::vector<sortivo::Sheet>> book =
        sortivo::readSheetBook(bytes, kind, limits, cancelled);
    if (!book) {
        FUZZ_CHECK(!book.error().text.empty());
        return 0;
    }
    FUZZ_CHECK(!book->empty());
    for (const sortivo::Sheet& sheet : *book) {
        FUZZ_CHECK(sheet.table.rowCount() <= limits.table.rows && !sheet.table.refused());
        for (std::size_t row = 0; row < sheet.table.rowCount(); ++row)
            FUZZ_CHECK(sheet.table.cellsIn(row) <= sheet.table.columnCount());
    }
    return 0;
}
