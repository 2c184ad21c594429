#pragma once

#include "core/draw/drawmode.h"
#include "core/draw/drawrun.h"
#include "core/list/entrylist.h"
#include "core/list/stringlist.h"
#include "core/proof/eventdetails.h"
#include "core/proof/listcommitment.h"
#include "core/proof/prizes.h"
#include "core/proof/proofprotocol.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sortivo
{

// What the audience is shown of `entries` when the commitment is communicated.
CommunicatedList communicatedListOf(const EntryList& entries);

// The fingerprint of the entries `left` holds of `entries`, in list order: what a run leaves.
std::string leftoverFingerprint(const EntryList& entries, const DrawPool& left);

// What one click asks for.
struct DrawRequest {
    DrawMode mode;
    // Draws the run makes at most: the chosen number, 1, or every entry.
    std::int32_t drawCount;
    // 0 outside team mode.
    int teamSize;
};

// The entries a run drew, in draw order: where they are in the run's list when the record
// keeps that list anyway, or their own copies when it does not.
class RunResults
{
public:
    RunResults() = default;
    RunResults(std::shared_ptr<const EntryList> list, std::vector<std::uint32_t> indexes)
        : m_list(std::move(list)), m_indexes(std::move(indexes))
    {
    }
    explicit RunResults(StringList copies) : m_copies(std::move(copies)) {}

    std::size_t size() const { return m_list ? m_indexes.size() : m_copies.size(); }
    bool empty() const { return size() == 0; }
    std::string_view at(std::size_t i) const
    {
        return m_list ? m_list->at(m_indexes[i]) : m_copies.at(i);
    }

private:
    std::shared_ptr<const EntryList> m_list;
    std::vector<std::uint32_t> m_indexes;
    StringList m_copies;
};

// One run as the record keeps it.
struct RunRecord {
    std::int64_t number;
    std::string date;
    DrawRequest request;
    // Made before the commitment was shown to anyone: it proves nothing to the audience.
    bool beforeCommunication;
    // Drawn from entries that are neither the list communicated with the commitment nor what
    // earlier runs left of it.
    bool listChanged;
    // Nothing when they are exactly the entries the previous run left, so a long list that is
    // drawn from click after click is kept, and written, once.
    std::shared_ptr<const EntryList> entries;
    std::size_t entryCount;
    std::string fingerprint;
    RunResults results;
    bool stopped;
};

// One seed and the runs drawn from it, from the moment its commitment exists until the
// record that reveals the seed is saved. Every run of the program goes through a session:
// there is no draw that cannot be proved afterwards.
class ProofSession
{
public:
    explicit ProofSession(const Seed& seed);

    const Seed& seed() const { return m_seed; }
    const std::string& commitment() const { return m_commitment; }

    // The value the audience supplies once it has seen the commitment; fixed once the first
    // run has started.
    const std::string& publicValue() const { return m_publicValue; }
    bool publicValueLocked() const { return m_openRun.has_value() || !m_runs.empty(); }
    bool publicValueOpen() const { return m_communicatedAt && !publicValueLocked(); }
    // Returns false, changing nothing, unless the value is open.
    bool setPublicValue(std::string value);

    // One prize per person: each entry drawn withdraws the other entries of its person. A rule
    // of the whole session, fixed with the commitment: it can change only until the commitment
    // is communicated or a run starts, whichever comes first.
    bool onePrizePerPerson() const { return m_onePrizePerPerson; }
    bool onePrizePerPersonLocked() const { return m_communicatedAt || publicValueLocked(); }
    // Returns false, changing nothing, when the rule is locked.
    bool setOnePrizePerPerson(bool on);
    // The protocol the record names: the rule is part of it.
    std::string_view protocolName() const { return protocolNameFor(m_onePrizePerPerson); }

    // The event's title as the organiser typed it, nothing until then. Not part of the draw.
    const std::optional<std::string>& title() const { return m_title; }
    void setTitle(std::string title) { m_title = std::move(title); }
    // Who organises, where, under which rules, and who is present: for the procès-verbal.
    const EventDetails& event() const { return m_event; }
    void setEvent(EventDetails event) { m_event = std::move(event); }
    // Each time a crash interrupted the session and it was taken up again.
    const std::vector<Resumption>& resumptions() const { return m_resumptions; }
    void addResumption(Resumption resumption) { m_resumptions.push_back(std::move(resumption)); }

    // The prizes, in the order they are won. Fixed with the commitment: a prize order chosen
    // after the draw would let an organiser hand the first prize to a friend.
    const std::vector<std::string>& prizes() const { return m_prizes; }
    bool prizesLocked() const { return m_communicatedAt.has_value(); }
    // Returns false, changing nothing, once they are locked.
    bool setPrizes(std::vector<std::string> prizes);
    // Nothing unless prizes were communicated with the commitment.
    const std::optional<CommunicatedPrizes>& communicatedPrizes() const
    {
        return m_communicatedPrizes;
    }

    // Declares result `rank` (from 1) of run `run` absent for `reason`, at `date`: it keeps its
    // place among the results, and its prize, if any, goes to the earliest reserve or to the
    // next result drawn. Only between runs, and never undone; refused, with why, for a result
    // the award rule cannot take as absent.
    Expected<void> declareAbsent(std::int64_t run, std::size_t rank, std::string reason,
                                 std::string date);
    const std::vector<DeclaredAbsence>& absences() const { return m_absences; }
    // The runs as the award rule counts them, and who wins what so far.
    std::vector<PrizeRun> prizeRuns() const;
    PrizeAwards awards() const;

    // When the commitment was first shown, copied or printed, with `list`, the list the next
    // run would draw from, and the prizes as they stand; later calls change nothing. Not during a
    // run, whose list is not yet what it will leave.
    void noteCommunicated(const std::string& time, CommunicatedList list);
    const std::optional<std::string>& communicatedAt() const { return m_communicatedAt; }
    const std::optional<CommunicatedList>& communicatedList() const { return m_communicatedList; }

    // Starts the next run and gives it the words its key yields. `date` is when it starts.
    DrawRun beginRun(EntryList entries, const ResultStart& results, const DrawRequest& request,
                     std::string date);
    // The same on entries whose fingerprint is already known (hashed as they were read).
    DrawRun beginRun(std::shared_ptr<const EntryList> entries, std::string fingerprint,
                     const ResultStart& results, const DrawRequest& request, std::string date);
    // How many entries the last ended run left; nothing before the first run ends.
    std::optional<std::size_t> leftoverCount() const;
    // Starts the next run on exactly the entries the last ended run left, as beginRun would
    // with them, without reading or hashing a list again. Only after a run has ended.
    DrawRun beginRunOnLeftover(const ResultStart& results, const DrawRequest& request,
                               std::string date);
    // When the fingerprint of what a run leaves is worked out: Later leaves it to be handed
    // over by setLeftoverFingerprint (hashed on another thread), or worked out when it is
    // first needed.
    enum class LeftoverHash { Now, Later };
    // Records what `run` drew, however far it got. A run
    // the session did not begin (the session was replaced meanwhile) is ignored.
    void endRun(const DrawRun& run, LeftoverHash hash = LeftoverHash::Now);
    // Whether the last ended run's leftover still waits for its fingerprint.
    bool leftoverHashPending() const { return m_leftover && m_leftover->fingerprint.empty(); }
    // The fingerprint of what the last ended run left, leftoverFingerprint() of its entries
    // and pool; ignored unless it is still waited for.
    void setLeftoverFingerprint(std::string fingerprint);
    bool runInProgress() const { return m_openRun.has_value(); }
    // The run in progress as its record will begin.
    const std::optional<RunRecord>& openRun() const { return m_openRun; }

    // The runs ended so far, numbered from 1.
    const std::vector<RunRecord>& runs() const { return m_runs; }
    // Whether closing now would lose runs the audience was promised a record of.
    bool hasRunsSinceCommunication() const;

private:
    bool drewFromAnotherList(const RunRecord& run) const;
    // The leftover's fingerprint, worked out now if nobody handed it over yet.
    const std::string& knownLeftoverFingerprint();
    // Opens the record of the next run, on `entryCount` entries of that fingerprint, and
    // gives the words its key yields.
    DrawWords openRun(std::string date, const DrawRequest& request, std::size_t entryCount,
                      std::string fingerprint, std::shared_ptr<const EntryList> entries);
    // Gives `run` the session's rule.
    void applyRule(DrawRun& run, std::shared_ptr<const PersonGroups> persons) const;

    Seed m_seed;
    std::string m_commitment;
    std::string m_publicValue;
    bool m_onePrizePerPerson = false;
    std::optional<std::string> m_communicatedAt;
    std::optional<CommunicatedList> m_communicatedList;
    std::optional<std::string> m_title;
    EventDetails m_event;
    std::vector<Resumption> m_resumptions;
    std::vector<std::string> m_prizes;
    std::optional<CommunicatedPrizes> m_communicatedPrizes;
    std::vector<DeclaredAbsence> m_absences;
    std::optional<CommunicatedListCheck> m_listCheck;
    std::vector<RunRecord> m_runs;
    std::optional<RunRecord> m_openRun;
    // The entries the last ended run left, and their fingerprint, to know the next run's
    // entries without comparing a whole list.
    struct Leftover {
        std::shared_ptr<const EntryList> entries;
        DrawPool left;
        // Empty while it is waited for: no fingerprint is empty.
        std::string fingerprint;
        // Whether the communicated list's check is to accept it, as it stood when the run
        // ended.
        bool checked;
        // The entries grouped by person, for the next run under the rule.
        std::shared_ptr<const PersonGroups> persons;
    };
    std::optional<Leftover> m_leftover;
};

} // namespace sortivo
