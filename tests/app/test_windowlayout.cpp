#include "app/windowlayout.h"

#include <QtTest>

#include <array>

using sortivo::computeWindowLayout;
using sortivo::LayoutInputs;
using sortivo::minimumOuterHeight;
using sortivo::minimumOuterWidth;
using sortivo::WindowLayout;

namespace
{

constexpr std::array<const char*, 13> names = {
    "fraBasWidth",     "fraBasTop",     "fraMenuTop",    "command1Left",  "txtListeHeight",
    "txtResultHeight", "txtListeWidth", "fraCentreLeft", "txtResultLeft", "txtResultWidth",
    "lblResultLeft",   "picMnu0Left",   "picMnu1Left"};

QList<float> fields(const WindowLayout& l)
{
    return {l.fraBasWidth,     l.fraBasTop,     l.fraMenuTop,    l.command1Left,  l.txtListeHeight,
            l.txtResultHeight, l.txtListeWidth, l.fraCentreLeft, l.txtResultLeft, l.txtResultWidth,
            l.lblResultLeft,   l.picMnu0Left,   l.picMnu1Left};
}

const LayoutInputs otherDesign{300, 1500, 800, 100, 2000, 800, 1000};

} // namespace

class TestWindowLayout : public QObject
{
    Q_OBJECT

private slots:
    void layout_data();
    void layout();
};

void TestWindowLayout::layout_data()
{
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("height");
    QTest::addColumn<bool>("defaultDesign");
    // In the order of `names`.
    QTest::addColumn<QList<float>>("expected");

    QTest::newRow("designed size")
        << 13215.f << 8040.f << true
        << QList<float>{13095,  6960,   6705,   11280,  5960,   5960, 5322.5,
                        5382.5, 7592.5, 5322.5, 7712.5, 4527.5, 11700};
    QTest::newRow("one twip more each way")
        << 13216.f << 8041.f << true << QList<float>{13096, 6961, 6706, 11281, 5961, 5961, 5323,
                                                     5383,  7593, 5323, 7713,  4528, 11701};
    QTest::newRow("odd width") << 9001.f << 6000.f << true
                               << QList<float>{8881,   4920,   4665,   7066,   3920,   3920, 3215.5,
                                               3275.5, 5485.5, 3215.5, 5605.5, 2420.5, 7486};
    QTest::newRow("minimum size") << minimumOuterWidth << minimumOuterHeight << true
                                  << QList<float>{2450, 1000, 745, 635,  0,    0,   0,
                                                  60,   2270, 0,   2390, -795, 1055};
    QTest::newRow("below the minimum")
        << 2000.f << 1500.f << true
        << QList<float>{1880, 420, 165, 65, -580, -580, -285, -225, 1985, -285, 2105, -1080, 485};
    // Past 2^23 a float has no half twips: the half is rounded to even at each step, so the
    // right-hand picture lands one twip left of where double arithmetic would put it.
    QTest::newRow("single precision")
        << 16777215.f << 16777215.f << true
        << QList<float>{16777095,  16776135, 16775880,  16775280, 16775135,  16775135, 8387322.5,
                        8387382.5, 8389592,  8387322.5, 8389712,  8386527.5, 16775699};
    QTest::newRow("other design sizes")
        << 13215.f << 8040.f << false
        << QList<float>{13095,  6960,   6660,   11475,  5835,   5835, 5457.5,
                        5517.5, 7457.5, 5457.5, 7577.5, 4757.5, 11915};
}

void TestWindowLayout::layout()
{
    QFETCH(float, width);
    QFETCH(float, height);
    QFETCH(bool, defaultDesign);
    QFETCH(QList<float>, expected);

    const WindowLayout l = defaultDesign ? computeWindowLayout(width, height)
                                         : computeWindowLayout(width, height, otherDesign);
    const QList<float> got = fields(l);
    QCOMPARE(got.size(), expected.size());
    for (qsizetype i = 0; i < got.size(); ++i) {
        // Exact: the positions are whole or half twips and must not drift by any amount.
        QVERIFY2(got[i] == expected[i], qPrintable(QStringLiteral("%1 is %2, expected %3")
                                                       .arg(QLatin1String(names[i]))
                                                       .arg(double(got[i]), 0, 'f', 3)
                                                       .arg(double(expected[i]), 0, 'f', 3)));
    }
}

QTEST_APPLESS_MAIN(TestWindowLayout)
#include "test_windowlayout.moc"
