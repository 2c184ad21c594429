#pragma once

#include "core/text/expected.h"

#include <cstddef>
#include <cstdint>
#include <functional>
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

// A declared absence as the record keeps it: when it was declared, to the second.
struct DeclaredAbsence {
    Absence absence;
    std::string date;
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

// The prizes shown with the commitment: how many, for people, and their fingerprint, worked out
// as a list's is over its entries, which is what decides.
struct CommunicatedPrizes {
    std::size_t count = 0;
    std::string fingerprint;
};
CommunicatedPrizes communicatedPrizesOf(const std::vector<std::string>& prizes);

// Where each result lies, by its index in draw order across the runs: its run's place among
// the runs and its rank in that run, from 1.
class ResultPlaces
{
public:
    explicit ResultPlaces(const std::vector<PrizeRun>& runs);
    struct Place {
        std::size_t run;
        std::size_t rank;
    };
    Place operator()(std::size_t result) const;

private:
    std::vector<std::size_t> m_first;
};

// The palmarès as every checker prints it after its verdict, one line each: "Lot 1 : Vélo –
// Dupont Marie" for each prize in order ("– non attribué" while it has no winner), then each
// absence in the order declared, "Absence : Dupont Marie (tirage n° 3, rang 1) – renonce", with
// ", lot 5 remis en jeu" when it held one, then the reserves, "Suppléant n° 1 : Martin Léo", the
// first listedReserves of them and a last line for the others. `resultName` gives a result's
// text by its index in draw order; texts are printable() as they stand.
inline constexpr std::size_t listedReserves = 100;
std::vector<std::string>
palmaresLines(const std::vector<std::string>& prizes, const std::vector<Absence>& absences,
              const PrizeAwards& awards,
              const std::function<std::string_view(std::size_t)>& resultName);

} // namespace sortivo
