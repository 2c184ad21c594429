#pragma once

#include "core/io/sha256.h"
#include "core/list/entrylist.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace sortivo
{

// The pieces of "sortivo-preuve-1" that a checker of a record must redo exactly; the words a
// run draws with are in drawwords.h.
inline constexpr std::string_view proofProtocolName = "sortivo-preuve-1";
// The same protocol with one rule more, one prize per person: a checker that does not know the
// rule must refuse such a record rather than replay it wrongly.
inline constexpr std::string_view onePrizeProtocolName = "sortivo-preuve-2";

inline std::string_view protocolNameFor(bool onePrizePerPerson)
{
    return onePrizePerPerson ? onePrizeProtocolName : proofProtocolName;
}

using Seed = Digest;

// 32 bytes from the operating system's secure random source.
Seed freshSeed();

// What the audience is shown before the draws: the hex SHA-256 of the seed.
std::string commitmentOf(const Seed& seed);

// The hex SHA-256 of the entries, each followed by CR LF, fed one entry at a time. Entries that
// lie side by side in a list's text, CR LF between them, can be fed as one.
class EntriesFingerprint
{
public:
    void add(std::string_view entry)
    {
        if (entry.size() >= flushSize) {
            addLong(entry);
            return;
        }
        m_pending += entry;
        m_pending += "\r\n";
        if (m_pending.size() >= flushSize)
            flush();
    }
    std::string finishHex();

private:
    // Hashing many short entries one call each would cost more than the hashing itself.
    static constexpr std::size_t flushSize = 1 << 16;
    void flush();
    // Hashed where it lies rather than copied.
    void addLong(std::string_view entry);

    Sha256 m_hasher;
    std::string m_pending;
};

std::string entriesFingerprint(const EntryList& entries);

// HMAC-SHA256 keyed by the seed over the record's protocol name, the run number, the
// fingerprint and the public value, each after the previous one and an LF.
Digest runKey(const Seed& seed, std::int64_t runNumber, std::string_view fingerprintHex,
              std::string_view publicValue, std::string_view protocol = proofProtocolName);

// ISO 8601 in UTC to the second, as the record writes times: 2026-12-07T19:46:06Z.
std::string isoTimeUtc(std::chrono::system_clock::time_point time);
// The present, as every time a session notes is written.
std::string isoTimeNow();

} // namespace sortivo
