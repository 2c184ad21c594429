#include "journal/journalstore.h"

#include "journal/journalsql.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace sortivo
{

using journalsql::Box;
using journalsql::EventRow;
using journalsql::Kind;
using journalsql::Statement;

namespace
{

[[noreturn]] void failSystem(const std::string& what)
{
    throw JournalError(what + " : " + std::strerror(errno));
}

// "2026-12-07T19:46:06Z" gives "20261207T194606Z"; any other text, the clock's time now.
std::string nameStamp(std::string_view startedAt)
{
    std::string stamp;
    for (const char c : startedAt)
        if (c != '-' && c != ':')
            stamp += c;
    auto wellFormed = [&] {
        if (stamp.size() != 16 || stamp[8] != 'T' || stamp[15] != 'Z')
            return false;
        for (const std::size_t i : {0, 1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13, 14})
            if (stamp[i] < '0' || stamp[i] > '9')
                return false;
        return true;
    };
    if (wellFormed())
        return stamp;
    const std::string now = isoTimeNow();
    return nameStamp(now);
}

std::string randomLetters()
{
    const Seed bytes = freshSeed();
    std::string letters;
    for (std::size_t i = 0; i < 6; ++i)
        letters += char('a' + bytes[i] % 26);
    return letters;
}

// A new name is on disk only once its folder is.
void syncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        failSystem(folder);
    const int synced = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    errno = error;
    if (synced != 0)
        failSystem(folder);
}

void removeFiles(const std::string& path)
{
    for (const char* suffix : {"", "-wal", "-shm"})
        ::unlink((path + suffix).c_str());
}

// Every public call is one of these: a crash leaves the journal before it or after it.
template <typename Body> void inTransaction(sqlite3* db, Body body)
{
    journalsql::exec(db, "BEGIN IMMEDIATE");
    try {
        body();
        journalsql::exec(db, "COMMIT");
    } catch (...) {
        // A failed COMMIT may have ended the transaction already; then this fails, harmlessly.
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

void setPragmas(sqlite3* db, bool onDisk)
{
    if (onDisk) {
        Statement mode(db, "PRAGMA journal_mode=WAL");
        if (!mode.step() || mode.bytes(0) != "wal")
            throw JournalError("le journal ne peut pas passer en mode WAL");
    }
    journalsql::exec(db, "PRAGMA synchronous=FULL");
    // A long list written again and again grows the log up to its checkpoint; after that, the
    // log need not keep the room.
    journalsql::exec(db, "PRAGMA journal_size_limit=16777216");
}

std::int64_t lastRunSeq(sqlite3* db)
{
    return journalsql::queryInteger(db, "SELECT coalesce(max(seq), 0) FROM event WHERE kind = 3");
}

std::int64_t insertEvent(sqlite3* db, EventRow& row)
{
    row.seq = journalsql::queryInteger(db, "SELECT coalesce(max(seq), 0) + 1 FROM event");
    const Digest sum = journalsql::rowSum(row);
    Statement insert(db, std::string("INSERT INTO event (") + journalsql::eventColumns +
                             ", sum) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    insert.bind(1, row.seq)
        .bind(2, row.kind)
        .bind(3, row.time)
        .bind(4, row.value)
        .bind(5, row.count)
        .bind(6, row.number)
        .bind(7, row.mode)
        .bind(8, row.drawCount)
        .bind(9, row.teamSize)
        .bind(10, row.belowExisting)
        .bind(11, row.onLeftover)
        .bind(12, row.drawsDone)
        .bind(13, row.ended)
        .bindBlob(14, sum)
        .run();
    return row.seq;
}

// Drops the texts that the ones about to be written make useless: every results text, since
// the boxes are replayed from the last one; and the list texts written since the last run
// began, which no run drew from. Those before it are what earlier runs drew from.
void dropReplacedTexts(sqlite3* db, bool list, bool results)
{
    if (results)
        journalsql::exec(db, "DELETE FROM text WHERE box = 1");
    if (list)
        Statement(db, "DELETE FROM text WHERE box = 0 AND event > ?").bind(1, lastRunSeq(db)).run();
    journalsql::exec(db,
                     "DELETE FROM event WHERE kind = 0 AND seq NOT IN (SELECT event FROM text)");
}

void insertText(sqlite3* db, std::int64_t seq, Box box, std::string_view text)
{
    Statement(db, "INSERT INTO text (event, box, body, sha256) VALUES (?, ?, ?, ?)")
        .bind(1, seq)
        .bind(2, std::int64_t(box))
        .bindBlob(3, text)
        .bindBlob(4, sha256(text))
        .run();
}

void insertTexts(sqlite3* db, std::int64_t seq, std::optional<std::string_view> list,
                 std::optional<std::string_view> results)
{
    if (list)
        insertText(db, seq, Box::List, *list);
    if (results)
        insertText(db, seq, Box::Results, *results);
}

void writeSession(sqlite3* db, const Seed& seed, std::string_view startedAt)
{
    const std::string seedHex = toHex(seed);
    Statement(db, "INSERT OR REPLACE INTO session (id, seed, started_at, sum) VALUES (1, ?, ?, ?)")
        .bind(1, seedHex)
        .bind(2, startedAt)
        .bindBlob(3, journalsql::sessionSum(seedHex, startedAt))
        .run();
}

void createTables(sqlite3* db, const Seed& seed, std::string_view startedAt)
{
    inTransaction(db, [&] {
        journalsql::exec(
            db, ("PRAGMA application_id=" + std::to_string(journalsql::applicationId)).c_str());
        journalsql::exec(
            db, ("PRAGMA user_version=" + std::to_string(journalsql::formatVersion)).c_str());
        for (const std::string_view table : journalsql::schema)
            journalsql::exec(db, std::string(table).c_str());
        writeSession(db, seed, startedAt);
    });
}

// Within a transaction.
void updateRun(sqlite3* db, std::int64_t number, std::int32_t drawsDone, bool end)
{
    Statement select(db, std::string("SELECT ") + journalsql::eventColumns +
                             " FROM event WHERE kind = 3 AND number = ? ORDER BY seq DESC");
    select.bind(1, number);
    if (!select.step())
        throw JournalError("le journal ne connaît pas le tirage n° " + std::to_string(number));
    EventRow row{select.integer(0),         select.integer(1),          select.optionalText(2),
                 select.optionalText(3),    select.optionalInteger(4),  select.optionalInteger(5),
                 select.optionalInteger(6), select.optionalInteger(7),  select.optionalInteger(8),
                 select.optionalInteger(9), select.optionalInteger(10), select.optionalInteger(11),
                 select.optionalInteger(12)};
    row.drawsDone = drawsDone;
    if (end)
        row.ended = 1;
    Statement(db, "UPDATE event SET draws_done = ?, ended = ?, sum = ? WHERE seq = ?")
        .bind(1, row.drawsDone)
        .bind(2, row.ended)
        .bindBlob(3, journalsql::rowSum(row))
        .bind(4, row.seq)
        .run();
}

// Opens `path`, which exists, closing `db` on failure.
sqlite3* openDatabase(const std::string& path)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        const std::string message = db ? sqlite3_errmsg(db) : "SQLite : mémoire épuisée";
        sqlite3_close(db);
        throw JournalError(message);
    }
    return db;
}

} // namespace

JournalStore::JournalStore(sqlite3* db, std::string path, int lockFd)
    : m_db(db), m_path(std::move(path)), m_lockFd(lockFd)
{
}

JournalStore JournalStore::create(const std::string& folder, const Seed& seed,
                                  std::string_view startedAt)
{
    const std::string stamp = nameStamp(startedAt);
    // Made and locked under a name no window looks for, its seed committed, then given its
    // name: a window starting meanwhile never takes it for a crashed one, and a crash meanwhile
    // never leaves a journal that holds nothing.
    std::string hidden;
    int fd = -1;
    while (fd < 0) {
        hidden = folder + "/.seance-" + stamp + "-" + randomLetters() + ".nouveau";
        fd = ::open(hidden.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            failSystem(hidden);
    }
    sqlite3* db = nullptr;
    std::string path;
    try {
        if (::fchmod(fd, 0600) != 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0)
            failSystem(hidden);
        // A rollback journal while the file has its hidden name: a write-ahead log would be
        // named after it.
        db = openDatabase(hidden);
        journalsql::exec(db, "PRAGMA synchronous=FULL");
        createTables(db, seed, startedAt);
        sqlite3_close(std::exchange(db, nullptr));
        for (;;) {
            path = folder + "/seance-" + stamp + "-" + randomLetters() + ".sqlite";
            if (::renameat2(AT_FDCWD, hidden.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) ==
                0)
                break;
            if (errno != EEXIST)
                failSystem(path);
        }
        hidden.clear();
        syncFolder(folder);
        db = openDatabase(path);
        setPragmas(db, true);
    } catch (...) {
        sqlite3_close(db);
        if (!hidden.empty()) {
            ::unlink(hidden.c_str());
            ::unlink((hidden + "-journal").c_str());
        } else {
            removeFiles(path);
        }
        ::close(fd);
        throw;
    }
    return JournalStore(db, path, fd);
}

JournalStore JournalStore::inMemory(const Seed& seed, std::string_view startedAt)
{
    sqlite3* db = openDatabase(":memory:");
    try {
        setPragmas(db, false);
        createTables(db, seed, startedAt);
    } catch (...) {
        sqlite3_close(db);
        throw;
    }
    return JournalStore(db, std::string(), -1);
}

JournalStore JournalStore::resume(const std::string& path, int lockFd)
{
    sqlite3* db = nullptr;
    try {
        db = openDatabase(path);
        setPragmas(db, true);
    } catch (...) {
        sqlite3_close(db);
        ::close(lockFd);
        throw;
    }
    return JournalStore(db, path, lockFd);
}

JournalStore::JournalStore(JournalStore&& other) noexcept
    : m_db(std::exchange(other.m_db, nullptr)), m_path(std::move(other.m_path)),
      m_lockFd(std::exchange(other.m_lockFd, -1))
{
}

JournalStore& JournalStore::operator=(JournalStore&& other) noexcept
{
    if (this != &other) {
        close();
        m_db = std::exchange(other.m_db, nullptr);
        m_path = std::move(other.m_path);
        m_lockFd = std::exchange(other.m_lockFd, -1);
    }
    return *this;
}

JournalStore::~JournalStore()
{
    close();
}

void JournalStore::close()
{
    // SQLite lets go of the files before the lock does: no window may take a journal that
    // is still being written.
    sqlite3_close(std::exchange(m_db, nullptr));
    if (m_lockFd >= 0)
        ::close(std::exchange(m_lockFd, -1));
}

void JournalStore::setTexts(std::optional<std::string_view> list,
                            std::optional<std::string_view> results)
{
    if (!list && !results)
        return;
    inTransaction(m_db, [&] {
        dropReplacedTexts(m_db, list.has_value(), results.has_value());
        EventRow row;
        row.kind = std::int64_t(Kind::Texts);
        insertTexts(m_db, insertEvent(m_db, row), list, results);
    });
}

void JournalStore::setRunList(std::string_view list)
{
    commitForCrash([&] {
        dropReplacedTexts(m_db, true, false);
        EventRow row;
        row.kind = std::int64_t(Kind::Texts);
        insertTexts(m_db, insertEvent(m_db, row), list, std::nullopt);
    });
}

void JournalStore::setCommunicated(std::string_view time, const CommunicatedList& list)
{
    inTransaction(m_db, [&] {
        // Only the first communication counts: later ones would change nothing on replay.
        if (journalsql::queryInteger(m_db, "SELECT count(*) FROM event WHERE kind = 1") > 0)
            return;
        EventRow row;
        row.kind = std::int64_t(Kind::Communicated);
        row.time = std::string(time);
        row.value = list.fingerprint;
        row.count = std::int64_t(list.count);
        insertEvent(m_db, row);
    });
}

void JournalStore::setPublicValue(std::string_view value)
{
    inTransaction(m_db, [&] {
        // Replaced by this one unless a run has drawn with it since.
        Statement(m_db, "DELETE FROM event WHERE kind = 2 AND seq > ?")
            .bind(1, lastRunSeq(m_db))
            .run();
        EventRow row;
        row.kind = std::int64_t(Kind::PublicValue);
        row.value = std::string(value);
        insertEvent(m_db, row);
    });
}

void JournalStore::setOnePrizePerPerson(bool on)
{
    inTransaction(m_db, [&] {
        Statement(m_db, "DELETE FROM event WHERE kind = 4").run();
        EventRow row;
        row.kind = std::int64_t(Kind::Rule);
        row.count = on ? 1 : 0;
        insertEvent(m_db, row);
    });
}

void JournalStore::setPrizes(const std::vector<std::string>& prizes)
{
    std::string lines;
    for (const std::string& prize : prizes)
        lines += prize + '\n';
    inTransaction(m_db, [&] {
        // Only the last ones count: they change until the commitment fixes them.
        Statement(m_db, "DELETE FROM event WHERE kind = 5").run();
        EventRow row;
        row.kind = std::int64_t(Kind::Prizes);
        row.value = std::move(lines);
        row.count = std::int64_t(prizes.size());
        insertEvent(m_db, row);
    });
}

void JournalStore::setTitle(std::string_view title)
{
    inTransaction(m_db, [&] {
        Statement(m_db, "DELETE FROM event WHERE kind = 7").run();
        EventRow row;
        row.kind = std::int64_t(Kind::Title);
        row.value = std::string(title);
        insertEvent(m_db, row);
    });
}

void JournalStore::setScreen(const ShownScreen& screen)
{
    inTransaction(m_db, [&] {
        Statement(m_db, "DELETE FROM event WHERE kind = 8").run();
        EventRow row;
        row.kind = std::int64_t(Kind::Screen);
        row.count = std::int64_t(screen.state);
        row.value = screen.screen;
        insertEvent(m_db, row);
    });
}

void JournalStore::setEvent(const EventDetails& event)
{
    std::string value;
    const auto add = [&value](std::string_view text) {
        value += std::to_string(text.size());
        value += ':';
        value += text;
    };
    for (std::string_view text :
         {event.organizer, event.place, event.rules, event.rulesSha256, event.authorization})
        add(text);
    for (const Witness& witness : event.witnesses) {
        add(witness.name);
        add(witness.capacity);
    }
    inTransaction(m_db, [&] {
        Statement(m_db, "DELETE FROM event WHERE kind = 9").run();
        EventRow row;
        row.kind = std::int64_t(Kind::Event);
        row.value = std::move(value);
        row.count = std::int64_t(event.witnesses.size());
        insertEvent(m_db, row);
    });
}

void JournalStore::addResumption(const Resumption& resumption)
{
    inTransaction(m_db, [&] {
        EventRow row;
        row.kind = std::int64_t(Kind::Resumption);
        row.time = resumption.interrupted;
        row.value = resumption.resumed;
        insertEvent(m_db, row);
    });
}

void JournalStore::addAbsence(const DeclaredAbsence& absence)
{
    commitForCrash([&] {
        EventRow row;
        row.kind = std::int64_t(Kind::Absence);
        row.number = absence.absence.run;
        row.count = std::int64_t(absence.absence.rank);
        row.drawCount = absence.absence.afterRun;
        row.value = absence.absence.reason;
        row.time = absence.date;
        insertEvent(m_db, row);
    });
}

void JournalStore::beginRun(const JournalRunStart& run, std::optional<std::string_view> list,
                            std::optional<std::string_view> results)
{
    commitForCrash([&] {
        dropReplacedTexts(m_db, list.has_value(), results.has_value());
        EventRow row;
        row.kind = std::int64_t(Kind::Run);
        row.time = run.date;
        row.value = run.fingerprint;
        row.count = std::int64_t(run.entryCount);
        row.number = run.number;
        row.mode = std::int64_t(run.request.mode);
        row.drawCount = run.request.drawCount;
        row.teamSize = run.request.teamSize;
        row.belowExisting = run.belowExisting;
        row.onLeftover = run.onLeftover;
        row.drawsDone = 0;
        row.ended = 0;
        insertTexts(m_db, insertEvent(m_db, row), list, results);
    });
}

void JournalStore::progress(std::int64_t number, std::int32_t drawsDone)
{
    commitForCrash([&] { updateRun(m_db, number, drawsDone, false); });
}

void JournalStore::endRun(std::int64_t number, std::int32_t drawsDone)
{
    commitForCrash([&] { updateRun(m_db, number, drawsDone, true); });
}

template <typename Body> void JournalStore::commitForCrash(Body body)
{
    journalsql::exec(m_db, "PRAGMA synchronous=NORMAL");
    try {
        inTransaction(m_db, body);
    } catch (...) {
        sqlite3_exec(m_db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
        throw;
    }
    journalsql::exec(m_db, "PRAGMA synchronous=FULL");
}

void JournalStore::renew(const Seed& seed, std::string_view startedAt, std::string_view list,
                         std::string_view results)
{
    inTransaction(m_db, [&] {
        journalsql::exec(m_db, "DELETE FROM text");
        journalsql::exec(m_db, "DELETE FROM event");
        writeSession(m_db, seed, startedAt);
        EventRow row;
        row.kind = std::int64_t(Kind::Texts);
        insertTexts(m_db, insertEvent(m_db, row), list, results);
    });
}

void syncJournalLog(const std::string& path)
{
    if (path.empty())
        return;
    const int fd = ::open((path + "-wal").c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return;
    ::fdatasync(fd);
    ::close(fd);
}

void JournalStore::discard()
{
    sqlite3_close(std::exchange(m_db, nullptr));
    if (!m_path.empty())
        removeFiles(m_path);
    if (m_lockFd >= 0)
        ::close(std::exchange(m_lockFd, -1));
}

} // namespace sortivo
