#include "app/mainwindow.h"
#include "draw/drawsession.h"
#include "support/fakeplatform.h"
#include "support/guitest.h"
#include "support/mainwindowtest.h"
#include "support/proofsamples.h"

#include <QtTest>

#include <memory>

namespace
{

const QString clearQuestion = QStringLiteral("Effacer d'abord les résultats ?");

} // namespace

class TestDrawWindow : public MainWindowTest
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startState();
    void clearPrompt_data();
    void clearPrompt();
    void drawAllEmptiesTheList();
    void teamsOfTwo();
    void teamsWithoutSizeAreSingles();
    void chosenNumberNeedsAChoice();
    void flawedListAskedAboutFirst();
    void progressForManyDraws_data();
    void progressForManyDraws();
    void noProgressForOneDraw();
    void drawReadsAChangedList_data();
    void drawReadsAChangedList();
    void clickDuringTheHash_data();
    void clickDuringTheHash();

private:
    // A long run goes on after the click returns; the window serves events meanwhile.
    bool runEnds() const
    {
        return QTest::qWaitFor([&] { return !m_window->busyState().running(); }, 30000);
    }

    // Draws nothing, but the window reloads the list and offers 1..n to draw.
    void loadList(const QStringList& lines)
    {
        setBoxLines(*list(), lines);
        go(0)->click();
    }
};

void TestDrawWindow::init()
{
    openWindow();
}

void TestDrawWindow::cleanup()
{
    closeWindow();
}

void TestDrawWindow::startState()
{
    QCOMPARE(m_window->objectName(), QStringLiteral("frmMain"));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Sortivo"));
    QVERIFY(list()->document()->isEmpty());
    QVERIFY(results()->document()->isEmpty());
    QCOMPARE(drawCount()->count(), 0);
    QCOMPARE(comboItems(*teamSize()), numberTexts(2, 10));
    QCOMPARE(teamSize()->currentIndex(), -1);
    QVERIFY(!percent()->isVisible());
    QCOMPARE(percent()->text(), QStringLiteral("0%"));
    QVERIFY(!stopButton()->isVisible());
    QCOMPARE(stopButton()->text(), QStringLiteral("Arreter"));
    QCOMPARE(go(1)->text(), QStringLiteral("Tirer un élément au hasard"));
    QCOMPARE(go(2)->text(), QStringLiteral("Tous"));
    QCOMPARE(control<QPushButton>(*m_window, QStringLiteral("Command1"))->text(),
             QStringLiteral("Info"));
    QVERIFY(control<QLabel>(*m_window, QStringLiteral("lblVelmora"))
                ->text()
                .startsWith(QStringLiteral("by Velmora - ")));
}

void TestDrawWindow::clearPrompt_data()
{
    QTest::addColumn<QStringList>("listLines");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QStringList>("resultLines");

    const QStringList one{QStringLiteral("A")};
    QTest::newRow("yes clears") << one << 2 << true << true << one;
    QTest::newRow("no appends on a new line")
        << one << 2 << true << false << QStringList{QStringLiteral("old"), QStringLiteral("A")};
    QTest::newRow("single draw never asks")
        << one << 1 << false << false << QStringList{QStringLiteral("old"), QStringLiteral("A")};
    QTest::newRow("teams ask too") << one << 3 << true << true << one;
    QTest::newRow("empty list still asks, yes clears")
        << QStringList{} << 2 << true << true << QStringList{};
    QTest::newRow("empty list, no keeps")
        << QStringList{} << 0 << true << false << QStringList{QStringLiteral("old")};
}

void TestDrawWindow::clearPrompt()
{
    QFETCH(QStringList, listLines);
    QFETCH(int, mode);
    QFETCH(bool, asked);
    QFETCH(bool, answer);
    QFETCH(QStringList, resultLines);

    setBoxLines(*list(), listLines);
    setBoxLines(*results(), {QStringLiteral("old")});
    if (asked)
        m_platform->expectYesNo(clearQuestion, answer);
    go(mode)->click();
    QCOMPARE(boxLines(*results()), resultLines);
}

