#include "app/mainwindow.h"
#include "draw/drawcontroller.h"
#include "support/fakeplatform.h"
#include "support/guitest.h"
#include "support/mainwindowtest.h"

#include <QClipboard>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QTextTable>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

// An impatient user during a long draw: every button, edits of both boxes, the stop button
// pressed twice, the window closed. Whatever is clicked, no entry may be lost or doubled.

namespace
{

const QString clearQuestion = QStringLiteral("Effacer d'abord les résultats ?");
const QStringList oldResults{QStringLiteral("ancien 1"), QStringLiteral("ancien 2")};
// The window lets events in before every draw here, so a run of this length has plenty of
// rounds for the test to act in.
constexpr int longList = 20000;
// At the window's own pace a slice draws thousands: only a list this long is still being drawn
// once the results show `ownPaceLines`, which a stop or a close then cuts short.
constexpr int ownPaceList = 300000;
constexpr int ownPaceLines = 20000;

// The entries a result text holds: one line per draw or per team, members joined by " - ".
QStringList drawnEntries(const QStringList& resultLines)
{
    QStringList entries;
    for (const QString& line : resultLines)
        entries += line.split(QStringLiteral(" - "));
    return entries;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

// The entries of numberedNames() left in the list are still in their list order.
bool inListOrder(const QStringList& rest)
{
    int previous = 0;
    for (const QString& line : rest) {
        bool ok = false;
        const int number = line.mid(4).toInt(&ok);
        if (!line.startsWith(QLatin1String("Nom ")) || !ok || number <= previous)
            return false;
        previous = number;
    }
    return true;
}

} // namespace

class TestAbuse : public MainWindowTest
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void buttonsDuringARun_data();
    void buttonsDuringARun();
    void editsDuringARun_data();
    void editsDuringARun();
    void closingDuringARun_data();
    void closingDuringARun();
    void fiftyDrawsInARow();
    void structuredText_data();
    void structuredText();

private:
    // Runs `action` the `round`-th time the program lets events in from now on (1: the first).
    // A run that has already ended leaves it to settle().
    void atEventRound(int round, std::function<void()> action);
    // Runs `action` once the results show more than `lines` lines, or the run has ended.
    void whenResultsShow(int lines, std::function<void()> action);
    // Lets every scheduled action happen, for runs that ended before their round came, and
    // the run in progress end.
    void settle();
    // Fills the list and the choice of how many to draw, as leaving the list would. Unless at
    // the window's own pace, the runs that follow draw one entry per round of events.
    void loadList(const QStringList& lines, bool ownPace = false);
    // Clicks a draw button and waits for whatever was scheduled during the run.
    void runDraw(int mode);
    // Nothing lost, nothing doubled, nothing foreign: the old results as they were, then the
    // drawn entries, and the rest of the list, make up `original`.
    void checkNothingLost(const QStringList& original);

    int m_scheduled = 0;
    // Actions left over from a failed test would touch its finished stack frame.
    int m_generation = 0;
};

void TestAbuse::init()
{
    openWindow(Journal::InTemporaryFolder);
}

void TestAbuse::cleanup()
{
    ++m_generation;
    settle();
    closeWindow();
}

void TestAbuse::atEventRound(int round, std::function<void()> action)
{
    ++m_scheduled;
    // A zero timer posted while events are being handled waits for the next round.
    QTimer::singleShot(0, this,
                       [this, round, generation = m_generation, action = std::move(action)] {
                           --m_scheduled;
                           if (generation != m_generation)
                               return;
                           if (round <= 1)
                               action();
                           else
                               atEventRound(round - 1, action);
                       });
}

void TestAbuse::whenResultsShow(int lines, std::function<void()> action)
{
    atEventRound(1, [this, lines, action = std::move(action)] {
        if (results()->blockCount() > lines || !m_window->busyState().running())
            action();
        else
            whenResultsShow(lines, action);
    });
}

void TestAbuse::settle()
{
    while (m_scheduled > 0 || m_window->busyState().running())
        QCoreApplication::processEvents();
}

void TestAbuse::loadList(const QStringList& lines, bool ownPace)
{
    if (!ownPace)
        m_window->findChild<DrawController*>()->setEventInterval(std::chrono::milliseconds(0));
    setBoxLines(*list(), lines);
    list()->setFocus(Qt::MouseFocusReason);
    go(0)->setFocus(Qt::MouseFocusReason);
    QCOMPARE(drawCount()->count(), lines.size());
}

