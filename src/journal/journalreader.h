#pragma once

#include "core/proof/proofsession.h"
#include "journal/journalstore.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

struct sqlite3;

namespace sortivo
{

// A journal that cannot be read back: truncated, corrupted, of another version, not a
// database, or telling of runs that do not replay to what it recorded.
class JournalUnreadable : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// One change, in the order the journal kept them.
struct JournalTexts {
    std::optional<std::string> list;
    std::optional<std::string> results;
};
struct JournalCommunicated {
    std::string time;
    CommunicatedList list;
};
struct JournalPublicValue {
    std::string value;
};
struct JournalRun {
    JournalRunStart start;
    // The list box's and results box's texts written with its start, when they had changed.
    JournalTexts texts;
    std::int32_t drawsDone = 0;
    // False for a run the crash cut short.
    bool ended = false;
};
using JournalEvent =
    std::variant<JournalTexts, JournalCommunicated, JournalPublicValue, JournalRun>;

struct JournalContents {
    Seed seed{};
    std::string startedAt;
    std::vector<JournalEvent> events;
};

// Throws JournalUnreadable.
JournalContents readJournal(sqlite3* db);
JournalContents readJournal(const std::string& path);

// A session as the journal leaves it: the proof session with every run replayed (a run cut by
// the crash ends where its last progress was, as a stop there would have ended it) and both
// boxes' texts.
struct ResumedSession {
    ProofSession proof;
    std::string startedAt;
    std::string list;
    std::string results;
    std::size_t resultCount = 0;
};
// Throws JournalUnreadable when a run does not replay onto what was recorded of it.
ResumedSession replayJournal(const JournalContents& contents);

} // namespace sortivo
