#include "core/proof/prizes.h"

#include "core/proof/proofprotocol.h"
#include "core/proof/proofverify.h"
#include "core/text/french.h"

#include <algorithm>

#include <functional>
#include <queue>
#include <unordered_map>

namespace sortivo
{

namespace
{

bool isSpace(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && (isSpace(text.back()) || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// The count and the prize of a line "3 × Prize", or nothing for a line that is a prize as it
// stands. The count is only read as far as the largest one allowed, and one digit more.
struct CountedPrize {
    std::size_t count;
    std::string_view prize;
};
std::optional<CountedPrize> countedPrize(std::string_view line)
{
    std::size_t at = 0;
    std::size_t count = 0;
    while (at < line.size() && line[at] >= '0' && line[at] <= '9') {
        if (count <= mostPrizesPerLine)
            count = count * 10 + std::size_t(line[at] - '0');
        ++at;
    }
    if (at == 0)
        return std::nullopt;
    while (at < line.size() && isSpace(line[at]))
        ++at;
    const std::string_view rest = line.substr(at);
    std::size_t sign = 0;
    if (rest.starts_with("\xc3\x97"))
        sign = 2;
    else if (rest.starts_with('x') || rest.starts_with('X'))
        sign = 1;
    // "4x4 télécommandé" is one prize: the sign stands alone.
    if (sign == 0 || rest.size() <= sign || !isSpace(rest[sign]))
        return std::nullopt;
    const std::string_view prize = trimmed(rest.substr(sign));
    if (prize.empty())
        return std::nullopt;
    return CountedPrize{count, prize};
}

} // namespace

Expected<std::vector<std::string>> expandPrizes(std::string_view text)
{
    std::vector<std::string> prizes;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (line.empty())
            continue;
        const std::optional<CountedPrize> counted = countedPrize(line);
        if (!counted) {
            prizes.emplace_back(line);
            continue;
        }
        if (counted->count == 0 || counted->count > mostPrizesPerLine)
            return Refusal{"Ligne " + std::to_string(lineNumber) + " : « " + std::string(line) +
                           " » : un lot se compte de 1 à " + frenchNumber(mostPrizesPerLine) +
                           " fois."};
        if (counted->count == 1) {
            prizes.emplace_back(counted->prize);
            continue;
        }
        const std::string of = "/" + std::to_string(counted->count) + ")";
        for (std::size_t k = 1; k <= counted->count; ++k)
            prizes.push_back(std::string(counted->prize) + " (" + std::to_string(k) + of);
    }
    return prizes;
}

namespace
{

// A run number as the record wrote it. No run has a negative number; one past the largest
// std::int64_t, which names no run either, is read wrapped and must still be quoted as written.
std::string runNumber(std::int64_t run)
{
    return std::to_string(std::uint64_t(run));
}

std::string resultName(const Absence& absence)
{
    return "(tirage n° " + runNumber(absence.run) + ", rang " + std::to_string(absence.rank) + ")";
}

} // namespace

Expected<PrizeAwards> awardPrizes(std::size_t prizeCount, const std::vector<PrizeRun>& runs,
                                  const std::vector<Absence>& absences)
{
    using Kind = Standing::Kind;

    // Where each run's results start among all of them, and its place among the runs.
    std::unordered_map<std::int64_t, std::size_t> runPlace;
    std::vector<std::size_t> firstResult;
    std::size_t resultCount = 0;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        runPlace.emplace(runs[i].number, i);
        firstResult.push_back(resultCount);
        resultCount += runs[i].results;
    }

    // Each absence checked before any is applied: the result it names and the run it follows.
    std::vector<std::size_t> absentResult(absences.size());
    std::vector<std::size_t> declaredAfter(absences.size());
    for (std::size_t a = 0; a < absences.size(); ++a) {
        const Absence& absence = absences[a];
        const auto after = runPlace.find(absence.afterRun);
        if (after == runPlace.end())
            return Refusal{"absence " + resultName(absence) + " déclarée après le tirage n° " +
                           runNumber(absence.afterRun) + ", qui n'existe pas"};
        if (a > 0 && after->second < declaredAfter[a - 1])
            return Refusal{"absence " + resultName(absence) +
                           " placée après une absence déclarée plus tard"};
        const auto run = runPlace.find(absence.run);
        if (run == runPlace.end() || absence.rank == 0 || absence.rank > runs[run->second].results)
            return Refusal{"absence d'un résultat inconnu " + resultName(absence)};
        if (runs[run->second].teams)
            return Refusal{"absence d'une équipe " + resultName(absence) +
                           " : les équipes n'ont pas de lot"};
        if (run->second > after->second)
            return Refusal{"absence " + resultName(absence) +
                           " déclarée avant le tirage de son résultat"};
        declaredAfter[a] = after->second;
        absentResult[a] = firstResult[run->second] + absence.rank - 1;
    }