void TestAbuse::runDraw(int mode)
{
    go(mode)->click();
    settle();
    QVERIFY(!stopButton()->isVisible());
    QVERIFY(!m_window->busyState().running());
    // However the run ended, the user may type in both boxes again.
    QVERIFY(!list()->isReadOnly());
    QVERIFY(!results()->isReadOnly());
}

void TestAbuse::checkNothingLost(const QStringList& original)
{
    const QStringList resultLines = boxLines(*results());
    QCOMPARE(resultLines.mid(0, oldResults.size()), oldResults);
    const QStringList drawn = drawnEntries(resultLines.mid(oldResults.size()));
    const QStringList rest = boxLines(*list());
    QCOMPARE(drawn.size() + rest.size(), original.size());
    QCOMPARE(sorted(drawn + rest), sorted(original));
    QVERIFY(inListOrder(rest));
    QCOMPARE(comboItems(*drawCount()), numberTexts(1, int(rest.size())));
    QCOMPARE(drawCount()->currentIndex(), -1);
}

void TestAbuse::buttonsDuringARun_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("clicked"); // in the run's first round of events
    QTest::addColumn<bool>("stopTwice");      // in its second round
    QTest::addColumn<bool>("ownPace");        // all of it once the results fill, not at rounds

    const QStringList draws{QStringLiteral("cmdGo(0)"), QStringLiteral("cmdGo(1)"),
                            QStringLiteral("cmdGo(2)"), QStringLiteral("cmdGo(3)")};
    // Save before clear, so that the saved file shows what the results box held.
    const QStringList everything =
        draws + QStringList{QStringLiteral("cmdNumList"),     QStringLiteral("cmdOpen"),
                            QStringLiteral("cmdSave"),        QStringLiteral("cmdPrint"),
                            QStringLiteral("cmdClearResult"), QStringLiteral("Command1")};

    for (const int mode : {0, 2, 3}) {
        QTest::addRow("draw buttons, mode %d", mode) << mode << draws << false << false;
        QTest::addRow("numbering, mode %d", mode)
            << mode << QStringList{"cmdNumList"} << false << false;
        QTest::addRow("open, mode %d", mode) << mode << QStringList{"cmdOpen"} << false << false;
        QTest::addRow("save, mode %d", mode) << mode << QStringList{"cmdSave"} << false << false;
        QTest::addRow("print, mode %d", mode) << mode << QStringList{"cmdPrint"} << false << false;
        QTest::addRow("clear, mode %d", mode)
            << mode << QStringList{"cmdClearResult"} << false << false;
        QTest::addRow("info, mode %d", mode) << mode << QStringList{"Command1"} << false << false;
        QTest::addRow("stop twice, mode %d", mode) << mode << QStringList{} << true << false;
        QTest::addRow("everything, mode %d", mode) << mode << everything << true << false;
    }
    QTest::newRow("everything twice over")
        << 2 << everything + everything + QStringList{"cmdStopProcess"} << true << false;
    QTest::newRow("stop twice while the results fill") << 2 << QStringList{} << true << true;
}

