#include "app/mainwindow.h"
#include "core/io/textdecode.h"
#include "core/list/listflaws.h"
#include "core/proof/proofprotocol.h"
#include "listtools/listboxfiller.h"
#include "listtools/listfilecommands.h"
#include "listtools/listfilereader.h"
#include "support/fakeplatform.h"
#include "support/guitest.h"
#include "support/mainwindowtest.h"
#include "widgets/apptitle.h"
#include "widgets/textboxtext.h"

#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTimer>
#include <QtTest>

#include <chrono>
#include <memory>

// Opening a list that takes a while: the window goes on answering, the box ends with exactly
// the text a one-go open gives, and nothing clicked meanwhile gets in the way.

namespace
{

const QStringList oldList{QStringLiteral("ancienne"), QStringLiteral("liste")};
const QStringList oldResults{QStringLiteral("Gagnant 1"), QStringLiteral("Gagnant 2")};

QByteArray participants(int count)
{
    QByteArray bytes;
    for (int i = 1; i <= count; ++i)
        bytes += "Participant " + QByteArray::number(qint64(i) * 7919 % 1000003) + "\r\n";
    return bytes;
}

// The box as the file's text set in one go would leave it.
std::string textSetAtOnce(const QByteArray& bytes)
{
    const sortivo::DecodedList decoded =
        sortivo::decodeListFile(std::string_view(bytes.constData(), std::size_t(bytes.size())),
                                {ListFileCommands::maxListLines, ListFileCommands::maxLineChars});
    QPlainTextEdit box;
    setBoxText(box, decoded.listText);
    return boxText(box);
}

// Serves the window's events one round at a time until the box has taken its first slice.
void untilFirstSlice(const QSignalSpy& slices)
{
    while (slices.count() == 0)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

} // namespace

class TestOpenList : public MainWindowTest
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void slicedOpenGivesTheWholeText_data();
    void slicedOpenGivesTheWholeText();
    void drawAfterAnEditReadsTheBox_data();
    void drawAfterAnEditReadsTheBox();
    void progressShownWhileTheBoxFills();
    void progressShownWhileTheFileIsRead();
    void requestsDuringTheOpenAreIgnored_data();
    void requestsDuringTheOpenAreIgnored();
    void closingDuringTheOpen_data();
    void closingDuringTheOpen();
    void windowGoneDuringTheOpen_data();
    void windowGoneDuringTheOpen();

private:
    ListBoxFiller& filler() const { return *m_window->findChild<ListBoxFiller*>(); }
    // Clicks Open on a file holding `bytes`.
    void openFile(const QByteArray& bytes);
};

void TestOpenList::init()
{
    openWindow(Journal::InTemporaryFolder);
    setBoxLines(*list(), oldList);
    setBoxLines(*results(), oldResults);
}

void TestOpenList::cleanup()
{
    closeWindow();
}

void TestOpenList::openFile(const QByteArray& bytes)
{
    const QString chosen = path(QStringLiteral("liste.txt"));
    QVERIFY(writeBytes(chosen, bytes));
    m_platform->expectOpenFile(chosen);
    button(QStringLiteral("cmdOpen"))->click();
}

