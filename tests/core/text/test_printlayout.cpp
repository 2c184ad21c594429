#include "core/text/printlayout.h"

#include <QtTest>

#include <cstdint>
#include <limits>

using sortivo::computePrintLayout;
using sortivo::LinePlace;
using sortivo::pageCount;
using sortivo::placeLines;
using sortivo::PrintLayout;

namespace
{

// A layout whose numbers can be read straight off a test row.
PrintLayout layoutOf(std::int16_t top, float lowest)
{
    PrintLayout layout;
    layout.leftMargin = 480;
    layout.topMargin = top;
    layout.lineWidth = 10560;
    layout.lowestLineStart = lowest;
    return layout;
}

} // namespace

Q_DECLARE_METATYPE(std::vector<LinePlace>)

class TestPrintLayout : public QObject
{
    Q_OBJECT

private slots:
    void margins_data();
    void margins();
    void outOfRange_data();
    void outOfRange();
    void places_data();
    void places();
    void pagesFollowTheLimit_data();
    void pagesFollowTheLimit();
    void manyLines();
};

void TestPrintLayout::margins_data()
{
    QTest::addColumn<int>("sheetWidth");
    QTest::addColumn<int>("sheetHeight");
    QTest::addColumn<float>("printableWidth");
    QTest::addColumn<float>("printableHeight");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    QTest::addColumn<float>("lineWidth");
    QTest::addColumn<float>("lowest");

    // Letter with quarter-inch margins all round.
    QTest::newRow("letter") << 12240 << 15840 << 11520.f << 15120.f << 480 << 560 << 10560.f
                            << 14000.f;
    // A4 as a 600 dpi laser driver reports it, in whole device pixels turned into twips.
    QTest::newRow("a4 laser") << 11906 << 16838 << 11520.f << 16584.f << 313 << 327 << 10894.f
                              << 15930.f;
    QTest::newRow("no unprintable border")
        << 12240 << 15840 << 12240.f << 15840.f << 120 << 200 << 12000.f << 15440.f;
    // 240.5 and 260.5 go down to the even neighbour, 241.5 and 263.5 go up to it.
    QTest::newRow("half down to even")
        << 1000 << 1000 << 759.f << 879.f << 240 << 260 << 279.f << 359.f;
    QTest::newRow("half up to even")
        << 1000 << 1000 << 757.f << 873.f << 242 << 264 << 273.f << 345.f;
    // A fraction from the float printable size: 120.25 and 200.75.
    QTest::newRow("fractions round to nearest")
        << 1000 << 1000 << 999.5f << 998.5f << 120 << 201 << 759.5f << 596.5f;
    QTest::newRow("printable larger than the sheet")
        << 1000 << 1000 << 1400.f << 1600.f << -80 << -100 << 1560.f << 1800.f;
    // The largest margins whose double still fits in 16 bits.
    QTest::newRow("largest margins")
        << 32526 << 32366 << 0.f << 0.f << 16383 << 16383 << -32766.f << -32766.f;
    QTest::newRow("smallest margins")
        << 0 << 0 << 33008.f << 33168.f << -16384 << -16384 << 65776.f << 65936.f;
}

void TestPrintLayout::margins()
{
    QFETCH(int, sheetWidth);
    QFETCH(int, sheetHeight);
    QFETCH(float, printableWidth);
    QFETCH(float, printableHeight);
    QFETCH(int, left);
    QFETCH(int, top);
    QFETCH(float, lineWidth);
    QFETCH(float, lowest);

    const auto layout =
        computePrintLayout(sheetWidth, sheetHeight, printableWidth, printableHeight);
    QVERIFY(layout);
    QCOMPARE(int(layout->leftMargin), left);
    QCOMPARE(int(layout->topMargin), top);
    QCOMPARE(layout->lineWidth, lineWidth);
    QCOMPARE(layout->lowestLineStart, lowest);
}

void TestPrintLayout::outOfRange_data()
{
    QTest::addColumn<int>("sheetWidth");
    QTest::addColumn<int>("sheetHeight");
    QTest::addColumn<float>("printableWidth");
    QTest::addColumn<float>("printableHeight");

    QTest::newRow("left margin past 16 bits") << 65536 << 1000 << 0.f << 1000.f;
    QTest::newRow("top margin past 16 bits") << 1000 << 65536 << 1000.f << 0.f;
    QTest::newRow("twice the left margin past 16 bits") << 32528 << 1000 << 0.f << 1000.f;
    QTest::newRow("twice the top margin past 16 bits") << 1000 << 32368 << 1000.f << 0.f;
    QTest::newRow("twice a negative margin past 16 bits") << 0 << 1000 << 33010.f << 1000.f;
    // Near the 32-bit limits a float sum would lose the low digits; the margin is still huge.
    QTest::newRow("widest sheet") << std::numeric_limits<std::int32_t>::max() << 1000 << 0.f
                                  << 1000.f;
    QTest::newRow("not a number") << 1000 << 1000 << std::numeric_limits<float>::quiet_NaN()
                                  << 1000.f;
    QTest::newRow("infinite printable height")
        << 1000 << 1000 << 1000.f << std::numeric_limits<float>::infinity();
}

