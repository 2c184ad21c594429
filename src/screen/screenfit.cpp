#include "screen/screenfit.h"

#include <QFontMetrics>
#include <QStringList>

#include <optional>

#include <algorithm>
#include <cmath>

namespace
{

constexpr int alignment = Qt::AlignCenter;

bool fits(const QString& text, const QFont& font, const QRect& box)
{
    const QRect drawn = drawnRect(text, font, box);
    return drawn.width() <= box.width() && drawn.height() <= box.height();
}

QFont atPixels(QFont font, int pixels)
{
    font.setPixelSize(pixels);
    return font;
}

// Fills each line with as many words as fit the width, breaking only at spaces. Nothing when
// that takes more than `maxLines` lines or a word alone is wider than the box.
std::optional<QString> wrapAtSpaces(const QString& text, const QFontMetrics& metrics, int width,
                                    int maxLines)
{
    QList<qsizetype> spaces;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i] == u' ')
            spaces << i;
    QString wrapped = text;
    qsizetype start = 0;
    qsizetype firstSpace = 0;
    for (int line = 1; line <= maxLines; ++line) {
        if (metrics.horizontalAdvance(text.mid(start)) <= width)
            return wrapped;
        if (line == maxLines)
            break;
        // The widths of the line's first words grow with each word: the last break that fits is
        // found by halving.
        qsizetype low = firstSpace;
        qsizetype high = spaces.size();
        while (low < high) {
            const qsizetype middle = (low + high) / 2;
            if (metrics.horizontalAdvance(text.mid(start, spaces[middle] - start)) <= width)
                low = middle + 1;
            else
                high = middle;
        }
        if (low == firstSpace)
            return std::nullopt;
        const qsizetype breakAt = spaces[low - 1];
        wrapped[breakAt] = u'\n';
        start = breakAt + 1;
        firstSpace = low;
    }
    return std::nullopt;
}

std::optional<FittedText> fitAt(const QString& text, const QFont& font, const TextRoom& room,
                                int pixels, int maxLines)
{
    const QFont sized = atPixels(font, pixels);
    const QFontMetrics metrics(sized);
    const std::optional<QString> wrapped = wrapAtSpaces(text, metrics, room.box.width(), maxLines);
    if (!wrapped || !fits(*wrapped, sized, room.box))
        return std::nullopt;
    return FittedText{*wrapped, pixels, int(wrapped->count(u'\n')) + 1};
}

// The largest size from 1 to `highest` at which the text fits on up to `maxLines` lines.
std::optional<FittedText> largestFit(const QString& text, const QFont& font, const TextRoom& room,
                                     int highest, int maxLines)
{
    std::optional<FittedText> best = fitAt(text, font, room, 1, maxLines);
    if (!best)
        return std::nullopt;
    int low = 2;
    int high = highest;
    while (low <= high) {
        const int middle = (low + high) / 2;
        if (auto fitted = fitAt(text, font, room, middle, maxLines)) {
            best = std::move(fitted);
            low = middle + 1;
        } else {
            high = middle - 1;
        }
    }
    return best;
}

} // namespace

QRect drawnRect(const QString& text, const QFont& font, const QRect& box)
{
    return QFontMetrics(font).boundingRect(box, alignment, text);
}

FittedText fitText(const QString& text, QFont font, const TextRoom& room)
{
    if (text.isEmpty() || room.box.isEmpty())
        return {text, std::max(1, room.maxPixels), 1};
    // Text widths grow about as the size: a text much wider than its lines can hold starts the
    // search lower, so that a long entry costs a few measures and not a hundred.
    const int maxPixels = std::max(1, room.maxPixels);
    const double width = QFontMetrics(atPixels(font, maxPixels)).horizontalAdvance(text);
    const double room1 = double(room.box.width()) * std::max(1, room.maxLines);
    const int highest =
        width <= room1 ? maxPixels
                       : std::clamp(int(std::ceil(maxPixels * room1 / width * 1.1)), 1, maxPixels);
    std::optional<FittedText> oneLine = largestFit(text, font, room, highest, 1);
    if (oneLine &&
        (room.maxLines == 1 || (room.oneLineFloor > 0 && oneLine->pixelSize >= room.oneLineFloor)))
        return *oneLine;
    // At each size the lines are filled as far as they go: the largest size on up to maxLines
    // lines is on as few lines as that size allows.
    if (std::optional<FittedText> wrapped = largestFit(text, font, room, highest, room.maxLines))
        return *wrapped;
    return {text, 1, 1};
}

