#pragma once

#include "core/proof/proofsession.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace sortivo
{

// The record name of each draw button's mode.
std::string_view modeName(DrawMode mode);

// The record of a session, the JSON file a checker reads. It reveals the seed, so it is
// written only when the session ends. `software` names the program and its version.
std::string recordJson(const ProofSession& session, std::string_view software);

// The same record from its parts, handed to `write` a block at a time: a list of millions of
// entries is then written straight from where it lies, and the record is never held whole.
struct RecordStrings {
    std::size_t size = 0;
    std::function<std::string_view(std::size_t)> at;
};
struct RecordRun {
    std::int64_t number = 0;
    std::string_view date;
    DrawRequest request{};
    std::optional<RecordStrings> entries; // nothing: the entries the previous run left
    std::string_view fingerprint;
    RecordStrings results;
    bool stopped = false;
    bool listChanged = false;
};
struct RecordHead {
    std::string_view software;
    const Seed& seed;
    const std::optional<std::string>& communicatedAt;
    std::string_view publicValue;
    // Nothing when the commitment was never communicated.
    const CommunicatedList* communicatedList = nullptr;
    // The session's rule; with it the record names the protocol that has it.
    bool onePrizePerPerson = false;
    // The prizes, those communicated with the commitment when they were, and the absences
    // declared; outside the randomness, and written only when there are some.
    std::span<const std::string> prizes = {};
    const CommunicatedPrizes* communicatedPrizes = nullptr;
    std::span<const DeclaredAbsence> absences = {};
    // What the organiser told of the event, and the session's interruptions: outside the
    // randomness too, written only when there are some.
    const std::optional<std::string>* title = nullptr;
    const EventDetails* event = nullptr;
    std::span<const Resumption> resumptions = {};
};
void writeRecordJson(const RecordHead& head, std::span<const RecordRun> runs,
                     const std::function<void(std::string_view)>& write);

} // namespace sortivo