    PrizeAwards awards;
    awards.winners.resize(prizeCount);
    awards.results.resize(resultCount);
    std::priority_queue<std::size_t, std::vector<std::size_t>, std::greater<>> freePrizes;
    for (std::size_t p = 0; p < prizeCount; ++p)
        freePrizes.push(p);
    // Reserves in draw order; one that has since won or gone absent is passed over when met.
    std::vector<std::size_t> reserves;
    std::size_t firstReserve = 0;
    const auto award = [&](std::size_t prize, std::size_t result) {
        awards.winners[prize] = result;
        awards.results[result].kind = Kind::Winner;
        awards.results[result].prize = prize;
    };

    std::size_t nextAbsence = 0;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        for (std::size_t r = firstResult[i]; r < firstResult[i] + runs[i].results; ++r) {
            if (runs[i].teams) {
                awards.results[r].kind = Kind::Team;
            } else if (!freePrizes.empty()) {
                award(freePrizes.top(), r);
                freePrizes.pop();
            } else {
                reserves.push_back(r);
            }
        }
        for (; nextAbsence < absences.size() && declaredAfter[nextAbsence] == i; ++nextAbsence) {
            Standing& standing = awards.results[absentResult[nextAbsence]];
            if (standing.kind == Kind::Absent)
                return Refusal{"résultat " + resultName(absences[nextAbsence]) +
                               " déjà déclaré absent"};
            const std::optional<std::size_t> freed = standing.prize;
            standing.kind = Kind::Absent;
            standing.absence = nextAbsence;
            if (!freed)
                continue;
            awards.winners[*freed].reset();
            while (firstReserve < reserves.size() &&
                   awards.results[reserves[firstReserve]].kind != Kind::Reserve)
                ++firstReserve;
            if (firstReserve < reserves.size())
                award(*freed, reserves[firstReserve++]);
            else
                freePrizes.push(*freed);
        }
    }

    std::size_t reserveNumber = 0;
    for (Standing& standing : awards.results)
        if (standing.kind == Kind::Reserve)
            standing.reserve = ++reserveNumber;
    return awards;
}

CommunicatedPrizes communicatedPrizesOf(const std::vector<std::string>& prizes)
{
    EntriesFingerprint fingerprint;
    for (const std::string& prize : prizes)
        fingerprint.add(prize);
    return {prizes.size(), fingerprint.finishHex()};
}

ResultPlaces::ResultPlaces(const std::vector<PrizeRun>& runs)
{
    std::size_t count = 0;
    for (const PrizeRun& run : runs) {
        m_first.push_back(count);
        count += run.results;
    }
}

ResultPlaces::Place ResultPlaces::operator()(std::size_t result) const
{
    // The last run that starts at or before it: runs with no result start where the next does.
    const auto after = std::upper_bound(m_first.begin(), m_first.end(), result);
    const auto run = std::size_t(after - m_first.begin()) - 1;
    return {run, result - m_first[run] + 1};
}

std::vector<std::string>
palmaresLines(const std::vector<std::string>& prizes, const std::vector<Absence>& absences,
              const PrizeAwards& awards,
              const std::function<std::string_view(std::size_t)>& resultName)
{
    std::vector<std::string> lines;
    for (std::size_t p = 0; p < prizes.size(); ++p)
        lines.push_back("Lot " + std::to_string(p + 1) + " : " + printable(prizes[p]) + " – " +
                        (awards.winners[p] ? printable(resultName(*awards.winners[p]))
                                           : std::string("non attribué")));
    std::vector<std::size_t> absentResults(absences.size());
    std::size_t reserves = 0;
    for (std::size_t r = 0; r < awards.results.size(); ++r) {
        const Standing& standing = awards.results[r];
        if (standing.kind == Standing::Kind::Absent)
            absentResults[standing.absence] = r;
        reserves += standing.kind == Standing::Kind::Reserve;
    }
    for (std::size_t a = 0; a < absences.size(); ++a) {
        const std::size_t r = absentResults[a];
        const std::optional<std::size_t> held = awards.results[r].prize;
        lines.push_back("Absence : " + printable(resultName(r)) + " (tirage n° " +
                        std::to_string(absences[a].run) + ", rang " +
                        std::to_string(absences[a].rank) + ") – " + printable(absences[a].reason) +
                        (held ? ", lot " + std::to_string(*held + 1) + " remis en jeu" : ""));
    }
    std::size_t listed = 0;
    for (std::size_t r = 0; r < awards.results.size() && listed < listedReserves; ++r)
        if (awards.results[r].kind == Standing::Kind::Reserve)
            lines.push_back("Suppléant n° " + std::to_string(++listed) + " : " +
                            printable(resultName(r)));
    if (reserves > listed)
        lines.push_back("et " + frenchCount(reserves - listed, "autre suppléant",
                                            "autres suppléants", Thousands::None));
    return lines;
}

} // namespace sortivo