void TestAbuse::buttonsDuringARun()
{
    QFETCH(int, mode);
    QFETCH(QStringList, clicked);
    QFETCH(bool, stopTwice);
    QFETCH(bool, ownPace);

    const int entries = ownPace ? ownPaceList : longList;
    const QStringList original = numberedNames(entries);
    loadList(original, ownPace);
    setBoxLines(*results(), oldResults);
    // Mode 0 draws most of the list, so a run that was not stopped leaves a known rest.
    const int chosen = entries - 1000;
    drawCount()->setCurrentIndex(chosen - 1);
    teamSize()->setCurrentIndex(1);

    // The old results are kept. Requests that reach a dialog are served (a second save is
    // cancelled); the others must not even ask.
    m_platform->expectYesNo(clearQuestion, false);
    const QString savedPath = m_dir->filePath(QStringLiteral("pendant.txt"));
    int saves = 0;
    for (const QString& name : clicked) {
        if (name == QLatin1String("cmdSave"))
            m_platform->expectSaveFile(saves++ == 0 ? savedPath : QString());
        else if (name == QLatin1String("cmdPrint"))
            m_platform->expectPrinter([](QPrinter&) { return false; });
        else if (name == QLatin1String("Command1"))
            m_platform->expectModal({});
    }

    bool sawStopButton = false;
    const auto clicks = [&] {
        QVERIFY(m_window->busyState().running());
        sawStopButton = stopButton()->isVisible();
        for (const QString& name : clicked)
            button(name)->click();
    };
    const auto stops = [&] {
        stopButton()->click();
        stopButton()->click();
    };
    if (ownPace) {
        whenResultsShow(oldResults.size() + ownPaceLines, [&] {
            clicks();
            if (stopTwice)
                stops();
        });
    } else {
        atEventRound(1, clicks);
        if (stopTwice)
            atEventRound(2, stops);
    }
    runDraw(mode);

    QVERIFY(sawStopButton);
    checkNothingLost(original);
    if (QTest::currentTestFailed())
        return;
    const int left = int(boxLines(*list()).size());
    QVERIFY(left < entries);
    const int unstoppedRest = mode == 0 ? entries - chosen : 0;
    if (stopTwice) {
        QVERIFY(left > unstoppedRest);
    } else if (!clicked.contains(QLatin1String("cmdStopProcess"))) {
        // Nothing but the stop button may cut a run short or change what it draws.
        QCOMPARE(left, unstoppedRest);
        QCOMPARE(percent()->text(), QStringLiteral("100%"));
    }
    QVERIFY(percent()->isVisible());
    if (saves > 0)
        QCOMPARE(readBytes(savedPath), oldResults.join(QStringLiteral("\r\n")).toUtf8() + "\r\n");
    if (mode == 3) {
        // Team lines of the chosen size, only the last one short.
        const QStringList teams = boxLines(*results()).mid(oldResults.size());
        for (qsizetype i = 0; i + 1 < teams.size(); ++i)
            QCOMPARE(teams[i].count(QStringLiteral(" - ")), 2);
    }

    // The window is ready for the next run, whatever was clicked; a click that comes while what
    // a long run left is being hashed is answered once that is done.
    setBoxLines(*list(), {QStringLiteral("seul")});
    go(1)->click();
    QTRY_COMPARE(boxLines(*results()).constLast(), QStringLiteral("seul"));
    QVERIFY(list()->document()->isEmpty());
}

void TestAbuse::editsDuringARun_data()
{
    QTest::addColumn<QString>("edit");
    QTest::newRow("typing in the list") << QStringLiteral("typeList");
    QTest::newRow("list replaced") << QStringLiteral("replaceList");
    QTest::newRow("list emptied with the keys") << QStringLiteral("eraseList");
    QTest::newRow("focus in and out of the list") << QStringLiteral("focusList");
    QTest::newRow("file dropped on the list") << QStringLiteral("dropOnList");
    QTest::newRow("typing in the results") << QStringLiteral("typeResults");
    QTest::newRow("results replaced") << QStringLiteral("replaceResults");
    QTest::newRow("results emptied with the keys") << QStringLiteral("eraseResults");
    QTest::newRow("both boxes, twice") << QStringLiteral("all");
}

