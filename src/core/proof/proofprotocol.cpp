#include "core/proof/proofprotocol.h"

#include <ctime>
#include <stdexcept>
#include <unistd.h>

namespace sortivo
{

Seed freshSeed()
{
    Seed seed{};
    // getentropy reads the kernel's random source and blocks only until it is first seeded.
    if (getentropy(seed.data(), seed.size()) != 0)
        throw std::runtime_error("source aléatoire du système indisponible");
    return seed;
}

std::string commitmentOf(const Seed& seed)
{
    const Digest digest =
        sha256(std::string_view(reinterpret_cast<const char*>(seed.data()), seed.size()));
    return toHex(digest);
}

void EntriesFingerprint::flush()
{
    m_hasher.update(m_pending);
    m_pending.clear();
}

void EntriesFingerprint::addLong(std::string_view entry)
{
    flush();
    m_hasher.update(entry);
    m_pending += "\r\n";
}

std::string EntriesFingerprint::finishHex()
{
    flush();
    return toHex(m_hasher.finish());
}

std::string entriesFingerprint(const EntryList& entries)
{
    // The loaded text already holds the entries with CR LF between them: only the last CR LF
    // is missing.
    Sha256 hasher;
    if (!entries.empty()) {
        hasher.update(entries.joinedText());
        hasher.update("\r\n");
    }
    return toHex(hasher.finish());
}

Digest runKey(const Seed& seed, std::int64_t runNumber, std::string_view fingerprintHex,
              std::string_view publicValue, std::string_view protocol)
{
    std::string message(protocol);
    message += '\n';
    message += std::to_string(runNumber);
    message += '\n';
    message += fingerprintHex;
    message += '\n';
    message += publicValue;
    return hmacSha256(seed, message);
}

std::string isoTimeUtc(std::chrono::system_clock::time_point time)
{
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

std::string isoTimeNow()
{
    return isoTimeUtc(std::chrono::system_clock::now());
}

} // namespace sortivo
