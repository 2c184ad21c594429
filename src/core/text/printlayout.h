#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace sortivo
{

// Where the result lines go on paper, in twips. The margins are offsets from the top-left
// corner of the printable area, which is where the printer's print position starts.
struct PrintLayout {
    std::int16_t leftMargin = 0;
    std::int16_t topMargin = 0;
    // Room for a line between the left margin and a right margin as wide as the left one.
    float lineWidth = 0;
    // A line may still begin at this position; one that would begin lower goes on a new page.
    float lowestLineStart = 0;
};

// The layout for a sheet of sheetWidth x sheetHeight twips whose printable area measures
// printableWidth x printableHeight. Nothing when a margin, or twice a margin, does not fit in
// 16 bits: the old printer code kept them in 16-bit integers and failed there, so such a sheet
// cannot be laid out the way the program always printed.
std::optional<PrintLayout> computePrintLayout(std::int32_t sheetWidth, std::int32_t sheetHeight,
                                              float printableWidth, float printableHeight);

// Where one printed line begins: the page counted from 0, and the top of the line in twips
// from the top of the printable area (its left is always the left margin).
struct LinePlace {
    std::size_t page = 0;
    float top = 0;
};

// Places lineCount lines of lineHeight twips, one after the other, page after page.
std::vector<LinePlace> placeLines(std::size_t lineCount, float lineHeight,
                                  const PrintLayout& layout);

// Pages that the placed lines fill; no lines fill no page.
std::size_t pageCount(const std::vector<LinePlace>& places);

} // namespace sortivo
