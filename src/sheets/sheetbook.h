#pragma once

#include "core/list/celltable.h"
#include "core/text/expected.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sortivo
{

// A spreadsheet's sheets, each cell as the spreadsheet shows it. Built on Qt Core alone, so
// that `sortivo tirer` reads spreadsheets as the window does.
struct Sheet {
    std::string name;
    CellTable table;
};

enum class SheetKind { None, Xlsx, Ods, DamagedZip };

// Told by what the file holds, never by its name: a ZIP with the markers of Office Open XML
// or of an OpenDocument spreadsheet. A ZIP too damaged to say is DamagedZip: no list starts
// like one, and "not a text file" would not tell the user what is wrong.
SheetKind spreadsheetKind(std::string_view bytes);

struct SheetLimits {
    std::uint64_t largestContent = std::uint64_t(1) << 30; // uncompressed, all parts together
    std::uint64_t largestRatio = 1000;                     // uncompressed to compressed
    TableLimits table = tableLimits;                       // each sheet's
};

// Every sheet in the workbook's order. Stops, with no refusal, once `cancelled` is set.
Expected<std::vector<Sheet>> readSheetBook(std::string_view bytes, SheetKind kind,
                                           const SheetLimits& limits,
                                           const std::atomic<bool>& cancelled);

} // namespace sortivo