void TestOpenList::slicedOpenGivesTheWholeText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("lineBySlice"); // else slices of the usual length

    QTest::newRow("CR LF up to a blank line") << QByteArray("Anne\r\nBob\r\n\r\nCarl\r\n") << true;
    QTest::newRow("LF") << QByteArray("Anne\nBob\nCarl\n") << true;
    QTest::newRow("lone CR") << QByteArray("Anne\rBob\rCarl") << true;
    QTest::newRow("mixed line ends") << QByteArray("a\r\nb\nc\rd\n\re") << true;
    QTest::newRow("last line without end") << QByteArray("Anne\r\nBob") << true;
    QTest::newRow("first line empty") << QByteArray("\r\nAnne\r\n") << true;
    QTest::newRow("empty file") << QByteArray() << true;
    QTest::newRow("blanks, tabs and no-break spaces")
        << QByteArray("  \r\n\tx\t\r\nnbsp\xc2\xa0kept \r\n") << true;
    QTest::newRow("UTF-16 LE") << QByteArray("\xff\xfeZ\0o\0\xeb\0\r\0\n\0R\x01\r\0\n\0", 18)
                               << true;
    QTest::newRow("UTF-16 BE") << QByteArray("\xfe\xff\0Z\0o\0\xeb\0\n\x01R", 12) << true;
    QTest::newRow("UTF-8 with mark")
        << QByteArray("\xef\xbb\xbfZo\xc3\xab\r\n\xc3\x89lodie") << true;
    QTest::newRow("Windows-1252") << QByteArray("\xc9lodie\r\n\x9cuf \x80\r\n") << true;
    QTest::newRow("line and paragraph separators")
        << QByteArray("Anne\xe2\x80\xa8Marie\r\nBob\xe2\x80\xa9Jean\r\n\xef\xb7\x90Zo\xc3\xab")
        << true;
    QTest::newRow("emoji and combining marks")
        << QByteArray("\xf0\x9f\x8e\xb2 d\xc3\xa9\r\ne\xcc\x81\r\n") << true;
    QTest::newRow("long lines") << QByteArray(50000, 'x') + "\r\n" + QByteArray(70000, 'y') +
                                       "\r\nz"
                                << true;
    QTest::newRow("300,000 lines") << participants(300000) << false;
}

void TestOpenList::slicedOpenGivesTheWholeText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, lineBySlice);

    if (lineBySlice)
        filler().setSliceInterval(std::chrono::milliseconds(0));
    QSignalSpy slices(&filler(), &ListBoxFiller::progressed);
    openFile(bytes);
    // Lines below an empty line are told of once the list is in; the list tools check the words.
    const sortivo::DecodedList decoded = sortivo::decodeListFile(bytes.toStdString());
    if (decoded.unread)
        m_platform->expectInformation(
            appTitle(), QString::fromStdString(sortivo::unreadLinesMessage(*decoded.unread)));
    QVERIFY(waitForRun(*m_window, 60000));

    const std::string expected = textSetAtOnce(bytes);
    QCOMPARE(boxText(*list()), expected);
    const int lines = list()->document()->isEmpty() ? 0 : list()->blockCount();
    QCOMPARE(comboItems(*drawCount()), numberTexts(1, lines));
    if (lines > 1)
        QVERIFY(slices.count() > 0);
    QCOMPARE(boxLines(*results()), oldResults);
    // As a text set at once leaves the box: at the top, editable, nothing to undo.
    QCOMPARE(list()->textCursor().position(), 0);
    QCOMPARE(list()->verticalScrollBar()->value(), 0);
    QVERIFY(!list()->isReadOnly());
    QVERIFY(list()->document()->isUndoRedoEnabled());
    QVERIFY(!list()->document()->isUndoAvailable());
    QVERIFY(!percent()->isVisible());

    // The first draw takes the entries the open read, which must be those the box shows.
    if (lines == 0)
        return;
    const sortivo::EntryList shown = sortivo::loadEntries(boxText(*list()));
    if (const std::optional<std::string> question = sortivo::flawsQuestion(sortivo::flawsOf(shown)))
        m_platform->expectYesNo(QString::fromStdString(*question), true);
    go(1)->click();
    QVERIFY(waitForRun(*m_window, 60000));
    const sortivo::RunRecord& run = m_window->proof().runs().at(0);
    QCOMPARE(run.fingerprint, sortivo::entriesFingerprint(shown));
    QCOMPARE(run.entries->joinedText(), shown.joinedText());
}

void TestOpenList::drawAfterAnEditReadsTheBox_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<bool>("removed"); // else a letter typed at its start
    QTest::newRow("letter typed") << 2 << false;
    QTest::newRow("line removed") << 0 << true;
}

