#pragma once

#include "core/text/expected.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sortivo
{

// The most prizes one line may stand for: "10000 × Stylo" is a raffle, a slip of the finger
// adding zeros is not.
constexpr std::size_t mostPrizesPerLine = 10'000;

// The prizes as the organiser typed them, one a line. A line "3 × Bon d'achat 20 €" stands for
// three prizes, "Bon d'achat 20 € (1/3)" to "(3/3)": a count of decimal digits, spaces, the
// multiplication sign × (or the letter x), at least one space, then the prize; "1 × Vélo" is
// "Vélo". Any other line is a prize as it stands, without the spaces around it; blank lines are
// none. A count of 0 or past mostPrizesPerLine is refused with its line number.
Expected<std::vector<std::string>> expandPrizes(std::string_view text);

// A run of the session as the prizes see it: its number, how many results it gave, and
// whether they were teams, which take no prize.
struct PrizeRun {
    std::int64_t number = 0;
    std::size_t results = 0;
    bool teams = false;
};

// A result declared absent: the run and rank (from 1) it was drawn at, why, and after which
// run it was declared.
struct Absence {
    std::int64_t run = 0;
    std::size_t rank = 0;
    std::string reason;
    std::int64_t afterRun = 0;
};

// What became of each result of the session.
struct Standing {
    enum class Kind { Winner, Reserve, Absent, Team };
    Kind kind = Kind::Reserve;
    // A winner's prize, or the prize an absent result held when it was declared absent.
    std::optional<std::size_t> prize;
    // A reserve's number, from 1, in draw order among the reserves left.
    std::size_t reserve = 0;
    // An absent result's Absence, by its place in the list given.
    std::size_t absence = 0;
};

struct PrizeAwards {
    // Each prize's winning result (its index in draw order across the runs), or nothing while
    // the prize is free.
    std::vector<std::optional<std::size_t>> winners;
    // Each result in draw order, runs in order.
    std::vector<Standing> results;
};

// Who wins what. The results are taken in the order they were drawn, runs in order; each free
// prize, lowest first, goes to the earliest result that has none and is not absent, so a result
// drawn while no prize is free is a reserve. Team runs take no prize. After each run, the
// absences declared after it are applied in the order given: the result keeps its place, and
// its prize, if it had one, goes at once to the earliest reserve, or waits, free, for the next
// result drawn. Refused, with why in French, when an absence cannot have been declared: an
// unknown result or a team's, one already absent, one declared before its result was drawn or
// after the last run, or absences out of order.
Expected<PrizeAwards> awardPrizes(std::size_t prizeCount, const std::vector<PrizeRun>& runs,
                                  const std::vector<Absence>& absences);

} // namespace sortivo
