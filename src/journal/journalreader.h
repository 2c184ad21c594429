#pragma once

#include "core/proof/proofsession.h"
#include "core/text/expected.h"
#include "journal/journalstore.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

struct sqlite3;

namespace sortivo
{

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
struct JournalRule {
    bool onePrizePerPerson = false;
};
struct JournalPrizes {
    std::vector<std::string> prizes;
};
struct JournalTitle {
    std::string title;
};
struct JournalScreen {
    ShownScreen screen;
};
struct JournalRun {
    JournalRunStart start;
    // The list box's and results box's texts written with its start, when they had changed.
    JournalTexts texts;
    std::int32_t drawsDone = 0;
    // False for a run the crash cut short.
    bool ended = false;
};
using JournalEvent = std::variant<JournalTexts, JournalCommunicated, JournalPublicValue, JournalRun,
                                  JournalRule, JournalPrizes, DeclaredAbsence, JournalTitle,
                                  JournalScreen, EventDetails, Resumption>;

struct JournalContents {
    Seed seed{};
    std::string startedAt;
    std::vector<JournalEvent> events;
};

// Refused, with why, when the journal is truncated, corrupted, of another version or not a
// database at all.
Expected<JournalContents> readJournal(sqlite3* db);
Expected<JournalContents> readJournal(const std::string& path);

// A session as the journal leaves it: the proof session with every run replayed (a run cut by
// the crash ends where its last progress was, as a stop there would have ended it) and both
// boxes' texts.
struct ResumedSession {
    ProofSession proof;
    std::string startedAt;
    std::string list;
    std::string results;
    std::size_t resultCount = 0;
    ShownScreen screen;
};
// Refused when a run does not replay onto what was recorded of it.
Expected<ResumedSession> replayJournal(const JournalContents& contents);

} // namespace sortivo
