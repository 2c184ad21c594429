#pragma once

#include "core/proofprotocol.h"

#include <optional>
#include <string>

// A seed kept between `tirer --engagement` and the draw: the commitment is shown first, the
// seed used later. A text file, readable by its owner only:
//     sortivo-graine-1
//     graine <64 hex digits>
//     engagement <64 hex digits>
//     communique <ISO 8601 time the commitment was shown>
struct KeptSeed {
    sortivo::Seed seed{};
    std::string communicatedAt;
};

// Creates the file, never over an existing one: a seed once committed is never replaced.
// The French reason on failure, else empty.
std::string writeSeedFile(const std::string& path, const KeptSeed& kept);
// The seed, or nothing with `error` set to the French reason.
std::optional<KeptSeed> readSeedFile(const std::string& path, std::string& error);