TextGrid fitGrid(const QStringList& texts, const QFont& font, QSize size, int maxPixels)
{
    TextGrid grid;
    const auto count = int(texts.size());
    if (count == 0 || size.isEmpty())
        return grid;
    constexpr int maxColumns = 8;
    constexpr int maxLines = 2;
    // Cells split the area evenly, with a margin so that neighbours do not read as one text.
    const auto cellOf = [size, count](int columns, int index) {
        const int rows = (count + columns - 1) / columns;
        const int column = index / rows;
        const int row = index % rows;
        const int left = size.width() * column / columns;
        const int right = size.width() * (column + 1) / columns;
        const int top = size.height() * row / rows;
        const int bottom = size.height() * (row + 1) / rows;
        const int marginX = (right - left) / 40;
        const int marginY = (bottom - top) / 10;
        return QRect(left + marginX, top + marginY, std::max(1, right - left - 2 * marginX),
                     std::max(1, bottom - top - 2 * marginY));
    };

    // The widest text chooses the columns: the smallest cell of each grid must hold it.
    const QFontMetrics reference(atPixels(font, 64));
    qsizetype widest = 0;
    int widestAdvance = -1;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const int advance = reference.horizontalAdvance(texts[i]);
        if (advance > widestAdvance) {
            widest = i;
            widestAdvance = advance;
        }
    }
    int columns = 1;
    int pixels = 0;
    for (int tried = 1; tried <= std::min(count, maxColumns); ++tried) {
        const QRect last = cellOf(tried, count - 1);
        const QRect smallest(QPoint(), last.size().boundedTo(cellOf(tried, 0).size()));
        const int fitted = fitText(texts[widest], font, {smallest, maxPixels, maxLines}).pixelSize;
        if (fitted > pixels) {
            columns = tried;
            pixels = fitted;
        }
    }
    // Every text fits its own cell at its size or below: drawn at the smallest of them, each
    // keeps the breaks it had.
    for (int i = 0; i < count; ++i) {
        const QRect cell = cellOf(columns, i);
        const FittedText fitted = fitText(texts[i], font, {cell, pixels, maxLines});
        grid.texts << fitted.text;
        grid.cells << cell;
        pixels = std::min(pixels, fitted.pixelSize);
    }
    grid.pixelSize = std::max(1, pixels);
    return grid;
}

ScreenBoxes screenBoxes(QSize size, bool commitmentLarge)
{
    const int w = size.width();
    const int h = size.height();
    const int marginX = w * 3 / 100;
    const int marginY = h * 3 / 100;
    const int width = std::max(1, w - 2 * marginX);
    int top = marginY;
    const auto take = [&](double share) {
        const int height = std::max(1, int(h * share));
        const QRect box(marginX, top, width, height);
        top += height;
        return box;
    };
    const auto pixels = [h](double share) { return std::max(1, int(h * share)); };
    ScreenBoxes b;
    b.title = {take(0.09), pixels(0.065), 2};
    b.commitment = commitmentLarge ? TextRoom{take(0.22), pixels(0.065), 3}
                                   : TextRoom{take(0.07), pixels(0.03), 2};
    b.publicValue = {take(0.06), pixels(0.035), 2};
    b.prize = {take(0.08), pixels(0.055), 2};
    // The latest result is the largest text; one line is kept while it is at least an eighth of
    // the height, as readable from the back of a room.
    b.winner = {take(0.30), pixels(0.22), 3, h / 8};
    const int countHeight = std::max(1, int(h * 0.06));
    const int resultsBottom = h - marginY - countHeight;
    b.results = QRect(marginX, top, width, std::max(1, resultsBottom - top));
    b.resultsPixels = pixels(0.028);
    b.count = {QRect(marginX, resultsBottom, width, countHeight), pixels(0.035), 1};
    return b;
}
