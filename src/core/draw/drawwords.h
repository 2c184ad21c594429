#pragma once

#include "core/io/sha256.h"

#include <array>
#include <cstdint>

namespace sortivo
{

// The 32-bit words a run draws with, all following from the run's key: block j is
// SHA-256(key, then j as 8 bytes big-endian), read as eight big-endian words in order. Anyone
// holding the key gets the same words with any SHA-256, which is what lets a draw be replayed.
class DrawWords
{
public:
    explicit DrawWords(const Digest& key);

    std::uint32_t next()
    {
        if (m_next == m_words.size())
            refill();
        return m_words[m_next++];
    }

private:
    void refill();

    // The key, then the block number: one 40-byte message, kept with SHA-256's padding for
    // that length so that each block is a single round of the compression function.
    std::array<std::uint8_t, 64> m_message{};
    std::uint64_t m_block = 0;
    std::array<std::uint32_t, 8> m_words{};
    std::size_t m_next = m_words.size();
};

// A position in [0, bound) for bound > 0, without the bias that a modulo or a scaled float
// brings: multiply, and take another word only in the rare case the low half falls short.
std::uint32_t uniformBelow(DrawWords& words, std::uint32_t bound);

} // namespace sortivo
