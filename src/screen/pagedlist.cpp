#include "screen/pagedlist.h"

#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace
{

// A line as it is drawn in a column `width` wide: wrapped at spaces, or inside a word that is
// wider than the column.
std::unique_ptr<QTextLayout> laidOut(const PalmaresLine& line, const QFont& font, int width)
{
    auto layout = std::make_unique<QTextLayout>(line.text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout->setTextOption(option);
    if (line.struck > 0) {
        QTextLayout::FormatRange range;
        range.start = 0;
        range.length = int(line.struck);
        range.format.setFontStrikeOut(true);
        layout->setFormats({range});
    }
    layout->beginLayout();
    qreal y = 0;
    for (QTextLine row = layout->createLine(); row.isValid(); row = layout->createLine()) {
        row.setLineWidth(width);
        row.setPosition(QPointF(0, y));
        y += row.height();
    }
    layout->endLayout();
    return layout;
}

int heightOf(const QTextLayout& layout)
{
    return int(std::ceil(layout.boundingRect().height()));
}

} // namespace

struct PagedList::Shown {
    PalmaresLine line;
    std::unique_ptr<QTextLayout> layout;
    QRect box;
};

PagedList::PagedList(QWidget* parent) : QWidget(parent)
{
    m_turn.setSingleShot(true);
    m_turn.setInterval(pageTurnMs);
    connect(&m_turn, &QTimer::timeout, this, &PagedList::nextPage);
}

PagedList::~PagedList() = default;

void PagedList::setLines(std::size_t count, LineAt lineAt, From from)
{
    const bool sameAnchor = count == m_count && from == m_from;
    m_count = count;
    m_from = from;
    m_lineAt = std::move(lineAt);
    // The same lines, changed in place: the page shown stays, and its time with it.
    if (sameAnchor) {
        relayOut();
        return;
    }
    if (from == From::End)
        layOutEndingAt(m_count);
    else
        layOutFrom(0);
    restartTurn();
}

void PagedList::setPixelSize(int pixels)
{
    pixels = std::max(1, pixels);
    if (pixels == m_pixels)
        return;
    m_pixels = pixels;
    relayOut();
}

void PagedList::nextPage()
{
    layOutFrom(m_end >= m_count ? 0 : m_end);
    restartTurn();
}

void PagedList::previousPage()
{
    layOutEndingAt(m_first == 0 ? m_count : m_first);
    restartTurn();
}

void PagedList::restartTurn()
{
    if (paged())
        m_turn.start();
    else
        m_turn.stop();
}

void PagedList::relayOut()
{
    if (m_fromEnd)
        layOutEndingAt(m_count);
    else
        layOutFrom(std::min(m_first, m_count));
}

int PagedList::columnWidth(int columns, int pixels) const
{
    return std::max(1, (width() - (columns - 1) * gap(pixels)) / columns);
}

int PagedList::lineHeight(std::size_t index, int width, int pixels) const
{
    QFont sized = font();
    sized.setPixelSize(pixels);
    return heightOf(*laidOut(m_lineAt(index), sized, width));
}

std::size_t PagedList::fitForward(std::size_t first, int columns, int pixels) const
{
    const int width = columnWidth(columns, pixels);
    std::size_t next = first;
    int y = 0;
    for (int column = 0; column < columns && next < m_count;) {
        const int top = y == 0 ? 0 : y + spacing(pixels);
        const int h = lineHeight(next, width, pixels);
        if (top + h <= height()) {
            y = top + h;
            ++next;
        } else if (y == 0) {
            break; // too tall for any column
        } else {
            ++column;
            y = 0;
        }
    }
    return next;
}

std::size_t PagedList::fitBackward(std::size_t end, int columns, int pixels) const
{
    const int width = columnWidth(columns, pixels);
    std::size_t first = end;
    int y = 0;
    for (int column = 0; column < columns && first > 0;) {
        const int top = y == 0 ? 0 : y + spacing(pixels);
        const int h = lineHeight(first - 1, width, pixels);
        if (top + h <= height()) {
            y = top + h;
            --first;
        } else if (y == 0) {
            break;
        } else {
            ++column;
            y = 0;
        }
    }
    return first;
}

namespace
{

// The columns that hold the most lines, the fewest of them when several do, at the largest size
// up to `pixels` at which the first line fits; `fitted(columns, pixels)` counts the lines.
template <typename Fitted> std::pair<int, int> bestColumns(int pixels, int width, Fitted fitted)
{
    for (;;) {
        int best = 1;
        std::size_t most = 0;
        for (int columns = 1; columns <= PagedList::maxColumns; ++columns) {
            // A column narrower than a few words reads badly.
            if (columns > 1 && width / columns < pixels * 8)
                break;
            const std::size_t count = fitted(columns, pixels);
            if (count > most) {
                best = columns;
                most = count;
            }
        }
        if (most > 0 || pixels == 1)
            return {best, pixels};
        // A line taller than the whole list is drawn smaller rather than cut.
        pixels = std::max(1, pixels * 4 / 5);
    }
}

} // namespace

void PagedList::layOutFrom(std::size_t first)
{
    m_fromEnd = false;
    if (first >= m_count) {
        layOut(m_count, m_count, 1, m_pixels);
        return;
    }
    const auto [columns, pixels] = bestColumns(
        m_pixels, width(), [&](int c, int p) { return fitForward(first, c, p) - first; });
    layOut(first, fitForward(first, columns, pixels), columns, pixels);
}

void PagedList::layOutEndingAt(std::size_t end)
{
    m_fromEnd = end == m_count;
    if (end == 0) {
        layOut(0, 0, 1, m_pixels);
        return;
    }
    const auto [columns, pixels] =
        bestColumns(m_pixels, width(), [&](int c, int p) { return end - fitBackward(end, c, p); });
    layOut(fitBackward(end, columns, pixels), end, columns, pixels);
}

void PagedList::layOut(std::size_t first, std::size_t end, int columns, int pixels)
{
    m_shown.clear();
    m_first = first;
    m_end = end;
    m_columns = columns;
    m_shownPixels = pixels;
    QFont sized = font();
    sized.setPixelSize(pixels);
    const int width = columnWidth(columns, pixels);
    int column = 0;
    int y = 0;
    // Taken forward in as many columns as they fitted backward: they fit, as filling each
    // column in turn needs the fewest columns whichever end it starts from.
    for (std::size_t i = first; i < end;) {
        auto shown = std::make_unique<Shown>();
        shown->line = m_lineAt(i);
        shown->layout = laidOut(shown->line, sized, width);
        const int h = heightOf(*shown->layout);
        const int top = y == 0 ? 0 : y + spacing(pixels);
        if (top + h > height() && y > 0 && column + 1 < columns) {
            ++column;
            y = 0;
            continue;
        }
        shown->box = QRect(column * (width + gap(pixels)), top, width, h);
        y = top + h;
        m_shown.push_back(std::move(shown));
        ++i;
    }
    update();
}

QStringList PagedList::shownTexts() const
{
    QStringList texts;
    for (const auto& shown : m_shown)
        texts << shown->line.text;
    return texts;
}

QList<qsizetype> PagedList::shownStruck() const
{
    QList<qsizetype> struck;
    for (const auto& shown : m_shown)
        struck << shown->line.struck;
    return struck;
}

QList<QRect> PagedList::shownBoxes() const
{
    QList<QRect> boxes;
    for (const auto& shown : m_shown)
        boxes << shown->box;
    return boxes;
}

void PagedList::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    for (const auto& shown : m_shown)
        shown->layout->draw(&painter, shown->box.topLeft());
}

void PagedList::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    relayOut();
}
