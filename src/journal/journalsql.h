#pragma once

// What the store writes and the reader expects, kept in one place so the two cannot drift.

#include "core/io/sha256.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace sortivo::journalsql
{

// "Stvo": tells our journals from any other SQLite file.
inline constexpr std::int32_t applicationId = 0x5374766f;
inline constexpr std::int32_t formatVersion = 1;

// The tables exactly as created, which is how SQLite keeps them in sqlite_schema: the reader
// takes nothing else. No secondary index, so that a scan of each table is all there is to trust.
inline constexpr std::string_view schema[] = {
    "CREATE TABLE event (seq INTEGER PRIMARY KEY, kind INTEGER NOT NULL, time TEXT, "
    "value TEXT, count INTEGER, number INTEGER, mode INTEGER, draw_count INTEGER, "
    "team_size INTEGER, below_existing INTEGER, on_leftover INTEGER, draws_done INTEGER, "
    "ended INTEGER, sum BLOB NOT NULL)",
    "CREATE TABLE session (id INTEGER PRIMARY KEY CHECK (id = 1), seed TEXT NOT NULL, "
    "started_at TEXT NOT NULL, sum BLOB NOT NULL)",
    "CREATE TABLE text (id INTEGER PRIMARY KEY, event INTEGER NOT NULL, box INTEGER NOT NULL, "
    "body BLOB NOT NULL, sha256 BLOB NOT NULL)",
};
inline constexpr std::string_view schemaNames[] = {"event", "session", "text"};

enum class Kind : std::int64_t {
    Texts = 0,
    Communicated = 1,
    PublicValue = 2,
    Run = 3,
    Rule = 4,
    Prizes = 5,
    Absence = 6,
    Title = 7,
    Screen = 8,
    Event = 9,
    Resumption = 10,
};
enum class Box : std::int64_t { List = 0, Results = 1 };

// One row of `event`. time: when communicated, or the run's date; value: the communicated
// list's fingerprint, the public value, or the run's fingerprint; count: the communicated
// list's entries, the run's, or 1 for the rule of one prize per person and 0 without it.
// Prizes: value holds them, one a line, count how many. Absence: number and count are the
// result's run and rank, draw_count the run it was declared after, value the reason, time when.
// Title: value. Screen: count its state, value the screen's name. Event: value holds its
// texts, each as its length in decimal, a colon and its bytes (organiser, place, rules, their
// SHA-256, authorisation, then each witness's name and capacity), count the witnesses.
// Resumption: time when the session was interrupted, value when it was taken up.
struct EventRow {
    std::int64_t seq = 0;
    std::int64_t kind = 0;
    std::optional<std::string> time;
    std::optional<std::string> value;
    std::optional<std::int64_t> count, number, mode, drawCount, teamSize, belowExisting, onLeftover,
        drawsDone, ended;
};
inline constexpr const char* eventColumns =
    "seq, kind, time, value, count, number, mode, draw_count, team_size, below_existing, "
    "on_leftover, draws_done, ended";

// SQLite checksums no value: these catch a changed byte in a row, its number included, that
// the file's structure does not show.
Digest rowSum(const EventRow& row);
Digest sessionSum(std::string_view seedHex, std::string_view startedAt);

// Throws JournalError with SQLite's message.
[[noreturn]] void fail(sqlite3* db);
void exec(sqlite3* db, const char* sql);

// A prepared statement, finalized when it goes.
class Statement
{
public:
    Statement(sqlite3* db, std::string_view sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int index, std::int64_t value);
    Statement& bind(int index, std::string_view text);
    Statement& bind(int index, const char* text) { return bind(index, std::string_view(text)); }
    Statement& bind(int index, const std::string& text)
    {
        return bind(index, std::string_view(text));
    }
    Statement& bind(int index, const std::optional<std::string>& text);
    Statement& bind(int index, const std::optional<std::int64_t>& value);
    Statement& bindBlob(int index, std::span<const std::uint8_t> bytes);
    // Not copied: `bytes` must outlive the statement's next step.
    Statement& bindBlob(int index, std::string_view bytes);
    // True while there is a row.
    bool step();
    // Runs it to the end.
    void run();

    bool isNull(int column) const;
    bool isInteger(int column) const;
    bool isText(int column) const;
    bool isBlob(int column) const;
    std::int64_t integer(int column) const;
    // Texts and blobs alike.
    std::string bytes(int column) const;
    std::optional<std::int64_t> optionalInteger(int column) const;
    std::optional<std::string> optionalText(int column) const;

private:
    sqlite3* m_db;
    sqlite3_stmt* m_statement = nullptr;
};

// The first column of the first row.
std::int64_t queryInteger(sqlite3* db, std::string_view sql);

} // namespace sortivo::journalsql