void TestDrawWindow::drawAllEmptiesTheList()
{
    setBoxLines(*list(), {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    go(2)->click();
    QVERIFY(list()->document()->isEmpty());
    QStringList drawn = boxLines(*results());
    drawn.sort();
    QCOMPARE(drawn, (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}));
    QCOMPARE(drawCount()->count(), 0);
    QVERIFY(!percent()->isVisible());
}

void TestDrawWindow::teamsOfTwo()
{
    setBoxLines(*list(), numberedNames(5));
    teamSize()->setCurrentIndex(0);
    go(3)->click();
    const QStringList lines = boxLines(*results());
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0].split(QStringLiteral(" - ")).size(), 2);
    QCOMPARE(lines[1].split(QStringLiteral(" - ")).size(), 2);
    QCOMPARE(lines[2].split(QStringLiteral(" - ")).size(), 1);
}

void TestDrawWindow::teamsWithoutSizeAreSingles()
{
    setBoxLines(*list(), numberedNames(4));
    go(3)->click();
    QCOMPARE(boxLines(*results()).size(), 4);
    QVERIFY(!results()->toPlainText().contains(QStringLiteral(" - ")));
}

void TestDrawWindow::chosenNumberNeedsAChoice()
{
    // Nothing chosen: nothing drawn, but the list is rewritten in its tidy form.
    setBoxLines(*list(), {QString(), QStringLiteral("A"), QString(), QStringLiteral("B")});
    go(0)->click();
    QCOMPARE(boxLines(*list()), (QStringList{QStringLiteral("A"), QString(), QStringLiteral("B")}));
    QVERIFY(results()->document()->isEmpty());
    QCOMPARE(comboItems(*drawCount()), numberTexts(1, 4));
    QCOMPARE(drawCount()->currentIndex(), -1);

    setBoxLines(*list(), numberedNames(4));
    drawCount()->setCurrentIndex(1);
    go(0)->click();
    QCOMPARE(boxLines(*results()).size(), 2);
    QCOMPARE(boxLines(*list()).size(), 2);
    QCOMPARE(comboItems(*drawCount()), numberTexts(1, 2));
}

void TestDrawWindow::flawedListAskedAboutFirst()
{
    const QString question =
        QStringLiteral("La liste contient 1 entrée en double. Tirer quand même ?");
    const QStringList names{QStringLiteral("Anne"), QStringLiteral("Bob"), QStringLiteral("Anne")};
    setBoxLines(*list(), names);
    setBoxLines(*results(), {QStringLiteral("Déjà tiré")});
    // No: before the results could be cleared, so that nothing changes.
    m_platform->expectYesNo(question, false);
    go(2)->click();
    QCOMPARE(boxLines(*list()), names);
    QCOMPARE(boxLines(*results()), QStringList{QStringLiteral("Déjà tiré")});

    m_platform->expectYesNo(question, true);
    m_platform->expectYesNo(QStringLiteral("Effacer d'abord les résultats ?"), true);
    go(2)->click();
    QVERIFY(waitForRun(*m_window));
    QStringList drawn = boxLines(*results());
    drawn.sort();
    QCOMPARE(drawn,
             (QStringList{QStringLiteral("Anne"), QStringLiteral("Anne"), QStringLiteral("Bob")}));
    QVERIFY(list()->document()->isEmpty());
}

void TestDrawWindow::progressForManyDraws_data()
{
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("draws");
    QTest::addColumn<bool>("shown");
    // A run shows its progress from 300 draws, or from a list of 1000 entries.
    QTest::newRow("300 of 500") << 500 << 300 << true;
    QTest::newRow("299 of 500") << 500 << 299 << false;
    QTest::newRow("5 of 1000") << 1000 << 5 << true;
    QTest::newRow("5 of 999") << 999 << 5 << false;
}

void TestDrawWindow::progressForManyDraws()
{
    QFETCH(int, entries);
    QFETCH(int, draws);
    QFETCH(bool, shown);

    // From 1000 entries even the click that only loads the list is a run of its own.
    loadList(numberedNames(entries));
    QVERIFY(runEnds());
    drawCount()->setCurrentIndex(draws - 1);
    go(0)->click();
    QVERIFY(runEnds());
    QCOMPARE(percent()->isVisible(), shown);
    if (shown)
        QCOMPARE(percent()->text(), QStringLiteral("100%"));
    QVERIFY(!stopButton()->isVisible());
    QCOMPARE(boxLines(*results()).size(), draws);
    QCOMPARE(boxLines(*list()).size(), entries - draws);
    QCOMPARE(comboItems(*drawCount()), numberTexts(1, entries - draws));
    if (!shown)
        return;

    // Typing afterwards hides the stale percentage.
    list()->appendPlainText(QStringLiteral("x"));
    QVERIFY(!percent()->isVisible());
}

