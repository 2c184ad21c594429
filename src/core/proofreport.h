#pragma once

#include "core/proofsession.h"

#include <string>
#include <string_view>

namespace sortivo
{

// Texts for paper, in French, lines separated by CR LF like every text the program prints.

// The sheet shown to the audience before the draws. `printedAt` is an ISO 8601 time.
std::string commitmentSheet(std::string_view commitment, std::string_view printedAt);

// One line about a run, for the list of runs made so far.
std::string runSummary(const RunRecord& run);

// The record as people read it: what was committed and when, each run with its results, the
// seed, and how to check it all. It reveals the seed.
std::string recordReport(const ProofSession& session, std::string_view software,
                         std::string_view printedAt);

} // namespace sortivo
