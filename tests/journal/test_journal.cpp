#include "core/proof/proofrecord.h"
#include "core/proof/proofsession.h"
#include "journal/journalfolder.h"
#include "journal/journalreader.h"
#include "journal/journalstore.h"
#include "support/proofsamples.h"
#include "support/stdtypes.h"

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <random>
#include <sqlite3.h>
#include <sstream>
#include <sys/stat.h>

using namespace std::string_literals;
using sortivo::DrawMode;

namespace
{

std::string stamp(int second)
{
    char text[32];
    std::snprintf(text, sizeof text, "2026-12-07T20:%02d:%02dZ", second / 60 % 60, second % 60);
    return text;
}

mode_t modeOf(const std::string& path)
{
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::vector<std::string> orphanPaths(const std::string& folder)
{
    std::vector<std::string> paths;
    for (sortivo::OrphanJournal& journal : sortivo::orphanJournals(folder)) {
        paths.push_back(journal.path);
        ::close(journal.lockFd);
    }
    return paths;
}

// A window, cut down to its boxes and its session, journaling each change the way the window
// does: texts only when they differ from what the journal already makes of them.
class ScriptedWindow
{
public:
    ScriptedWindow(std::optional<std::string> folder)
        : m_folder(std::move(folder)), m_proof(sortivo::sha256("première"))
    {
        m_journal.emplace(
            m_folder ? sortivo::JournalStore::create(*m_folder, m_proof.seed(), m_startedAt)
                     : sortivo::JournalStore::inMemory(m_proof.seed(), m_startedAt));
    }

    // One step: "list T" and "results T" set a box and journal it, "type T" and "note T" set
    // it alone (the next run writes it), "clear" empties the results box; "run MODE [N]
    // [team T] [leftover] [fresh] [stop K]" is a click ("fresh": into a box it clears), "cut
    // ..." a click that the crash cuts after K draws;
    // "communicate", "public V", "renew", and "resume" (a crash, then the journal resumed).
    void step(const std::string& command)
    {
        const std::size_t space = command.find(' ');
        const std::string verb = command.substr(0, space);
        const std::string rest = space == std::string::npos ? "" : command.substr(space + 1);
        if (verb == "list" || verb == "type") {
            m_list = rest;
            if (verb == "list")
                writeTexts();
        } else if (verb == "results" || verb == "clear" || verb == "note") {
            m_results = rest;
            if (verb != "note")
                writeTexts();
        } else if (verb == "communicate") {
            const std::string time = stamp(m_clock++);
            const auto list = sortivo::communicatedListOf(sortivo::loadEntries(m_list));
            m_proof.noteCommunicated(time, list);
            m_journal->setCommunicated(time, list);
        } else if (verb == "public") {
            if (m_proof.setPublicValue(rest))
                m_journal->setPublicValue(rest);
        } else if (verb == "rule") {
            if (m_proof.setOnePrizePerPerson(rest == "on"))
                m_journal->setOnePrizePerPerson(rest == "on");
        } else if (verb == "renew") {
            m_proof = sortivo::ProofSession(sortivo::sha256("suivante" + m_list));
            m_startedAt = stamp(m_clock++);
            m_journal->renew(m_proof.seed(), m_startedAt, m_list, m_results);
            m_journaledList = m_list;
            m_journaledResults = m_results;
        } else if (verb == "resume") {
            resume();
        } else {
            click(verb == "cut", rest);
        }
    }

    const sortivo::ProofSession& proof() const { return m_proof; }
    const std::string& list() const { return m_list; }
    const std::string& results() const { return m_results; }
    const std::string& startedAt() const { return m_startedAt; }
    const sortivo::JournalStore& journal() const { return *m_journal; }

    std::size_t resultCount() const
    {
        std::size_t count = 0;
        for (const sortivo::RunRecord& run : m_proof.runs())
            count += run.results.size();
        return count;
    }

private:
    std::optional<std::string_view> changed(const std::string& box, const std::string& journaled)
    {
        return box == journaled ? std::nullopt : std::optional<std::string_view>(box);
    }

    void writeTexts()
    {
        m_journal->setTexts(changed(m_list, m_journaledList),
                            changed(m_results, m_journaledResults));
        m_journaledList = m_list;
        m_journaledResults = m_results;
    }

    void click(bool cut, const std::string& options)
    {
        std::istringstream words(options);
        std::string modeName;
        words >> modeName;
        const DrawMode mode = modeName == "one"     ? DrawMode::One
                              : modeName == "all"   ? DrawMode::All
                              : modeName == "teams" ? DrawMode::Teams
                                                    : DrawMode::Chosen;
        std::int32_t chosen = 0;
        int team = 0;
        std::int32_t stop = -1;
        bool onLeftover = false;
        bool fresh = false;
        for (std::string word; words >> word;) {
            if (word == "team")
                words >> team;
            else if (word == "stop")
                words >> stop;
            else if (word == "leftover")
                onLeftover = true;
            else if (word == "fresh")
                fresh = true;
            else
                chosen = std::stoi(word);
        }
        const std::size_t entries =
            onLeftover ? *m_proof.leftoverCount() : sortivo::loadEntries(m_list).size();
        const std::int32_t count = mode == DrawMode::Chosen ? chosen
                                   : mode == DrawMode::One  ? 1
                                                            : std::int32_t(entries);
        const sortivo::DrawRequest request{mode, count, team};
        const bool below = !fresh && !m_results.empty();
        const sortivo::ResultStart start{below, "\r\n"};
        const std::string date = stamp(m_clock++);
        std::optional<sortivo::DrawRun> run;
        if (onLeftover) {
            // The window's guard: the list box still shows what the last run left.
            QCOMPARE(m_list, m_journaledList);
            run.emplace(m_proof.beginRunOnLeftover(start, request, date));
        } else {
            run.emplace(m_proof.beginRun(sortivo::loadEntries(m_list), start, request, date));
        }
        const sortivo::RunRecord& open = *m_proof.openRun();
        m_journal->beginRun(
            {open.number, date, request, below, onLeftover, open.entryCount, open.fingerprint},
            changed(m_list, m_journaledList), changed(m_results, m_journaledResults));
        // Draws as the window makes them, a few at a time with the progress written between.
        const std::int32_t until = stop >= 0 ? stop : count;
        while (!run->finished() && run->drawsDone() < until) {
            run->drawMany(std::min(3, until - run->drawsDone()));
            m_journal->progress(open.number, run->drawsDone());
        }
        if (!cut)
            m_journal->endRun(open.number, run->drawsDone());
        // Cut or not, the run ends here for the session that the journal must give back.
        m_proof.endRun(*run);
        m_list = run->remainingListText();
        if (!below)
            m_results.clear();
        m_results += run->resultText();
        m_journaledList = m_list;
        m_journaledResults = m_results;
    }

    // The window crashes; at the next start its journal is found, replayed, and goes on.
    void resume()
    {
        if (!m_folder)
            return;
        m_journal.reset();
        std::vector<sortivo::OrphanJournal> found = sortivo::orphanJournals(*m_folder);
        QCOMPARE(found.size(), std::size_t(1));
        sortivo::ResumedSession resumed =
            sortivo::replayJournal(sortivo::readJournal(found[0].path).value()).value();
        QCOMPARE(proofsamples::json(resumed.proof), proofsamples::json(m_proof));
        QCOMPARE(resumed.list, m_list);
        QCOMPARE(resumed.results, m_results);
        m_proof = std::move(resumed.proof);
        m_journal.emplace(sortivo::JournalStore::resume(found[0].path, found[0].lockFd));
    }

    std::optional<std::string> m_folder;
    sortivo::ProofSession m_proof;
    std::optional<sortivo::JournalStore> m_journal;
    std::string m_startedAt = "2026-12-07T19:59:00Z";
    std::string m_list, m_results, m_journaledList, m_journaledResults;
    int m_clock = 0;
};

// A session of several runs and texts, with its journal as a crash leaves it: the log not yet
// checkpointed into the database.
struct CrashedJournal {
    std::string database;
    std::string log;
};

CrashedJournal crashedJournal(const std::string& folder)
{
    std::filesystem::create_directory(folder);
    ScriptedWindow window(folder);
    for (const char* command :
         {"list a\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\nh", "communicate", "public 7", "run chosen 2",
          "run one leftover", "type x\r\ny\r\nz\r\nw", "run teams team 2 stop 1",
          "results à la main", "run all", "cut chosen 3 stop 1"}) {
        window.step(command);
        // The first runs in the database, the later ones in the log.
        if (command == "run one leftover"s)
            sqlite3_wal_checkpoint_v2(window.journal().database(), nullptr,
                                      SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
    }
    const std::string path = window.journal().path();
    return {readBytes(path), readBytes(path + "-wal")};
}

} // namespace

class TestJournal : public QObject
{
    Q_OBJECT
private slots:
    void replaysLiveSession_data();
    void replaysLiveSession();
    void refusesWhatCannotReplay_data();
    void refusesWhatCannotReplay();
    void replacedTextsDropped();
    void lockTellsRunningFromCrashed();
    void privateModes();
    void quietChangeCaught_data();
    void quietChangeCaught();
    void foreignFileRefused_data();
    void foreignFileRefused();
    void corruptedJournal_data();
    void corruptedJournal();
};

void TestJournal::replaysLiveSession_data()
{
    QTest::addColumn<std::vector<std::string>>("script");
    const std::string thirty = proofsamples::numbered(30, "n");
    QTest::newRow("every mode") << std::vector<std::string>{"list " + thirty, "run chosen 3",
                                                            "run one",        "run teams team 3",
                                                            "type " + thirty, "run all"};
    QTest::newRow("on leftover, stopped")
        << std::vector<std::string>{"list " + proofsamples::numbered(50, "x"),
                                    "run all stop 7",
                                    "run chosen 5 leftover",
                                    "run one leftover",
                                    "run all leftover stop 0",
                                    "run teams team 4 leftover"};
    QTest::newRow("communicated after a run")
        << std::vector<std::string>{"list a\r\nb\r\nc\r\nd\r\ne",
                                    "run one",
                                    "communicate",
                                    "public refusée",
                                    "run chosen 2",
                                    "run one leftover"};
    QTest::newRow("public value") << std::vector<std::string>{"list a\r\nb\r\nc\r\nd\r\ne",
                                                              "communicate",
                                                              "public 4 2",
                                                              "public 4 2 6",
                                                              "run chosen 2",
                                                              "communicate",
                                                              "public refusée",
                                                              "run one leftover"};
    QTest::newRow("texts edited between runs")
        << std::vector<std::string>{"list a\r\nb\r\nc\r\nd",
                                    "run chosen 2",
                                    "type a\r\nb\r\nc\r\nd\r\ne",
                                    "run one",
                                    "list p\r\nq\r\nr",
                                    "list p\r\nq\r\nr\r\ns\r\nt",
                                    "results gagnant : Zoé",
                                    "run chosen 2",
                                    "results a\r\nb",
                                    "run one leftover",
                                    "clear",
                                    "run one leftover",
                                    "results déjà là\r\n",
                                    "run chosen 2 leftover",
                                    "note à garder",
                                    "run one leftover",
                                    "note à remplacer",
                                    "run all leftover fresh"};
    QTest::newRow("renewed") << std::vector<std::string>{"list a\r\nb\r\nc\r\nd\r\ne\r\nf",
                                                         "communicate",
                                                         "run chosen 2",
                                                         "renew",
                                                         "communicate",
                                                         "public 3",
                                                         "run one",
                                                         "run chosen 2 leftover"};
    const std::string tickets = "A (billet 1/2)\r\nB\r\nA (billet 2/2)\r\nC (billet 1/3)\r\n"
                                "C (billet 2/3)\r\nD\r\nC (billet 3/3)\r\nE";
    QTest::newRow("one prize per person")
        << std::vector<std::string>{"list " + tickets,  "rule on",
                                    "rule off",         "rule on",
                                    "communicate",      "rule off",
                                    "run chosen 2",     "resume",
                                    "run one leftover", "cut teams team 2 leftover stop 1",
                                    "resume",           "run all leftover"};
    QTest::newRow("interrupted") << std::vector<std::string>{
        "list " + thirty, "communicate", "run chosen 4", "cut all leftover stop 7"};
    QTest::newRow("interrupted before its first draw")
        << std::vector<std::string>{"list " + thirty, "cut teams team 2 stop 0"};
    QTest::newRow("resumed after crashes") << std::vector<std::string>{
        "list " + thirty,          "communicate", "run chosen 3",          "resume",
        "cut one leftover stop 0", "resume",      "run chosen 2 leftover", "type a\r\nb\r\nc",
        "cut all stop 2",          "resume",      "run all leftover",      "resume"};
}

// What was done live and what the journal gives back must be the same session: the record it
// will save, to the byte, and both boxes.
void TestJournal::replaysLiveSession()
{
    QFETCH(std::vector<std::string>, script);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    for (const bool onDisk : {false, true}) {
        ScriptedWindow window(onDisk ? std::optional(folder.path().toStdString()) : std::nullopt);
        for (const std::string& command : script) {
            window.step(command);
            if (QTest::currentTestFailed())
                return;
        }
        // Read while the window is still writing: all of it is then in the write-ahead log.
        const sortivo::JournalContents contents =
            (onDisk ? sortivo::readJournal(window.journal().path())
                    : sortivo::readJournal(window.journal().database()))
                .value();
        const sortivo::ResumedSession resumed = sortivo::replayJournal(contents).value();
        QCOMPARE(proofsamples::json(resumed.proof), proofsamples::json(window.proof()));
        QCOMPARE(resumed.list, window.list());
        QCOMPARE(resumed.results, window.results());
        QCOMPARE(resumed.resultCount, window.resultCount());
        QCOMPARE(resumed.startedAt, window.startedAt());
    }
}

void TestJournal::refusesWhatCannotReplay_data()
{
    QTest::addColumn<int>("change");
    QTest::newRow("more draws than entries") << 0;
    QTest::newRow("drawn from another list") << 1;
    QTest::newRow("entry count") << 2;
    QTest::newRow("run number") << 3;
    QTest::newRow("first run on a leftover") << 4;
    QTest::newRow("public value after a run") << 5;
    QTest::newRow("leftover count") << 6;
    QTest::newRow("absence of no result") << 7;
    QTest::newRow("absence before its run's end") << 8;
    QTest::newRow("prizes changed once communicated") << 9;
}

// A journal whose checksums hold but whose runs do not give what it recorded of them.
void TestJournal::refusesWhatCannotReplay()
{
    QFETCH(int, change);
    ScriptedWindow window(std::nullopt);
    for (const char* command :
         {"list a\r\nb\r\nc\r\nd\r\ne", "communicate", "run chosen 2", "run one leftover"})
        window.step(command);
    sortivo::JournalContents contents = sortivo::readJournal(window.journal().database()).value();
    std::vector<sortivo::JournalRun*> runs;
    for (sortivo::JournalEvent& event : contents.events)
        if (auto* run = std::get_if<sortivo::JournalRun>(&event))
            runs.push_back(run);
    QCOMPARE(runs.size(), std::size_t(2));
    switch (change) {
    case 0:
        runs[1]->start.request.drawCount = 4;
        runs[1]->drawsDone = 4;
        break;
    case 1:
        runs[0]->start.fingerprint = sortivo::toHex(sortivo::sha256("autre"));
        break;
    case 2:
        ++runs[0]->start.entryCount;
        break;
    case 3:
        runs[1]->start.number = 3;
        break;
    case 4:
        runs[0]->start.onLeftover = true;
        break;
    case 5:
        contents.events.push_back(sortivo::JournalPublicValue{"tard"});
        break;
    case 6:
        --runs[1]->start.entryCount;
        break;
    case 7:
        contents.events.push_back(sortivo::DeclaredAbsence{{2, 2, "absent", 2}, "t"});
        break;
    case 8:
        contents.events.insert(contents.events.end() - 1,
                               sortivo::DeclaredAbsence{{1, 1, "absent", 2}, "t"});
        break;
    case 9:
        contents.events.push_back(sortivo::JournalPrizes{{"Vélo"}});
        break;
    }
    QVERIFY(!sortivo::replayJournal(contents));
}

// A list edited again and again, results typed over, between runs: the journal keeps what a
// replay needs, the list each run drew from and the boxes as they stand, not every version.
void TestJournal::replacedTextsDropped()
{
    QTemporaryDir temporary;
    const std::size_t textSize = 256 * 1024;
    std::string path;
    {
        auto store = sortivo::JournalStore::create(temporary.path().toStdString(),
                                                   proofsamples::sampleSeed(), stamp(0));
        path = store.path();
        for (std::int64_t run = 1; run <= 10; ++run) {
            for (char version = 'a'; version < 'd'; ++version) {
                const std::string text(textSize, version);
                store.setTexts(text, text);
            }
            store.beginRun({run, stamp(int(run)), {DrawMode::One, 1, 0}, true, false, 1, "f"},
                           std::nullopt, std::nullopt);
            store.endRun(run, 1);
        }
    }
    // Eleven texts are needed; thirty or more would be kept without the dropping.
    QVERIFY2(std::filesystem::file_size(path) < 16 * textSize,
             std::to_string(std::filesystem::file_size(path)).c_str());
}

void TestJournal::lockTellsRunningFromCrashed()
{
    QTemporaryDir temporary;
    const std::string folder = temporary.path().toStdString();
    const sortivo::Seed seed = proofsamples::sampleSeed();
    std::string crashed;
    {
        auto running = sortivo::JournalStore::create(folder, seed, "2026-12-07T20:00:00Z");
        auto later = sortivo::JournalStore::create(folder, seed, "2026-12-07T20:00:01Z");
        crashed = later.path();
        QVERIFY(orphanPaths(folder).empty());
        later = sortivo::JournalStore::inMemory(seed, "2026-12-07T20:00:01Z");
        QCOMPARE(orphanPaths(folder), std::vector<std::string>{crashed});
        // Found, it is held: a window starting meanwhile does not take it too.
        std::vector<sortivo::OrphanJournal> found = sortivo::orphanJournals(folder);
        QCOMPARE(found.size(), std::size_t(1));
        QVERIFY(orphanPaths(folder).empty());
        ::close(found[0].lockFd);
        running.discard();
        QVERIFY(!std::filesystem::exists(running.path()));
    }
    // The newest first, by start time, whatever the letters after it.
    auto early = sortivo::JournalStore::create(folder, seed, "2026-12-07T19:00:00Z");
    const std::string earlyPath = early.path();
    early = sortivo::JournalStore::inMemory(seed, "2026-12-07T19:00:00Z");
    QCOMPARE(orphanPaths(folder), (std::vector<std::string>{crashed, earlyPath}));
    QCOMPARE(earlyPath.substr(folder.size()).substr(0, 25), "/seance-20261207T190000Z-"s);
}

void TestJournal::privateModes()
{
    QTemporaryDir temporary;
    const std::string base = temporary.path().toStdString();
    // Not from the mask: the journals are private whatever the user's is.
    struct MaskGuard {
        mode_t mask = ::umask(0);
        ~MaskGuard() { ::umask(mask); }
    } guard;
    const std::string nested = base + "/a/b/journaux";
    sortivo::prepareJournalFolder(nested);
    QCOMPARE(modeOf(nested), mode_t(0700));
    const std::string existing = base + "/existant";
    QCOMPARE(::mkdir(existing.c_str(), 0755), 0);
    sortivo::prepareJournalFolder(existing + "/");
    QCOMPARE(modeOf(existing), mode_t(0700));
    {
        auto store = sortivo::JournalStore::create(existing, proofsamples::sampleSeed(),
                                                   "2026-12-07T20:00:00Z");
        store.setTexts("liste"s, std::nullopt);
        QCOMPARE(modeOf(store.path()), mode_t(0600));
        QCOMPARE(modeOf(store.path() + "-wal"), mode_t(0600));
    }
    std::vector<sortivo::OrphanJournal> found = sortivo::orphanJournals(existing);
    QCOMPARE(found.size(), std::size_t(1));
    QVERIFY(found[0].distrust.empty());
    ::close(found[0].lockFd);
    // Readable by the group, it may have given its seed away.
    QCOMPARE(::chmod(found[0].path.c_str(), 0640), 0);
    found = sortivo::orphanJournals(existing);
    QCOMPARE(found.size(), std::size_t(1));
    QVERIFY(!found[0].distrust.empty());
    const std::string aside = sortivo::setJournalAside(found[0]).value();
    QCOMPARE(modeOf(existing + "/illisibles"), mode_t(0700));
    QCOMPARE(aside.substr(0, existing.size() + 12), existing + "/illisibles/");

    // A link where the folder should be is not followed: what it points to keeps its mode, and
    // the journals there are not offered.
    const std::string link = base + "/lien";
    QCOMPARE(::chmod(existing.c_str(), 0755), 0);
    QCOMPARE(::rename(aside.c_str(), (existing + "/seance-20261207T200000Z-abcdef.sqlite").c_str()),
             0);
    QCOMPARE(::symlink(existing.c_str(), link.c_str()), 0);
    QVERIFY_THROWS_EXCEPTION(sortivo::JournalError, sortivo::prepareJournalFolder(link));
    QCOMPARE(modeOf(existing), mode_t(0755));
    QVERIFY(orphanPaths(link).empty());
    QCOMPARE(orphanPaths(existing).size(), std::size_t(1));
}

void TestJournal::quietChangeCaught_data()
{
    QTest::addColumn<std::string>("from");
    QTest::addColumn<std::string>("to");
    QTest::newRow("seed") << sortivo::toHex(sortivo::sha256("première")).substr(0, 8)
                          << "00000000"s;
    QTest::newRow("start time") << "T19:59:00Z"s
                                << "T19:58:00Z"s;
    QTest::newRow("run date") << "20:00:02Z"s
                              << "20:00:09Z"s;
    QTest::newRow("public value") << "valeur-7"s
                                  << "valeur-8"s;
    QTest::newRow("list text") << "\r\nbeta\r\n"s
                               << "\r\nbeto\r\n"s;
    QTest::newRow("results text") << "tapés"s
                                  << "tapis"s;
}

// A byte changed where the file's structure does not show it, as a disk or a hand may change
// one: SQLite checks no value, the journal must.
void TestJournal::quietChangeCaught()
{
    QFETCH(std::string, from);
    QFETCH(std::string, to);
    QTemporaryDir temporary;
    std::string path;
    {
        ScriptedWindow window(temporary.path().toStdString());
        for (const char* command : {"list alpha\r\nbeta\r\ngamma", "communicate", "public valeur-7",
                                    "run chosen 2", "note résultats tapés", "run one leftover"})
            window.step(command);
        path = window.journal().path();
    }
    std::string bytes = readBytes(path);
    const std::size_t at = bytes.find(from);
    QVERIFY(at != std::string::npos);
    QCOMPARE(bytes.find(from, at + 1), std::string::npos);
    writeBytes(path, bytes.replace(at, from.size(), to));
    QVERIFY(!sortivo::readJournal(path));
}

void TestJournal::foreignFileRefused_data()
{
    QTest::addColumn<std::string>("sql");
    QTest::newRow("later format") << "PRAGMA user_version=2"s;
    QTest::newRow("another program's") << "PRAGMA application_id=1"s;
    QTest::newRow("a table more") << "CREATE TABLE extra (x)"s;
    QTest::newRow("an index more") << "CREATE INDEX byBox ON text (box)"s;
    QTest::newRow("a column changed") << "ALTER TABLE event RENAME COLUMN time TO t"s;
}

// A sound SQLite file that is not a journal of this format.
void TestJournal::foreignFileRefused()
{
    QFETCH(std::string, sql);
    QTemporaryDir temporary;
    std::string path;
    {
        ScriptedWindow window(temporary.path().toStdString());
        for (const char* command : {"list a\r\nb", "run one"})
            window.step(command);
        path = window.journal().path();
    }
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    QVERIFY(!sortivo::readJournal(path));
}

void TestJournal::corruptedJournal_data()
{
    QTest::addColumn<bool>("inLog");
    QTest::addColumn<bool>("truncate");
    QTest::newRow("database overwritten") << false << false;
    QTest::newRow("database truncated") << false << true;
    QTest::newRow("log overwritten") << true << false;
    QTest::newRow("log truncated") << true << true;
}

// Whatever the disk or a crash did to a journal, reading it gives a session or a refusal, and
// a refused one can be put aside as it is.
void TestJournal::corruptedJournal()
{
    QFETCH(bool, inLog);
    QFETCH(bool, truncate);
    QTemporaryDir temporary;
    const std::string root = temporary.path().toStdString();
    const CrashedJournal journal = crashedJournal(root + "/original");
    QVERIFY(!journal.log.empty());
    std::mt19937 random(inLog * 2 + truncate);
    int unreadable = 0;
    for (int i = 0; i < 50; ++i) {
        const std::string folder = root + "/" + std::to_string(i);
        QVERIFY(std::filesystem::create_directory(folder));
        const std::string path = folder + "/seance-20261207T200000Z-abcdef.sqlite";
        std::string database = journal.database;
        std::string log = journal.log;
        std::string& damaged = inLog ? log : database;
        const std::size_t at = random() % damaged.size();
        if (truncate) {
            damaged.resize(at);
        } else {
            for (std::size_t n = 1 + random() % 8, k = at; n > 0 && k < damaged.size(); --n, ++k)
                damaged[k] = char(random());
        }
        writeBytes(path, database);
        writeBytes(path + "-wal", log);
        std::vector<sortivo::OrphanJournal> found = sortivo::orphanJournals(folder);
        QCOMPARE(found.size(), std::size_t(1));
        const sortivo::Expected<sortivo::JournalContents> contents = sortivo::readJournal(path);
        if (!contents || !sortivo::replayJournal(*contents))
            ++unreadable;
        const std::string aside = sortivo::setJournalAside(found[0]).value();
        QVERIFY(!std::filesystem::exists(path));
        // Reading took nothing from the log into the database, so both are as they were.
        QCOMPARE(readBytes(aside), database);
        if (std::filesystem::exists(aside + "-wal"))
            QCOMPARE(readBytes(aside + "-wal"), log);
    }
    if (!inLog)
        QVERIFY(unreadable > 0);
}

QTEST_APPLESS_MAIN(TestJournal)
#include "test_journal.moc"
