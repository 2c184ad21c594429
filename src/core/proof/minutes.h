#pragma once

#include "core/proof/eventdetails.h"
#include "core/proof/palmaresrows.h"
#include "core/proof/proofsession.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sortivo
{

// The procès-verbal as people read and sign it, before the annex for checkers: each part in
// French, ready to be laid out on paper. Times are the reader's local time.
struct Minutes {
    std::string title;
    // "Organisateur", "Lieu", … and what was typed, only what was.
    std::vector<std::pair<std::string, std::string>> details;
    std::vector<Witness> witnesses;
    // "Entrées communiquées avec l'engagement : 400" and the like.
    std::vector<std::string> counts;
    // Who wins what, or the results in order without prizes; times as "20:41:05". A long
    // session lists its first rows and says how many more the annex holds.
    std::vector<PalmaresRow> palmares;
    std::size_t palmaresLeftOut = 0;
    bool withPrizes = false;
    // What went otherwise than planned, one sentence each; none is said in words too.
    std::vector<std::string> anomalies;
    // Worked out by replaying the record, never assumed.
    std::string conclusion;
    bool conforming = false;
    std::string commitment;
    // "2026-12-07 à 20:58:00 (UTC+01:00)"
    std::string printedAt;
};

// How many palmarès rows the people's part prints; the annex prints every result.
inline constexpr std::size_t printedPalmaresRows = 200;

// The procès-verbal of `session`, checked by replaying its record as `software` writes it.
Minutes minutesOf(const ProofSession& session, std::string_view software,
                  std::string_view printedAt);

// The commitment in groups of eight digits, as it is read aloud and compared.
std::string inGroupsOfEight(std::string_view hex);

} // namespace sortivo
