#include "core/draw/drawwords.h"

// A run hashes one short message per eight words, up to millions of them: through OpenSSL's
// EVP interface the setting up and finishing of each digest took longer than the hashing.
// The low-level SHA256_Transform, deprecated in OpenSSL 3 but kept, runs the one compression
// each message needs (with the processor's SHA instructions where it has them) on a message
// padded once for all.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/sha.h>

#include <algorithm>

namespace sortivo
{

DrawWords::DrawWords(const Digest& key)
{
    std::copy(key.begin(), key.end(), m_message.begin());
    // SHA-256 padding of a 40-byte message: a one bit, zeros, then its length in bits (320)
    // as a big-endian 64-bit number.
    m_message[40] = 0x80;
    m_message[62] = 320 >> 8;
    m_message[63] = 320 & 0xff;
}

void DrawWords::refill()
{
    for (int i = 0; i < 8; ++i)
        m_message[sizeof(Digest) + std::size_t(i)] = std::uint8_t(m_block >> (56 - 8 * i));
    ++m_block;
    SHA256_CTX state;
    SHA256_Init(&state);
    SHA256_Transform(&state, m_message.data());
    // The state words are the digest's big-endian words, already as numbers.
    for (std::size_t w = 0; w < m_words.size(); ++w)
        m_words[w] = std::uint32_t(state.h[w]);
    m_next = 0;
}

std::uint32_t uniformBelow(DrawWords& words, std::uint32_t bound)
{
    std::uint64_t product = std::uint64_t(words.next()) * bound;
    auto low = std::uint32_t(product);
    if (low < bound) {
        const std::uint32_t threshold = (0u - bound) % bound;
        while (low < threshold) {
            product = std::uint64_t(words.next()) * bound;
            low = std::uint32_t(product);
        }
    }
    return std::uint32_t(product >> 32);
}

} // namespace sortivo
