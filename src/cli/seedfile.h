#pragma once

#include "core/proof/listcommitment.h"
#include "core/proof/prizes.h"
#include "core/proof/proofprotocol.h"
#include "core/text/expected.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A seed kept between `tirer --engagement` and the draw: the commitment is shown first, the
// seed used later. A text file, readable by its owner only:
//     sortivo-graine-1
//     graine <64 hex digits>
//     engagement <64 hex digits>
//     communique <ISO 8601 time the commitment was shown>
//     liste <entries> <fingerprint>    when the list was committed with the seed
//     un_lot_par_personne              when the rule of one prize per person was
//     lots <prizes> <fingerprint>      when prizes were, followed by each of them in order:
//     lot <prize>
//     tirages <runs drawn from it>     once a draw has used it
struct KeptSeed {
    sortivo::Seed seed{};
    std::string communicatedAt;
    std::optional<sortivo::CommunicatedList> list;
    // Fixed with the commitment: every draw from the seed applies it.
    bool onePrizePerPerson = false;
    // Fixed with the commitment too, when there are some: every draw from the seed awards them.
    std::vector<std::string> prizes;
    // How many runs of the session the seed has drawn: a draw takes the next number, so a seed
    // used again shows in its record instead of starting over unseen.
    std::int64_t runs = 0;
};

// Creates the file, never over an existing one: a seed once committed is never replaced.
sortivo::Expected<void> writeSeedFile(const std::string& path, const KeptSeed& kept);
// Puts `kept` (its run count changed) in the place of the file, whole or not at all, a link at
// the name replaced rather than followed.
sortivo::Expected<void> rewriteSeedFile(const std::string& path, const KeptSeed& kept);
sortivo::Expected<KeptSeed> readSeedFile(const std::string& path);
