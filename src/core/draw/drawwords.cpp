#include "core/draw/drawwords.h"

#include <algorithm>

namespace sortivo
{

DrawWords::DrawWords(const Digest& key)
{
    std::copy(key.begin(), key.end(), m_message.begin());
}

void DrawWords::refill()
{
    for (int i = 0; i < 8; ++i)
        m_message[sizeof(Digest) + std::size_t(i)] = std::uint8_t(m_block >> (56 - 8 * i));
    ++m_block;
    m_hasher.update(m_message.data(), m_message.size());
    const Digest block = m_hasher.finish();
    for (std::size_t w = 0; w < m_words.size(); ++w)
        m_words[w] = std::uint32_t(block[4 * w]) << 24 | std::uint32_t(block[4 * w + 1]) << 16 |
                     std::uint32_t(block[4 * w + 2]) << 8 | std::uint32_t(block[4 * w + 3]);
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
