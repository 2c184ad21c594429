#include "core/proof/proofprotocol.h"
#include "draw/drawsession.h"
#include "journal/journalreader.h"
#include "recovery/sessionjournal.h"
#include "session/listboxstate.h"
#include "support/fakeplatform.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QWidget>
#include <QtTest>

#include <memory>
#include <string>

// The window's session and its journal on their own, without the window: what a run's first
// result waits for, and what the journal keeps of a run's list.

namespace
{

std::shared_ptr<const sortivo::EntryList> listOf(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += (i ? "\r\n" : "") + std::to_string(i);
    return std::make_shared<const sortivo::EntryList>(sortivo::loadEntries(std::move(text)));
}

sortivo::DrawRun beginRun(DrawSession& session,
                          const std::shared_ptr<const sortivo::EntryList>& entries)
{
    return session.beginRun(entries, sortivo::entriesFingerprint(*entries), {},
                            {sortivo::DrawMode::One, 1, 0});
}

} // namespace

class TestSession : public QObject
{
    Q_OBJECT

private slots:
    void leftoverGate_data();
    void leftoverGate();
    void journalKeepsTheRunsList_data();
    void journalKeepsTheRunsList();
};

// A long run's leftover is hashed elsewhere; the next run may begin only once it is in place.
// A session renewed while its fingerprint is on the way drops it and opens its gate at once.
void TestSession::leftoverGate_data()
{
    QTest::addColumn<int>("entries");
    QTest::addColumn<bool>("elsewhere");
    QTest::addColumn<bool>("renewedWhileHashing");
    const int longList = int(DrawSession::leftoverThreadFrom) + 2;
    QTest::newRow("short list, hashed at once") << 10 << false << false;
    QTest::newRow("long list, hashed elsewhere") << longList << true << false;
    QTest::newRow("long list, session renewed") << longList << true << true;
}

void TestSession::leftoverGate()
{
    QFETCH(int, entries);
    QFETCH(bool, elsewhere);
    QFETCH(bool, renewedWhileHashing);
    DrawSession session;
    QSignalSpy opened(&session, &DrawSession::gateOpened);
    auto list = listOf(entries);
    sortivo::DrawRun run = beginRun(session, list);
    run.drawMany(1);
    session.recordRun(run);
    QCOMPARE(session.gatesOpen(), !elsewhere);
    if (renewedWhileHashing) {
        session.renew();
        QVERIFY(session.gatesOpen());
        list = listOf(entries + 1);
        run = beginRun(session, list);
        run.drawMany(2);
        session.recordRun(run);
        QVERIFY(!session.gatesOpen());
    }
    QTRY_VERIFY(session.gatesOpen());
    QCOMPARE(opened.count(), (elsewhere ? 1 : 0) + (renewedWhileHashing ? 1 : 0));

    session.beginRunOnLeftover({}, {sortivo::DrawMode::One, 1, 0});
    QCOMPARE(session.proof().openRun()->fingerprint,
             sortivo::leftoverFingerprint(*list, run.pool()));
}

// A list a draw has read is kept as soon as it is read, and the run refers to it; one the
// journal never heard was read goes in with the run's start.
void TestSession::journalKeepsTheRunsList_data()
{
    QTest::addColumn<bool>("read");
    QTest::newRow("told it was read") << true;
    QTest::newRow("not told") << false;
}

void TestSession::journalKeepsTheRunsList()
{
    QFETCH(bool, read);
    QTemporaryDir folder;
    FakePlatform platform;
    QWidget window;
    QTextDocument list;
    QTextDocument results;
    ListBoxState listState(list, nullptr);
    DrawSession session;
    SessionJournal journal(folder.path(), session, {list, results}, listState, platform, &window);
    journal.setEditPause(std::chrono::hours(1));
    session.declareGate(journal.runStartGate());

    list.setPlainText(QStringLiteral("Anne\nBob\nChloé"));
    const auto entries =
        std::make_shared<const sortivo::EntryList>(sortivo::loadEntries("Anne\r\nBob\r\nChloé"));
    if (read)
        listState.takeRead(entries);
    listState.runWriting();
    beginRun(session, entries);
    // No first result before the run's start is on disk.
    QVERIFY(!session.gatesOpen());
    QTRY_VERIFY(session.gatesOpen());

    const QStringList files =
        QDir(folder.path()).entryList({QStringLiteral("seance-*.sqlite")}, QDir::Files);
    QCOMPARE(files.size(), 1);
    const sortivo::JournalContents kept =
        sortivo::readJournal(QDir(folder.path()).filePath(files.first()).toStdString()).value();
    QCOMPARE(kept.events.size(), std::size_t(read ? 2 : 1));
    const auto& run = std::get<sortivo::JournalRun>(kept.events.back());
    QCOMPARE(run.texts.list.has_value(), !read);
    const std::optional<std::string>& text =
        read ? std::get<sortivo::JournalTexts>(kept.events.front()).list : run.texts.list;
    QCOMPARE(text.value_or(std::string()), entries->joinedText());
    QVERIFY(platform.done());
}

QTEST_MAIN(TestSession)
#include "test_session.moc"
