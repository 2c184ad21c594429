#pragma once

#include "core/proof/proofprotocol.h"
#include "core/proof/proofsession.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace sortivo
{

// A journal could not be created or written: the disk, the folder, SQLite. The message is
// SQLite's or the system's, for the window to show.
class JournalError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// What a run was asked to do, kept from the moment it starts.
// Where the audience screen stood: the window's state, and by name the screen it was on.
struct ShownScreen {
    enum class State { Closed = 0, Window = 1, FullScreen = 2 };
    State state = State::Closed;
    std::string screen;
    bool operator==(const ShownScreen&) const = default;
};

struct JournalRunStart {
    std::int64_t number = 0;
    // When it started, as the record writes times.
    std::string date;
    DrawRequest request{};
    // Whether its results go below the results already in the box, rather than into an empty
    // box.
    bool belowExisting = false;
    // Drawn from exactly what the previous run left, rather than from the list box.
    bool onLeftover = false;
    std::size_t entryCount = 0;
    std::string fingerprint;
};

// The journal of one window's session: every change is one SQLite transaction (WAL), so that a
// crash or a power cut leaves the state before or after it, never a mix. A run's own changes
// are committed without waiting for the disk, which a first result would otherwise wait for
// on every click: they survive the program's crash at once and a power cut once
// syncJournalLog() has seen them to the disk; every other change waits for the disk. The file is
// 0600 and stays locked (flock) for as long as the store lives, which tells a running window's
// journal from a crashed one's. Texts are list texts: UTF-8, CR LF between lines, as the engine
// reads them.
class JournalStore
{
public:
    // A new journal in `folder` (which must exist) for the session of `seed`, started at
    // `startedAt` (ISO UTC). Its name sorts after every journal started earlier.
    static JournalStore create(const std::string& folder, const Seed& seed,
                               std::string_view startedAt);
    // The same in memory, for tests: nothing on disk, no lock.
    static JournalStore inMemory(const Seed& seed, std::string_view startedAt);
    // Goes on writing the journal of a resumed session, whose lock `lockFd` already holds; the
    // store closes it.
    static JournalStore resume(const std::string& path, int lockFd);

    JournalStore(JournalStore&& other) noexcept;
    JournalStore& operator=(JournalStore&& other) noexcept;
    ~JournalStore();

    const std::string& path() const { return m_path; }
    // For tests of the reader on an in-memory journal.
    sqlite3* database() const { return m_db; }

    // The text of a box as it now stands; nothing leaves that box's last text as it was.
    void setTexts(std::optional<std::string_view> list, std::optional<std::string_view> results);
    // The list text a run is about to draw from, committed as the run's own changes are.
    void setRunList(std::string_view list);
    void setCommunicated(std::string_view time, const CommunicatedList& list);
    void setPublicValue(std::string_view value);
    // The rule of one prize per person, which changes only before the first run.
    void setOnePrizePerPerson(bool on);
    void setPrizes(const std::vector<std::string>& prizes);
    void setTitle(std::string_view title);
    void setScreen(const ShownScreen& screen);
    void setEvent(const EventDetails& event);
    void addResumption(const Resumption& resumption);
    void addAbsence(const DeclaredAbsence& absence);
    // In one transaction with the boxes' texts that changed since they were last written: a
    // run that is not on the leftover draws from the list text last written. This and the
    // run's progress and end leave the disk to syncJournalLog().
    void beginRun(const JournalRunStart& run, std::optional<std::string_view> list,
                  std::optional<std::string_view> results);
    void progress(std::int64_t number, std::int32_t drawsDone);
    void endRun(std::int64_t number, std::int32_t drawsDone);
    // The session's record was saved: the journal goes on for the new seed's session, with the
    // boxes as they now stand, in the transaction that forgets the old one.
    void renew(const Seed& seed, std::string_view startedAt, std::string_view list,
               std::string_view results);
    // A normal end: the journal and its lock go, files and all.
    void discard();

private:
    // Runs `body` in one transaction that does not wait for the disk.
    template <typename Body> void commitForCrash(Body body);
    JournalStore(sqlite3* db, std::string path, int lockFd);
    void close();

    sqlite3* m_db = nullptr;
    std::string m_path;
    int m_lockFd = -1;
};

// Sees to the disk what the journal at `path` committed so far without waiting for it. Touches
// only the log file, not the store, so that it may run on any thread while the store goes on
// writing; a journal gone meanwhile is nothing to sync.
void syncJournalLog(const std::string& path);

} // namespace sortivo