void TestAbuse::editsDuringARun()
{
    QFETCH(QString, edit);

    const QStringList original = numberedNames(longList);
    loadList(original);
    setBoxLines(*results(), oldResults);
    const int chosen = longList / 2;
    drawCount()->setCurrentIndex(chosen - 1);

    const QString dropped = m_dir->filePath(QStringLiteral("dropped.txt"));
    {
        QFile file(dropped);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("intrus 1\r\nintrus 2\r\n");
    }
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(dropped)});

    const auto type = [](QPlainTextEdit* box) {
        box->setFocus(Qt::MouseFocusReason);
        box->moveCursor(QTextCursor::End);
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClicks(box, QStringLiteral("intrus"));
    };
    // As a user replaces a box's text: all selected, then pasted over.
    const auto replace = [](QPlainTextEdit* box) {
        QGuiApplication::clipboard()->setText(QStringLiteral("intrus"));
        box->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    };
    const auto erase = [](QPlainTextEdit* box) {
        box->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Delete);
    };
    const auto doEdit = [&](const QString& what) {
        const bool all = what == QLatin1String("all");
        if (all || what == QLatin1String("typeList"))
            type(list());
        if (all || what == QLatin1String("replaceList"))
            replace(list());
        if (all || what == QLatin1String("eraseList"))
            erase(list());
        if (all || what == QLatin1String("focusList")) {
            list()->setFocus(Qt::MouseFocusReason);
            teamSize()->setFocus(Qt::MouseFocusReason);
        }
        if (all || what == QLatin1String("dropOnList")) {
            QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(list()->viewport(), &drop);
        }
        if (all || what == QLatin1String("typeResults"))
            type(results());
        if (all || what == QLatin1String("replaceResults"))
            replace(results());
        if (all || what == QLatin1String("eraseResults"))
            erase(results());
    };
    atEventRound(1, [&] { doEdit(edit); });
    if (edit == QLatin1String("all"))
        atEventRound(2, [&] { doEdit(edit); });
    m_platform->expectYesNo(clearQuestion, false);
    runDraw(0);

    // Both boxes are rewritten from the run, as if never touched; the edits are gone.
    checkNothingLost(original);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(boxLines(*list()).size(), longList - chosen);
    QVERIFY(!list()->toPlainText().contains(QLatin1String("intrus")));
    QVERIFY(!results()->toPlainText().contains(QLatin1String("intrus")));
    // The program's own writing of the list is no user edit: the percentage stays.
    QVERIFY(percent()->isVisible());
    QCOMPARE(percent()->text(), QStringLiteral("100%"));
}

void TestAbuse::closingDuringARun_data()
{
    QTest::addColumn<bool>("numbering"); // else a draw
    QTest::addColumn<int>("closes");     // one per round of events, from the first
    QTest::addColumn<bool>("ownPace");   // closed once, while the results fill

    QTest::newRow("draw, closed once") << false << 1 << false;
    QTest::newRow("draw, closed twice") << false << 2 << false;
    QTest::newRow("draw, closed in three rounds") << false << 3 << false;
    QTest::newRow("draw at the window's own pace, closed while the results fill")
        << false << 1 << true;
    QTest::newRow("numbering, closed once") << true << 1 << false;
    QTest::newRow("numbering, closed twice") << true << 2 << false;
}

void TestAbuse::closingDuringARun()
{
    QFETCH(bool, numbering);
    QFETCH(int, closes);
    QFETCH(bool, ownPace);

    const QStringList original = numberedNames(ownPace ? ownPaceList : longList);
    if (!numbering)
        loadList(original, ownPace);
    setBoxLines(*results(), oldResults);

    bool closedWhileRunning = true;
    // The program ends when its last window closes, which Qt tells only inside the
    // application's own event loop: the run is started from there, as a click would be.
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    QTimer::singleShot(0, this, [&] {
        const auto close = [&](int round) {
            if (round == 1)
                closedWhileRunning = m_window->busyState().running();
            m_window->close();
        };
        if (ownPace) {
            whenResultsShow(oldResults.size() + ownPaceLines, [&] { close(1); });
        } else {
            for (int round = 1; round <= closes; ++round)
                atEventRound(round, [&, round] { close(round); });
        }
        if (numbering) {
            m_platform->expectText(QStringLiteral("Numérotation"),
                                   QStringLiteral("Numéroter jusqu'à"), QStringLiteral("100"),
                                   QStringLiteral("10000"));
            button(QStringLiteral("cmdNumList"))->click();
            settle();
        } else {
            m_platform->expectYesNo(clearQuestion, false);
            runDraw(2);
        }
        // Closing what is already closed changes nothing.
        m_window->close();
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(); });
    });
    QApplication::exec();

    QVERIFY(closedWhileRunning);
    QVERIFY(!m_window->isVisible());
    QVERIFY(!m_window->busyState().running());
    QCOMPARE(lastClosed.count(), 1);
    if (numbering) {
        QCOMPARE(boxLines(*list()), numberTexts(1, 10000));
        QCOMPARE(boxLines(*results()), oldResults);
    } else {
        checkNothingLost(original);
        // The run stopped at the close rather than drawing on for a window that is gone.
        QVERIFY(!list()->document()->isEmpty());
    }
}

