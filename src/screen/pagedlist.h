#pragma once

#include "screen/palmareslines.h"

#include <QList>
#include <QTimer>
#include <QWidget>

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

class QTextLayout;

// lstEcranResultats: lines shown a page at a time, read column after column, in as many columns
// across the width as show the most of them. A line too long for its column wraps, inside a word
// when it must: nothing is cut. When they take more than one page, the page turns by itself
// every pageTurnMs, from the last back to the first. Only the lines of the page shown are laid
// out, whatever their number.
class PagedList : public QWidget
{
    Q_OBJECT
public:
    explicit PagedList(QWidget* parent);
    ~PagedList() override;

    static constexpr int pageTurnMs = 8000;
    static constexpr int maxColumns = 4;

    using LineAt = std::function<PalmaresLine(std::size_t)>;
    // Shows `count` lines, read by `lineAt`, from the page that ends with the last one or from
    // the first page.
    enum class From { Start, End };
    void setLines(std::size_t count, LineAt lineAt, From from);
    // The lines' pixel size; a page whose first line would not fit at it is drawn smaller.
    void setPixelSize(int pixels);
    void nextPage();
    void previousPage();

    // What the page shown holds: its lines' texts, and the part of each that is struck through.
    QStringList shownTexts() const;
    QList<qsizetype> shownStruck() const;
    int shownColumns() const { return m_columns; }
    int shownPixelSize() const { return m_shownPixels; }
    // Whether the lines take more than one page.
    bool paged() const { return m_first > 0 || m_end < m_count; }
    // Each shown line's box, in this widget.
    QList<QRect> shownBoxes() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Shown;
    // The page of the lines from `first` on, or of those that end before `end`.
    void layOutFrom(std::size_t first);
    void layOutEndingAt(std::size_t end);
    void layOut(std::size_t first, std::size_t end, int columns, int pixels);
    void relayOut();
    void restartTurn();
    int columnWidth(int columns, int pixels) const;
    // Measures the lines from `first` on, forward or backward, that fit `columns` columns.
    std::size_t fitForward(std::size_t first, int columns, int pixels) const;
    std::size_t fitBackward(std::size_t end, int columns, int pixels) const;
    int lineHeight(std::size_t index, int width, int pixels) const;
    int spacing(int pixels) const { return std::max(1, pixels / 4); }
    int gap(int pixels) const { return std::max(1, pixels); }

    std::size_t m_count = 0;
    LineAt m_lineAt;
    From m_from = From::End;
    int m_pixels = 12;
    int m_shownPixels = 12;
    std::size_t m_first = 0;
    std::size_t m_end = 0;
    int m_columns = 1;
    // Whether the page was found from its end: it is found so again when the room changes.
    bool m_fromEnd = true;
    std::vector<std::unique_ptr<Shown>> m_shown;
    QTimer m_turn;
};
