#pragma once

#include "core/proof/proofsession.h"

#include <optional>
#include <string>
#include <string_view>

namespace sortivo
{

// Texts for paper, in French, lines separated by CR LF like every text the program prints.

// A record's time ("2026-12-07T19:58:00Z") in the local time of whoever reads it: "2026-12-07",
// "20:58:00" and the offset that gets back to the record's UTC, "UTC+01:00". Nothing for a text
// that is not such a time.
struct LocalTime {
    std::string date;
    std::string time;
    std::string offset;
};
std::optional<LocalTime> localTimeOf(std::string_view iso);
// "2026-12-07 à 20:58:00 (UTC+01:00)", or the text itself when it is not a time.
std::string readableTime(std::string_view iso);

// "Liste : 352 entrées, empreinte 1a2b3c4d5e6f7a8b …": the list committed with the seed, its
// fingerprint cut to `digits` hex digits, or whole without the ellipsis when `digits` is 64.
std::string listLine(const CommunicatedList& list, std::size_t digits);
// How many digits of the list's fingerprint the screen shows: 64 bits, out of reach of anyone
// trying list after list for one with both the shown digits and a chosen winner.
inline constexpr std::size_t shownListDigits = 16;

// "Lots : 12, empreinte 9f3a…": the prizes committed with the seed, shown as the list is.
std::string prizesLine(const CommunicatedPrizes& prizes, std::size_t digits);

// How the rule of one prize per person is shown with the commitment and on the record.
inline constexpr std::string_view onePrizeLine = "Un seul lot par personne : oui";

// The sheet shown to the audience before the draws, with the list they are drawn from, the
// session's rule and its prizes. `printedAt` is an ISO 8601 time.
std::string commitmentSheet(std::string_view commitment, const CommunicatedList& list,
                            std::string_view printedAt, bool onePrizePerPerson = false,
                            const std::vector<std::string>& prizes = {});

// One line about a run, for the list of runs made so far.
std::string runSummary(const RunRecord& run);

// The record as people read it: what was committed and when, each run with its results, the
// seed, and how to check it all. It reveals the seed.
std::string recordReport(const ProofSession& session, std::string_view software,
                         std::string_view printedAt);

} // namespace sortivo