void TestAbuse::fiftyDrawsInARow()
{
    // Entries that a careless round trip through the text boxes would change or split.
    QStringList original{QStringLiteral("Élodie"),
                         QStringLiteral("Zoë"),
                         QStringLiteral("Œdipe"),
                         QStringLiteral("nbsp\u00a0inside"),
                         QStringLiteral("  two leading blanks"),
                         QStringLiteral("trailing blank "),
                         QStringLiteral("tab\tinside"),
                         QStringLiteral("\U0001F3B2 dé"),
                         QStringLiteral("e\u0301"),
                         QStringLiteral("\u0645\u0631\u062D\u0628\u0627"),
                         QStringLiteral("Jean-Pierre"),
                         QStringLiteral("-"),
                         QStringLiteral("Marie"),
                         QStringLiteral("Marie"),
                         QStringLiteral("Marie"),
                         QString(500, QLatin1Char('w'))};
    for (int i = 1; original.size() < 1500; ++i)
        original << QStringLiteral("Nom %1").arg(i % 700);

    loadList(original);
    QStringList before;
    for (int draw = 1; draw <= 50; ++draw) {
        // Modes 0 and 1 most of the time, a team draw every third, all now and then; the
        // user stops those at once, so the list lasts to the end.
        int mode = draw % 3 == 0 ? 3 : draw % 2;
        if (draw % 10 == 5)
            mode = 2;
        const bool last = draw == 50;
        if (last)
            mode = 3;
        if (mode == 0)
            drawCount()->setCurrentIndex(draw % 7 == 0 ? -1 : draw % 5);
        if (mode == 3)
            teamSize()->setCurrentIndex(last ? 2 : draw % 9);

        bool stopSeen = false;
        if ((mode == 2 || mode == 3) && !last)
            atEventRound(1, [&] {
                stopSeen = stopButton()->isVisible();
                stopButton()->click();
            });
        // Asked once, at the first draw of the list; the draws after it take what it left.
        if (draw == 1)
            m_platform->expectYesNo(
                QStringLiteral("La liste contient 786 entrées en double. Tirer quand même ?"),
                true);
        if (mode != 1 && !before.isEmpty())
            m_platform->expectYesNo(clearQuestion, false);
        go(mode)->click();
        settle();

        const QString where = QStringLiteral("draw %1, mode %2").arg(draw).arg(mode);
        const QStringList resultLines = boxLines(*results());
        const QStringList rest = boxLines(*list());
        QVERIFY2(resultLines.mid(0, before.size()) == before, qPrintable(where));
        QVERIFY2(sorted(drawnEntries(resultLines) + rest) == sorted(original), qPrintable(where));
        QVERIFY2(comboItems(*drawCount()) == numberTexts(1, int(rest.size())), qPrintable(where));
        QVERIFY2(!stopButton()->isVisible(), qPrintable(where));
        QVERIFY2(m_platform->done(), qPrintable(where));
        if ((mode == 2 || mode == 3) && !last)
            QVERIFY2(stopSeen && !rest.isEmpty(), qPrintable(where));
        if (last) {
            QVERIFY(rest.isEmpty());
            const QStringList teams = resultLines.mid(before.size());
            QVERIFY(!teams.isEmpty());
            for (qsizetype i = 0; i + 1 < teams.size(); ++i)
                QVERIFY2(teams[i].split(QStringLiteral(" - ")).size() == 4, qPrintable(teams[i]));
        }
        before = resultLines;
    }
}

void TestAbuse::structuredText_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("emptyLines"); // that the first draw tells of

    // Pasted or dropped: what Markdown-aware editors and browsers put on the clipboard.
    QTest::newRow("Markdown table pasted into the list") << QStringLiteral("pasteMarkdown") << 0;
    QTest::newRow("Markdown table dropped on the list") << QStringLiteral("dropMarkdown") << 0;
    QTest::newRow("HTML table pasted into the list") << QStringLiteral("pasteHtml") << 0;
    QTest::newRow("HTML table alone dropped on the list") << QStringLiteral("dropHtmlOnly") << 2;
    QTest::newRow("Markdown table pasted into the results") << QStringLiteral("pasteResults") << 0;
    // Whatever a document may come to hold, however it got there.
    QTest::newRow("table inserted by code") << QStringLiteral("table") << 1;
    QTest::newRow("frame inserted by code") << QStringLiteral("frame") << 1;
    QTest::newRow("bulleted list inserted by code") << QStringLiteral("list") << 0;
}

