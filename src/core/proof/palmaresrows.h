#pragma once

#include "core/proof/prizes.h"
#include "core/text/expected.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sortivo
{

class ProofSession;

// The winners as a table, one row each, for the palmarès a spreadsheet opens and the
// procès-verbal prints: who holds which prize, who was absent, the reserves.
struct PalmaresRow {
    // The row's number, from 1.
    std::size_t rank = 0;
    // The prize won, or held when the result was declared absent; empty for none.
    std::string prize;
    // The result's text as drawn; empty for a prize nobody holds yet.
    std::string winner;
    // The run that drew the result, and when it started (ISO 8601, universal time, as recorded);
    // nothing for a prize nobody holds yet.
    std::optional<std::int64_t> run;
    std::string time;
    // What became of the result, in French: "gagnant", "absent – renonce", "suppléant n° 2",
    // "tiré", "équipe n° 3", or "non attribué" for a prize nobody holds yet.
    std::string status;
    // The result's index in draw order across the runs, to find where it came from.
    std::optional<std::size_t> result;
    // Declared absent: the procès-verbal strikes the row through.
    bool absent = false;
};

// The columns' titles, in the order of PalmaresRow's fields.
inline const std::vector<std::string> palmaresHeader{"Rang",      "Lot",   "Gagnant",
                                                     "Tirage n°", "Heure", "Statut"};

// A run as the palmarès needs it.
struct PalmaresRun {
    std::int64_t number = 0;
    std::string date;
    std::size_t results = 0;
    // The size of its teams in a team run, 0 otherwise.
    int teamSize = 0;
};

struct PalmaresInput {
    std::vector<std::string> prizes;
    std::vector<PalmaresRun> runs;
    std::vector<Absence> absences;
    // A result's text by its index in draw order across the runs.
    std::function<std::string_view(std::size_t)> resultText;
};

// The first rows of a palmarès, and how many it holds in all.
struct PalmaresPage {
    std::vector<PalmaresRow> rows;
    std::size_t total = 0;
};

inline constexpr std::size_t allPalmaresRows = std::numeric_limits<std::size_t>::max();

// The rows, by the award rule of prizes.h. With prizes: each prize in order with its holder,
// then the results declared absent, in the order declared, with the prize they held, then the
// reserves in order, then the members of teams, which win nothing. Without prizes: every result
// in draw order. Only the first `count` rows are built: a printed page holds a few hundred of
// what may be a million. Refused, with why, when the award rule refuses the absences.
Expected<PalmaresPage> palmaresRows(const PalmaresInput& input,
                                    std::size_t count = allPalmaresRows);

// The same for the window's session: its ended runs, prizes and absences.
Expected<PalmaresPage> palmaresRowsOf(const ProofSession& session,
                                      std::size_t count = allPalmaresRows);

} // namespace sortivo