// Once the opened list is edited, the first draw must read the box: the entries the open read
// are no longer what it shows, though they may be as many.
void TestOpenList::drawAfterAnEditReadsTheBox()
{
    QFETCH(int, line);
    QFETCH(bool, removed);
    openFile("Anne\r\nBob\r\nCarl\r\nDora\r\n");
    QVERIFY(waitForRun(*m_window, 60000));
    QTextCursor cursor(list()->document()->findBlockByNumber(line));
    if (removed) {
        cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    } else {
        cursor.insertText(QStringLiteral("X"));
    }
    const std::string shown = boxText(*list());
    go(1)->click();
    QVERIFY(waitForRun(*m_window, 60000));
    QCOMPARE(m_window->proof().runs().at(0).fingerprint,
             sortivo::entriesFingerprint(sortivo::loadEntries(shown)));
}

void TestOpenList::progressShownWhileTheBoxFills()
{
    filler().setSliceInterval(std::chrono::milliseconds(0));
    const int count = 200;
    // What the window shows each time it serves its events during the open.
    QList<int> shown;
    bool busyThroughout = true;
    QTimer watch;
    watch.setInterval(0);
    connect(&watch, &QTimer::timeout, this, [&] {
        if (!m_window->busyState().running())
            return;
        busyThroughout = busyThroughout && m_platform->busy();
        if (!percent()->isVisible())
            return;
        static const QRegularExpression format(QStringLiteral("^(\\d+)%$"));
        const QRegularExpressionMatch match = format.match(percent()->text());
        QVERIFY2(match.hasMatch(), qPrintable(percent()->text()));
        shown << match.captured(1).toInt();
    });
    watch.start();
    openFile(participants(count));
    QVERIFY(m_platform->busy());
    QVERIFY(waitForRun(*m_window, 60000));
    watch.stop();

    QCOMPARE(list()->blockCount(), count);
    QVERIFY(busyThroughout);
    QVERIFY(!m_platform->busy());
    QVERIFY(shown.size() > 10);
    QVERIFY(std::is_sorted(shown.begin(), shown.end()));
    QVERIFY(shown.constFirst() < 10);
    QVERIFY(shown.constLast() > 90 && shown.constLast() <= 100);
    QVERIFY(!percent()->isVisible());
}

void TestOpenList::progressShownWhileTheFileIsRead()
{
    // Several pieces of the file, each told once read, before the box takes any of it. In
    // Windows-1252 the list's text comes out longer than the file, which the figure must not
    // show as a step back.
    QByteArray bytes;
    for (int i = 1; i <= 400000; ++i)
        bytes += "\xc9l\xe8ve " + QByteArray::number(i) + "\r\n";
    QVERIFY(bytes.size() > 4 * (1 << 20));
    QList<int> whileRead;
    QSignalSpy slices(&filler(), &ListBoxFiller::progressed);
    // Heard after the window has heard the same piece.
    connect(m_window->findChild<ListFileReader*>(), &ListFileReader::progressed, this, [&] {
        QVERIFY(percent()->isVisible());
        QCOMPARE(slices.count(), 0);
        whileRead << percent()->text().chopped(1).toInt();
    });
    QList<int> shown;
    QTimer watch;
    watch.setInterval(0);
    connect(&watch, &QTimer::timeout, this, [&] {
        if (percent()->isVisible())
            shown << percent()->text().chopped(1).toInt();
    });
    watch.start();
    openFile(bytes);
    QVERIFY(waitForRun(*m_window, 60000));
    watch.stop();

    QCOMPARE(list()->blockCount(), 400000);
    QCOMPARE(list()->document()->lastBlock().text(), QStringLiteral("Élève 400000"));
    QVERIFY(whileRead.size() >= 4);
    // Reading is the smaller part of the work; the box takes the rest.
    QVERIFY(whileRead.constFirst() < 10);
    QVERIFY(whileRead.constLast() < 50);
    QVERIFY(slices.count() > 0);
    QVERIFY(std::is_sorted(shown.begin(), shown.end()));
    QVERIFY(shown.constLast() > 90);
    QVERIFY(!percent()->isVisible());
}

void TestOpenList::requestsDuringTheOpenAreIgnored_data()
{
    QTest::addColumn<bool>("duringFill"); // else while the file is read
    QTest::newRow("while the file is read") << false;
    QTest::newRow("while the box fills") << true;
}