void TestDrawWindow::noProgressForOneDraw()
{
    setBoxLines(*list(), numberedNames(2000));
    go(1)->click();
    QVERIFY(!percent()->isVisible());
    QVERIFY(!stopButton()->isVisible());
    QCOMPARE(boxLines(*results()).size(), 1);
    QCOMPARE(boxLines(*list()).size(), 1999);
}

QTEST_MAIN(TestDrawWindow)
#include "test_drawwindow.moc"

void TestDrawWindow::drawReadsAChangedList_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("untouched") << QString();
    QTest::newRow("replaced") << QStringLiteral("replaced");
    QTest::newRow("typed") << QStringLiteral("typed");
    QTest::newRow("numbered") << QStringLiteral("numbered");
}

// A draw after another may start from the entries the last one left without reading the box;
// any change to the list in between, even one that keeps the number of entries, must be read.
void TestDrawWindow::drawReadsAChangedList()
{
    QFETCH(QString, change);
    setBoxLines(*list(), {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"),
                          QStringLiteral("D"), QStringLiteral("E")});
    go(1)->click();
    QCOMPARE(list()->blockCount(), 4);
    if (change == QLatin1String("replaced")) {
        setBoxLines(*list(), {QStringLiteral("P"), QStringLiteral("Q"), QStringLiteral("R"),
                              QStringLiteral("S")});
    } else if (change == QLatin1String("typed")) {
        // Every line retyped, so that whichever entry the draw takes must come from the new ones.
        list()->setFocus();
        QTest::keyClick(list(), Qt::Key_A, Qt::ControlModifier);
        for (const QString& line :
             {QStringLiteral("W"), QStringLiteral("X"), QStringLiteral("Y")}) {
            QTest::keyClicks(list(), line);
            QTest::keyClick(list(), Qt::Key_Return);
        }
        QTest::keyClicks(list(), QStringLiteral("Z"));
    } else if (change == QLatin1String("numbered")) {
        m_platform->expectText(QStringLiteral("Numérotation"), QStringLiteral("Numéroter jusqu'à"),
                               QStringLiteral("100"), QStringLiteral("4"));
        button(QStringLiteral("cmdNumList"))->click();
    }
    QStringList before = boxLines(*list());
    go(1)->click();
    QVERIFY(runEnds());

    // The drawn entry is one the list showed, and the only one it lost.
    QStringList after = boxLines(*list());
    after << boxLines(*results()).constLast();
    before.sort();
    after.sort();
    QCOMPARE(after, before);
}

void TestDrawWindow::clickDuringTheHash_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("one") << int(sortivo::DrawMode::One);
    QTest::newRow("all, in slices") << int(sortivo::DrawMode::All);
}

// What a long list's run leaves is hashed on another thread: a click that comes meanwhile waits
// for it, then draws what it would have drawn had it come later.
void TestDrawWindow::clickDuringTheHash()
{
    QFETCH(int, mode);
    const int count = int(DrawSession::leftoverThreadFrom) + 2;
    const std::string listText = proofsamples::numbered(count, "n");
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines << QStringLiteral("n%1").arg(i);
    setBoxLines(*list(), lines);
    go(1)->click();
    QCOMPARE(m_window->proof().runs().size(), std::size_t(1));
    if (mode != int(sortivo::DrawMode::One))
        m_platform->expectYesNo(clearQuestion, false);
    go(mode)->click();
    QVERIFY(m_platform->busy());
    QVERIFY(!m_window->busyState().running());
    QTRY_VERIFY(!m_platform->busy() && !m_window->busyState().running());

    sortivo::ProofSession replay(m_window->proof().seed());
    const std::string left = proofsamples::click(replay, listText, sortivo::DrawMode::One);
    proofsamples::click(replay, left, sortivo::DrawMode(mode));
    const std::vector<sortivo::RunRecord>& runs = m_window->proof().runs();
    QCOMPARE(runs.size(), replay.runs().size());
    for (std::size_t r = 0; r < runs.size(); ++r) {
        QCOMPARE(runs[r].fingerprint, replay.runs()[r].fingerprint);
        QCOMPARE(runs[r].results.size(), replay.runs()[r].results.size());
        for (std::size_t i = 0; i < runs[r].results.size(); ++i)
            QCOMPARE(runs[r].results.at(i), replay.runs()[r].results.at(i));
    }
}
