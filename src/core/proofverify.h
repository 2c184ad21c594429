#pragma once

#include <string>
#include <string_view>

namespace sortivo
{

struct VerifyResult {
    bool conforming;
    // One line for the user: "CONFORME : …" or "NON CONFORME : <la raison>".
    std::string message;
};

// Replays every run of a record from its seed and says whether the record holds: the seed
// matches the commitment, the runs are numbered 1, 2, …, each fingerprint matches its entries
// and each run's results are exactly what its words draw.
VerifyResult verifyRecord(std::string_view recordText);

} // namespace sortivo
