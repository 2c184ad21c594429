#pragma once

#include "core/list/listlimits.h"
#include "core/proof/listcommitment.h"
#include "core/proof/proofrecord.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sortivo
{

// The most a record may weigh: a session over lists as large as a list file may be writes each
// entry once among the entries and once among the results, each with its indent, quotes, comma and
// line end (12 bytes, 16 with room for escapes). Past this, a file is not a record, and no checker
// reads it into memory.
inline constexpr std::uint64_t largestRecordFile =
    2 * (std::uint64_t(largestListFile) + std::uint64_t(listFileLimits.maxLines) * 16);

// Runs drawn from a list that was not fixed with the commitment prove the seed, not the list:
// its order could be tried offline, the public value known, until a favourite won.
inline constexpr std::string_view listNotCommunicatedWarning =
    "la liste n'a pas été communiquée avec l'engagement ; son ordre a pu être choisi après la "
    "valeur publique.";

// Prizes with no record of their communication could have been ordered once the winners were
// known.
inline constexpr std::string_view prizesNotCommunicatedWarning =
    "les lots n'ont pas été communiqués avec l'engagement ; leur ordre a pu être choisi après le "
    "tirage.";

// UTF-8 as it is, but for characters that could move the cursor, recolour or retitle a
// terminal, or reverse what follows: those become \u001b and the like, and a byte that is not
// UTF-8 becomes U+FFFD. Past `longest` characters, the rest becomes "…".
std::string printable(std::string_view text, std::size_t longest = std::string_view::npos);

struct VerifyResult {
    bool conforming;
    // One line for the user: "CONFORME : …", "CONFORME AVEC RÉSERVES : …" when warnings follow,
    // or "NON CONFORME : <la raison>".
    std::string message;
    // What a conforming record still shows that the audience must know, one line each, to be
    // told after the verdict.
    std::vector<std::string> warnings;
    // Who wins what, by palmaresLines(), when the record has prizes or absences.
    std::vector<std::string> palmares;
};

// Replays every run of a record from its seed and says whether the record holds: the seed
// matches the commitment, the runs are numbered 1, 2, …, each fingerprint matches its entries
// and each run's results are exactly what its words draw; then the prizes match what was
// communicated of them, and the absences replay by the award rule. Runs with no list communicated
// with the commitment, and runs that drew from a list other than the communicated one or than what
// earlier runs left of it, are warnings.
VerifyResult verifyRecord(std::string_view recordText);

// A record read back once it checked CONFORME, to be written again with one more run of its
// session: its runs as the writer takes them, viewing what was read, which they keep alive.
struct CheckedRecord {
    Seed seed{};
    std::optional<std::string> communicatedAt;
    std::optional<CommunicatedList> communicatedList;
    std::string publicValue;
    bool onePrizePerPerson = false;
    std::vector<std::string> prizes;
    std::optional<CommunicatedPrizes> communicatedPrizes;
    std::vector<DeclaredAbsence> absences;
    std::vector<RecordRun> runs;
    // Whether a next run dated `date`, over entries of `fingerprint`, draws from a list other
    // than the communicated one or what the runs left of it, as the checkers will judge it.
    bool nextRunListChanged(std::string_view date, std::string_view fingerprint) const
    {
        return listCheck && listCheck->covers(date) && listCheck->changed(fingerprint);
    }

    std::optional<CommunicatedListCheck> listCheck;
    std::shared_ptr<const void> read;
};

// The checker's verdict; with a conforming record, `record` holds it.
VerifyResult readCheckedRecord(std::string_view recordText, std::optional<CheckedRecord>& record);

} // namespace sortivo