void TestAbuse::structuredText()
{
    QFETCH(QString, how);
    QFETCH(int, emptyLines);

    const QString markdown = QStringLiteral("| Nom | Ville |\n|---|---|\n| Anne | Lyon |\n"
                                            "| Paul | Nice |\n| Zoé | Caen |");
    const QString html = QStringLiteral("<table><tr><td>Anne</td><td>Lyon</td></tr>"
                                        "<tr><td>Paul</td><td>Nice</td></tr></table>");
    auto mime = std::make_unique<QMimeData>();
    QString pasted = QTextDocumentFragment::fromHtml(html).toPlainText();
    if (how.contains(QLatin1String("Markdown")) || how == QLatin1String("pasteResults")) {
        // Offered first, as those editors do; the plain text is the same source.
        mime->setData(QStringLiteral("text/markdown"), markdown.toUtf8());
        mime->setText(pasted = markdown);
    } else if (how == QLatin1String("pasteHtml")) {
        mime->setHtml(html);
        mime->setText(pasted = QStringLiteral("Anne\tLyon\nPaul\tNice"));
    } else {
        mime->setHtml(html);
    }

    QStringList original = numberedNames(6);
    loadList(original);
    QPlainTextEdit* box = how == QLatin1String("pasteResults") ? results() : list();
    box->setFocus(Qt::MouseFocusReason);
    box->moveCursor(QTextCursor::End);
    QTextCursor cursor(list()->document()->findBlockByNumber(2));
    if (how.startsWith(QLatin1String("paste"))) {
        QTest::keyClick(box, Qt::Key_Return);
        QGuiApplication::clipboard()->setMimeData(mime.release());
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    } else if (how.startsWith(QLatin1String("drop"))) {
        QTest::keyClick(box, Qt::Key_Return);
        const QPoint end = box->cursorRect().center();
        QDragEnterEvent enter(end, Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(box->viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(end), Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(box->viewport(), &drop);
    } else if (how == QLatin1String("table")) {
        QTextTable* table = cursor.insertTable(2, 2);
        for (int cell = 0; cell < 4; ++cell)
            table->cellAt(cell / 2, cell % 2)
                .firstCursorPosition()
                .insertText(QStringLiteral("Case %1").arg(cell));
    } else if (how == QLatin1String("frame")) {
        cursor.insertFrame(QTextFrameFormat());
        cursor.insertText(QStringLiteral("Cadre"));
    } else {
        cursor.createList(QTextListFormat::ListDisc);
    }
    // A paste or a drop brings plain text only: no table, no frame, the source's own lines.
    if (how.startsWith(QLatin1String("paste")) || how.startsWith(QLatin1String("drop"))) {
        QVERIFY(box->document()->rootFrame()->childFrames().isEmpty());
        const QStringList boxed = boxLines(*box);
        QCOMPARE(boxed.mid(boxed.size() - pasted.split(QLatin1Char('\n')).size()),
                 pasted.split(QLatin1Char('\n')));
    }
    list()->setFocus(Qt::MouseFocusReason);
    go(0)->setFocus(Qt::MouseFocusReason);

    // Every draw takes out the line it drew and that line only, whatever the box holds.
    const auto nonEmpty = [](QStringList lines) {
        lines.removeAll(QString());
        return sorted(lines);
    };
    // Results that are not empty, so that a drawn empty entry still shows as a line of them.
    if (results()->document()->isEmpty())
        setBoxLines(*results(), oldResults);
    const QStringList resultsBefore = boxLines(*results());
    for (int draw = 1; draw <= 4; ++draw) {
        const QStringList before = boxLines(*list());
        if (draw == 1 && emptyLines > 0)
            m_platform->expectYesNo(QStringLiteral("La liste contient %1 ligne%2 vide%2. Tirer "
                                                   "quand même ?")
                                        .arg(emptyLines)
                                        .arg(emptyLines > 1 ? QStringLiteral("s") : QString()),
                                    true);
        runDraw(1);
        const QStringList drawn = boxLines(*results()).mid(resultsBefore.size() + draw - 1);
        QCOMPARE(drawn.size(), 1);
        QCOMPARE(nonEmpty(drawn + boxLines(*list())), nonEmpty(before));
        QVERIFY(list()->document()->rootFrame()->childFrames().isEmpty() ||
                how == QLatin1String("pasteResults"));
    }
}

QTEST_MAIN(TestAbuse)
#include "test_abuse.moc"