void TestPrintLayout::outOfRange()
{
    QFETCH(int, sheetWidth);
    QFETCH(int, sheetHeight);
    QFETCH(float, printableWidth);
    QFETCH(float, printableHeight);

    QVERIFY(!computePrintLayout(sheetWidth, sheetHeight, printableWidth, printableHeight));
}

void TestPrintLayout::places_data()
{
    QTest::addColumn<int>("lineCount");
    QTest::addColumn<float>("lineHeight");
    QTest::addColumn<int>("top");
    QTest::addColumn<float>("lowest");
    QTest::addColumn<std::vector<LinePlace>>("expected");

    QTest::newRow("no lines, no page") << 0 << 100.f << 200 << 1000.f << std::vector<LinePlace>{};
    QTest::newRow("one line at the top margin")
        << 1 << 100.f << 200 << 1000.f << std::vector<LinePlace>{{0, 200}};
    // Lines begin at 200, 500, 800; the next one would begin at 1100, below the limit.
    QTest::newRow("the line below the limit opens a page")
        << 5 << 300.f << 200 << 1000.f
        << std::vector<LinePlace>{{0, 200}, {0, 500}, {0, 800}, {1, 200}, {1, 500}};
    // 200, 600, 1000: the third line begins exactly at the limit and stays.
    QTest::newRow("beginning at the limit still fits")
        << 4 << 400.f << 200 << 1000.f
        << std::vector<LinePlace>{{0, 200}, {0, 600}, {0, 1000}, {1, 200}};
    QTest::newRow("just past the limit breaks")
        << 3 << 400.5f << 200 << 1000.f << std::vector<LinePlace>{{0, 200}, {0, 600.5f}, {1, 200}};
    QTest::newRow("a line taller than the page, one a page")
        << 3 << 5000.f << 200 << 1000.f << std::vector<LinePlace>{{0, 200}, {1, 200}, {2, 200}};
    // The limit above the top margin: the test before the first line already turns the page,
    // so the sheet the job began on stays blank, as the old program's did.
    QTest::newRow("limit above the top margin")
        << 2 << 10.f << 600 << 400.f << std::vector<LinePlace>{{1, 600}, {2, 600}};
    QTest::newRow("zero line height never breaks")
        << 3 << 0.f << 200 << 1000.f << std::vector<LinePlace>{{0, 200}, {0, 200}, {0, 200}};
}

void TestPrintLayout::places()
{
    QFETCH(int, lineCount);
    QFETCH(float, lineHeight);
    QFETCH(int, top);
    QFETCH(float, lowest);
    QFETCH(std::vector<LinePlace>, expected);

    const auto places =
        placeLines(std::size_t(lineCount), lineHeight, layoutOf(std::int16_t(top), lowest));
    QCOMPARE(places.size(), expected.size());
    for (std::size_t i = 0; i < places.size(); ++i) {
        QCOMPARE(places[i].page, expected[i].page);
        QCOMPARE(places[i].top, expected[i].top);
    }
    QCOMPARE(pageCount(places), expected.empty() ? 0 : expected.back().page + 1);
}

void TestPrintLayout::pagesFollowTheLimit_data()
{
    QTest::addColumn<float>("lineHeight");
    QTest::addColumn<int>("linesPerPage");

    // Letter with quarter-inch margins: lines may begin from 560 down to 14000 twips.
    QTest::newRow("12 pt lines") << 240.f << 57;     // 560 + 56 * 240 = 14000 exactly
    QTest::newRow("a hair taller") << 240.01f << 56; // the 57th line would begin past 14000
    QTest::newRow("13.8 pt lines") << 276.f << 49;   // 560 + 48 * 276 = 13808
    QTest::newRow("odd height") << 331.3f << 41;
}

// Every page holds the same number of lines and each begins at the top margin.
void TestPrintLayout::pagesFollowTheLimit()
{
    QFETCH(float, lineHeight);
    QFETCH(int, linesPerPage);

    const auto layout = computePrintLayout(12240, 15840, 11520, 15120);
    QVERIFY(layout);
    const std::size_t count = 300;
    const auto places = placeLines(count, lineHeight, *layout);
    const std::size_t perPage = std::size_t(linesPerPage);
    for (std::size_t i = 0; i < count; ++i) {
        QCOMPARE(places[i].page, i / perPage);
        if (i % perPage == 0)
            QCOMPARE(places[i].top, 560.f);
        else
            QVERIFY(places[i].top > places[i - 1].top);
        QVERIFY(places[i].top <= layout->lowestLineStart);
    }
    QCOMPARE(pageCount(places), (count + perPage - 1) / perPage);
}

// The old program stopped after 32,767 lines; nothing here may wrap a 16-bit line index.
void TestPrintLayout::manyLines()
{
    const auto layout = computePrintLayout(12240, 15840, 11520, 15120);
    QVERIFY(layout);
    const std::size_t count = 100'000;
    const auto places = placeLines(count, 240, *layout);
    QCOMPARE(places.size(), count);
    QCOMPARE(places[32767].page, std::size_t(32767 / 57));
    QCOMPARE(places[32767].top, 560.f + float(32767 % 57) * 240);
    QCOMPARE(places[32768].page, std::size_t(32768 / 57));
    QCOMPARE(places.back().page, std::size_t((count - 1) / 57));
    QCOMPARE(pageCount(places), (count + 56) / 57);
}

QTEST_APPLESS_MAIN(TestPrintLayout)
#include "test_printlayout.moc"