void TestOpenList::requestsDuringTheOpenAreIgnored()
{
    QFETCH(bool, duringFill);

    filler().setSliceInterval(std::chrono::milliseconds(0));
    QSignalSpy slices(&filler(), &ListBoxFiller::progressed);
    const QByteArray bytes = participants(300);
    openFile(bytes);
    if (duringFill)
        untilFirstSlice(slices);
    QVERIFY(m_window->busyState().running());
    // Each of these would ask a question or change a box if it were served; the fake platform
    // fails on any question.
    for (int mode = 0; mode < 4; ++mode)
        go(mode)->click();
    button(QStringLiteral("cmdNumList"))->click();
    button(QStringLiteral("cmdOpen"))->click();
    button(QStringLiteral("cmdClearResult"))->click();
    list()->setFocus();
    QTest::keyClicks(list(), QStringLiteral("zz"));
    QVERIFY(waitForRun(*m_window, 60000));

    QCOMPARE(boxText(*list()), textSetAtOnce(bytes));
    QCOMPARE(boxLines(*results()), oldResults);
    QCOMPARE(comboItems(*drawCount()), numberTexts(1, 300));
}

void TestOpenList::closingDuringTheOpen_data()
{
    QTest::addColumn<bool>("duringFill"); // else while the file is read
    QTest::addColumn<int>("closes");

    QTest::newRow("while the file is read") << false << 1;
    QTest::newRow("while the file is read, closed twice") << false << 2;
    QTest::newRow("while the box fills") << true << 1;
    QTest::newRow("while the box fills, closed twice") << true << 2;
}

void TestOpenList::closingDuringTheOpen()
{
    QFETCH(bool, duringFill);
    QFETCH(int, closes);

    filler().setSliceInterval(std::chrono::milliseconds(0));
    QSignalSpy slices(&filler(), &ListBoxFiller::progressed);
    // Large enough to be read in many pieces, each a chance to stop.
    const QByteArray bytes = participants(duringFill ? 5000 : 1000000);
    bool closedWhileRunning = false;
    bool ended = false;
    // The program ends when its last window closes, which Qt tells only inside the
    // application's own event loop: the open is started from there, as a click would be.
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    QTimer::singleShot(0, this, [&] {
        openFile(bytes);
        if (duringFill)
            untilFirstSlice(slices);
        closedWhileRunning = m_window->busyState().running();
        for (int i = 0; i < closes; ++i)
            m_window->close();
        ended = waitForRun(*m_window, 10000);
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(); });
    });
    QApplication::exec();

    QVERIFY(closedWhileRunning);
    QVERIFY(ended);
    QVERIFY(!m_window->isVisible());
    QCOMPARE(lastClosed.count(), 1);
    QVERIFY(!m_platform->busy());
    // Part of a list is no list: the box keeps the one it had, or is left empty once the new
    // one had started to come in.
    QCOMPARE(boxLines(*list()), duringFill ? QStringList() : oldList);
    QCOMPARE(boxLines(*results()), oldResults);
    QVERIFY(!list()->isReadOnly());
}

void TestOpenList::windowGoneDuringTheOpen_data()
{
    QTest::addColumn<bool>("duringFill"); // else while the file is read
    QTest::newRow("while the file is read") << false;
    QTest::newRow("while the box fills") << true;
}

// A window torn down without closing (the program quitting) waits for the reading thread and
// leaves no busy pointer.
void TestOpenList::windowGoneDuringTheOpen()
{
    QFETCH(bool, duringFill);

    filler().setSliceInterval(std::chrono::milliseconds(0));
    QSignalSpy slices(&filler(), &ListBoxFiller::progressed);
    openFile(participants(duringFill ? 5000 : 1000000));
    if (duringFill)
        untilFirstSlice(slices);
    QVERIFY(m_platform->busy());
    m_window.reset();
    QVERIFY(!m_platform->busy());
}

QTEST_MAIN(TestOpenList)
#include "test_openlist.moc"
