#include "core/drawpool.h"

#include <algorithm>
#include <array>
#include <cassert>

namespace sortivo
{

namespace
{

// Bit counts and in-byte bit positions by table: std::popcount compiles to a library call on
// processors the build may not assume have the instruction.
constexpr std::array<std::uint8_t, 256> byteCounts = [] {
    std::array<std::uint8_t, 256> counts{};
    for (unsigned b = 0; b < 256; ++b)
        for (unsigned v = b; v != 0; v &= v - 1)
            ++counts[b];
    return counts;
}();

constexpr std::array<std::array<std::uint8_t, 8>, 256> bytePositions = [] {
    std::array<std::array<std::uint8_t, 8>, 256> positions{};
    for (unsigned b = 0; b < 256; ++b) {
        unsigned rank = 0;
        for (unsigned bit = 0; bit < 8; ++bit)
            if (b & (1u << bit))
                positions[b][rank++] = std::uint8_t(bit);
    }
    return positions;
}();

unsigned countBits(std::uint64_t word)
{
    unsigned count = 0;
    for (; word != 0; word >>= 8)
        count += byteCounts[word & 0xff];
    return count;
}

// Position of the set bit of 0-based rank `rank` in `word`.
unsigned selectBit(std::uint64_t word, unsigned rank)
{
    for (unsigned base = 0;; base += 8, word >>= 8) {
        const auto byte = unsigned(word & 0xff);
        if (rank < byteCounts[byte])
            return base + bytePositions[byte][rank];
        rank -= byteCounts[byte];
    }
}

} // namespace

DrawPool::DrawPool(std::size_t count) : m_bits((count + 63) / 64), m_remaining(count)
{
    const std::size_t words = m_bits.size();
    for (std::size_t w = 0; w < words; ++w) {
        const std::size_t inWord = std::min<std::size_t>(64, count - w * 64);
        m_bits[w] = inWord == 64 ? ~std::uint64_t(0) : (std::uint64_t(1) << inWord) - 1;
    }
    // The tree spans a power of two of words, the ones past the end empty, so the search
    // never has to check that a node exists.
    while (m_topStep < words)
        m_topStep *= 2;
    m_tree.assign(m_topStep + 1, 0);
    // Linear-time build: each node adds itself to its parent.
    for (std::size_t i = 1; i <= m_topStep; ++i) {
        if (i <= words)
            m_tree[i] += std::uint32_t(countBits(m_bits[i - 1]));
        const std::size_t parent = i + (i & (~i + 1));
        if (parent <= m_topStep)
            m_tree[parent] += m_tree[i];
    }
}

std::size_t DrawPool::takeAt(std::size_t rank)
{
    assert(rank < m_remaining);
    std::size_t wanted = rank + 1;
    std::size_t pos = 0;
    // The nodes the search does not step over are exactly the ones whose range holds the
    // target word, so the count update rides along with the search. Written without branches:
    // which way a random draw goes cannot be predicted.
    for (std::size_t step = m_topStep; step > 0; step >>= 1) {
        const std::size_t node = pos + step;
        const std::uint32_t nodeCount = m_tree[node];
        const std::size_t right =
            ~std::size_t(0) * std::size_t(nodeCount < wanted); // all ones or 0
        pos += step & right;
        wanted -= nodeCount & right;
        m_tree[node] = nodeCount - std::uint32_t(~right & 1);
    }
    const unsigned bit = selectBit(m_bits[pos], unsigned(wanted - 1));
    m_bits[pos] &= ~(std::uint64_t(1) << bit);
    --m_remaining;
    return pos * 64 + bit;
}

} // namespace sortivo
