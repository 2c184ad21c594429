#include "core/proof/proofsession.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace sortivo
{

ProofSession::ProofSession(const Seed& seed) : m_seed(seed), m_commitment(commitmentOf(seed)) {}

bool ProofSession::setPublicValue(std::string value)
{
    if (!publicValueOpen())
        return false;
    m_publicValue = std::move(value);
    return true;
}

bool ProofSession::setOnePrizePerPerson(bool on)
{
    if (onePrizePerPersonLocked())
        return false;
    m_onePrizePerPerson = on;
    return true;
}

bool ProofSession::setPrizes(std::vector<std::string> prizes)
{
    if (prizesLocked())
        return false;
    m_prizes = std::move(prizes);
    return true;
}

std::vector<PrizeRun> ProofSession::prizeRuns() const
{
    std::vector<PrizeRun> runs;
    runs.reserve(m_runs.size());
    for (const RunRecord& run : m_runs)
        runs.push_back({run.number, run.results.size(), run.request.mode == DrawMode::Teams});
    return runs;
}

namespace
{

std::vector<Absence> absencesOf(const std::vector<DeclaredAbsence>& declared)
{
    std::vector<Absence> absences;
    absences.reserve(declared.size());
    for (const DeclaredAbsence& d : declared)
        absences.push_back(d.absence);
    return absences;
}

} // namespace

PrizeAwards ProofSession::awards() const
{
    // Every absence was accepted by the same rule when it was declared.
    return *awardPrizes(m_prizes.size(), prizeRuns(), absencesOf(m_absences));
}

Expected<void> ProofSession::declareAbsent(std::int64_t run, std::size_t rank, std::string reason,
                                           std::string date)
{
    if (m_openRun || m_runs.empty())
        return Refusal{"Une absence se déclare entre deux tirages."};
    std::vector<Absence> absences = absencesOf(m_absences);
    absences.push_back({run, rank, reason, m_runs.back().number});
    if (const auto awards = awardPrizes(m_prizes.size(), prizeRuns(), absences); !awards)
        return awards.error();
    m_absences.push_back({std::move(absences.back()), std::move(date)});
    return {};
}

void ProofSession::applyRule(DrawRun& run, std::shared_ptr<const PersonGroups> persons) const
{
    if (!m_onePrizePerPerson)
        return;
    run.withdrawPersons(persons ? std::move(persons) : groupPersons(run.entries()));
}

CommunicatedList communicatedListOf(const EntryList& entries)
{
    return {entries.size(), entriesFingerprint(entries)};
}

void ProofSession::noteCommunicated(const std::string& time, CommunicatedList list)
{
    if (m_communicatedAt)
        return;
    if (m_openRun)
        throw std::logic_error("a run is in progress");
    m_communicatedAt = time;
    m_communicatedList = std::move(list);
    if (!m_prizes.empty())
        m_communicatedPrizes = communicatedPrizesOf(m_prizes);
    m_listCheck.emplace(*m_communicatedList, time);
}

std::string leftoverFingerprint(const EntryList& entries, const DrawPool& left)
{
    // Entries left side by side stand side by side in the list's text, CR LF between them: each
    // stretch of them is fed as it lies, not entry by entry.
    EntriesFingerprint fingerprint;
    std::size_t first = 0;
    std::size_t end = 0;
    const auto addStretch = [&] {
        const char* from = entries.at(first).data();
        const std::string_view last = entries.at(end - 1);
        fingerprint.add(std::string_view(from, std::size_t(last.data() + last.size() - from)));
    };
    left.forEachRemaining([&](std::size_t i) {
        if (i == end && end != 0) {
            ++end;
            return;
        }
        if (end != 0)
            addStretch();
        first = i;
        end = i + 1;
    });
    if (end != 0)
        addStretch();
    return fingerprint.finishHex();
}

DrawRun ProofSession::beginRun(EntryList entries, const ResultStart& results,
                               const DrawRequest& request, std::string date)
{
    if (m_openRun)
        throw std::logic_error("a run is already in progress");
    std::string fingerprint = entriesFingerprint(entries);
    return beginRun(std::make_shared<const EntryList>(std::move(entries)), std::move(fingerprint),
                    results, request, std::move(date));
}

DrawRun ProofSession::beginRun(std::shared_ptr<const EntryList> entries, std::string fingerprint,
                               const ResultStart& results, const DrawRequest& request,
                               std::string date)
{
    if (m_openRun)
        throw std::logic_error("a run is already in progress");
    // Equal digests stand for equal lists, as everywhere in the protocol.
    const bool kept = !m_leftover || fingerprint != knownLeftoverFingerprint();
    DrawWords words = openRun(std::move(date), request, entries->size(), std::move(fingerprint),
                              kept ? entries : nullptr);
    // The same entries as the leftover's (a list written back and read again) group the same.
    std::shared_ptr<const PersonGroups> persons;
    if (m_leftover && m_leftover->entries == entries)
        persons = m_leftover->persons;
    DrawRun run(std::move(entries), ResultText(results, request.teamSize), request.drawCount,
                std::move(words));
    applyRule(run, std::move(persons));
    return run;
}

DrawWords ProofSession::openRun(std::string date, const DrawRequest& request,
                                std::size_t entryCount, std::string fingerprint,
                                std::shared_ptr<const EntryList> entries)
{
    RunRecord record{std::int64_t(m_runs.size()) + 1,
                     std::move(date),
                     request,
                     !m_communicatedAt.has_value(),
                     false,
                     std::move(entries),
                     entryCount,
                     std::move(fingerprint),
                     {},
                     false};
    record.listChanged = drewFromAnotherList(record);
    const Digest key =
        runKey(m_seed, record.number, record.fingerprint, m_publicValue, protocolName());
    m_openRun = std::move(record);
    return DrawWords(key);
}

std::optional<std::size_t> ProofSession::leftoverCount() const
{
    if (!m_leftover)
        return std::nullopt;
    return m_leftover->left.remaining();
}

DrawRun ProofSession::beginRunOnLeftover(const ResultStart& results, const DrawRequest& request,
                                         std::string date)
{
    if (m_openRun)
        throw std::logic_error("a run is already in progress");
    if (!m_leftover)
        throw std::logic_error("no run has left entries yet");
    // The entries are those the last run left, which its record or an earlier one holds.
    DrawWords words = openRun(std::move(date), request, m_leftover->left.remaining(),
                              knownLeftoverFingerprint(), nullptr);
    DrawRun run(m_leftover->entries, m_leftover->left, ResultText(results, request.teamSize),
                request.drawCount, std::move(words));
    applyRule(run, m_leftover->persons);
    return run;
}

void ProofSession::endRun(const DrawRun& run, LeftoverHash hash)
{
    if (!m_openRun)
        return;
    RunRecord record = std::move(*m_openRun);
    m_openRun.reset();
    record.stopped = !run.finished();
    if (record.entries) {
        const auto& drawn = run.drawnIndexes();
        record.results =
            RunResults(record.entries, std::vector<std::uint32_t>(drawn.begin(), drawn.end()));
    } else {
        // The list is not kept for the record: copy out what was drawn from it.
        StringList copies;
        for (const std::uint32_t i : run.drawnIndexes())
            copies.append(run.entries().at(i));
        record.results = RunResults(std::move(copies));
    }

    const bool checked = m_listCheck && m_listCheck->covers(record.date) && !record.listChanged;
    m_leftover = Leftover{run.sharedEntries(), run.pool(), {}, checked, run.persons()};
    m_runs.push_back(std::move(record));
    if (hash == LeftoverHash::Now)
        knownLeftoverFingerprint();
}

void ProofSession::setLeftoverFingerprint(std::string fingerprint)
{
    if (!leftoverHashPending())
        return;
    m_leftover->fingerprint = std::move(fingerprint);
    if (m_leftover->checked)
        m_listCheck->leftBehind(m_leftover->fingerprint);
}

const std::string& ProofSession::knownLeftoverFingerprint()
{
    if (leftoverHashPending())
        setLeftoverFingerprint(
            sortivo::leftoverFingerprint(*m_leftover->entries, m_leftover->left));
    return m_leftover->fingerprint;
}

bool ProofSession::drewFromAnotherList(const RunRecord& run) const
{
    return m_listCheck && m_listCheck->covers(run.date) && m_listCheck->changed(run.fingerprint);
}

bool ProofSession::hasRunsSinceCommunication() const
{
    return std::any_of(m_runs.begin(), m_runs.end(),
                       [](const RunRecord& run) { return !run.beforeCommunication; });
}

} // namespace sortivo
