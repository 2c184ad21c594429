#include "core/text/printlayout.h"

#include <cmath>
#include <limits>

namespace sortivo
{

namespace
{

// Twice the margin must fit as well: the old code doubled the 16-bit margin in 16 bits.
std::optional<std::int16_t> margin(double sheet, double printable, double extra)
{
    // The default rounding mode takes halves to the even neighbour, as the old conversion did.
    const double rounded = std::nearbyint((sheet - printable) / 2 + extra);
    constexpr double low = std::numeric_limits<std::int16_t>::min() / 2;
    constexpr double high = std::numeric_limits<std::int16_t>::max() / 2;
    // Written so that a NaN from a broken printer also fails.
    if (!(rounded >= low && rounded <= high))
        return std::nullopt;
    return static_cast<std::int16_t>(rounded);
}

} // namespace

std::optional<PrintLayout> computePrintLayout(std::int32_t sheetWidth, std::int32_t sheetHeight,
                                              float printableWidth, float printableHeight)
{
    const auto left = margin(sheetWidth, printableWidth, 120);
    if (!left)
        return std::nullopt;
    const auto top = margin(sheetHeight, printableHeight, 200);
    if (!top)
        return std::nullopt;
    PrintLayout layout;
    layout.leftMargin = *left;
    layout.topMargin = *top;
    layout.lineWidth = printableWidth - static_cast<float>(2 * *left);
    layout.lowestLineStart = printableHeight - static_cast<float>(2 * *top);
    return layout;
}

std::vector<LinePlace> placeLines(std::size_t lineCount, float lineHeight,
                                  const PrintLayout& layout)
{
    std::vector<LinePlace> places;
    places.reserve(lineCount);
    const float top = layout.topMargin;
    LinePlace at{0, top};
    for (std::size_t i = 0; i < lineCount; ++i) {
        // Tested before each line on where it would begin, so a line is never split between
        // pages and one that begins exactly at the limit still fits.
        if (layout.lowestLineStart < at.top) {
            ++at.page;
            at.top = top;
        }
        places.push_back(at);
        // The print position is single precision; adding in float keeps the same drift.
        at.top += lineHeight;
    }
    return places;
}

std::size_t pageCount(const std::vector<LinePlace>& places)
{
    return places.empty() ? 0 : places.back().page + 1;
}

} // namespace sortivo
