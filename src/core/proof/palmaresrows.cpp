#include "core/proof/palmaresrows.h"

#include "core/proof/proofsession.h"

#include <algorithm>

namespace sortivo
{

namespace
{

std::vector<PrizeRun> prizeRunsOf(const std::vector<PalmaresRun>& runs)
{
    std::vector<PrizeRun> prizeRuns;
    prizeRuns.reserve(runs.size());
    for (const PalmaresRun& run : runs)
        prizeRuns.push_back({run.number, run.results, run.teamSize > 0});
    return prizeRuns;
}

} // namespace

Expected<PalmaresPage> palmaresRows(const PalmaresInput& input, std::size_t count)
{
    using Kind = Standing::Kind;
    const std::vector<PrizeRun> prizeRuns = prizeRunsOf(input.runs);
    Expected<PrizeAwards> awards = awardPrizes(input.prizes.size(), prizeRuns, input.absences);
    if (!awards)
        return awards.error();
    const ResultPlaces places(prizeRuns);

    PalmaresPage page;
    std::vector<PalmaresRow>& rows = page.rows;
    const auto statusOf = [&](std::size_t r) -> std::string {
        const Standing& standing = awards->results[r];
        switch (standing.kind) {
        case Kind::Winner:
            return "gagnant";
        case Kind::Absent: {
            // "absent – absent" would say it twice.
            const std::string& reason = input.absences[standing.absence].reason;
            return reason == "absent" ? reason : "absent – " + reason;
        }
        case Kind::Reserve:
            return input.prizes.empty() ? "tiré"
                                        : "suppléant n° " + std::to_string(standing.reserve);
        case Kind::Team: {
            const ResultPlaces::Place place = places(r);
            const auto size = std::size_t(input.runs[place.run].teamSize);
            return "équipe n° " + std::to_string((place.rank - 1) / size + 1);
        }
        }
        return {};
    };
    const auto heldPrize = [&](std::size_t r) {
        const std::optional<std::size_t> prize = awards->results[r].prize;
        return prize ? input.prizes[*prize] : std::string();
    };
    // Rows past the page are counted, not built.
    const auto add = [&](std::size_t r) {
        if (++page.total > count)
            return;
        const ResultPlaces::Place place = places(r);
        const PalmaresRun& run = input.runs[place.run];
        rows.push_back({page.total, heldPrize(r), std::string(input.resultText(r)), run.number,
                        run.date, statusOf(r), r, awards->results[r].kind == Kind::Absent});
    };

    if (input.prizes.empty()) {
        // Every result is a row: those past the page need not be visited.
        for (std::size_t r = 0; r < std::min(count, awards->results.size()); ++r)
            add(r);
        page.total = awards->results.size();
        return page;
    }
    for (std::size_t p = 0; p < input.prizes.size(); ++p) {
        if (const std::optional<std::size_t> winner = awards->winners[p])
            add(*winner);
        else if (++page.total <= count)
            rows.push_back({page.total, input.prizes[p], {}, std::nullopt, {}, "non attribué", {}});
    }
    std::vector<std::size_t> absent(input.absences.size());
    for (std::size_t r = 0; r < awards->results.size(); ++r)
        if (awards->results[r].kind == Kind::Absent)
            absent[awards->results[r].absence] = r;
    for (const std::size_t r : absent)
        add(r);
    for (const Kind kind : {Kind::Reserve, Kind::Team})
        for (std::size_t r = 0; r < awards->results.size(); ++r)
            if (awards->results[r].kind == kind)
                add(r);
    return page;
}

Expected<PalmaresPage> palmaresRowsOf(const ProofSession& session, std::size_t count)
{
    PalmaresInput input;
    input.prizes = session.prizes();
    std::vector<const RunResults*> results;
    for (const RunRecord& run : session.runs()) {
        input.runs.push_back({run.number, run.date, run.results.size(),
                              run.request.mode == DrawMode::Teams ? run.request.teamSize : 0});
        results.push_back(&run.results);
    }
    for (const DeclaredAbsence& declared : session.absences())
        input.absences.push_back(declared.absence);
    const ResultPlaces places(prizeRunsOf(input.runs));
    input.resultText = [&](std::size_t r) {
        const ResultPlaces::Place place = places(r);
        return results[place.run]->at(place.rank - 1);
    };
    return palmaresRows(input, count);
}

} // namespace sortivo
