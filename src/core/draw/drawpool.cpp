#include "core/draw/drawpool.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstring>

namespace sortivo
{

namespace
{

constexpr std::uint64_t everyByte = 0x0101010101010101;

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

// The bit count of each byte, in that byte. Done with shifts and masks: std::popcount becomes
// a library call on processors the build may not assume have the instruction.
std::uint64_t byteCounts(std::uint64_t word)
{
    word -= (word >> 1) & 0x5555555555555555;
    word = (word & 0x3333333333333333) + ((word >> 2) & 0x3333333333333333);
    return (word + (word >> 4)) & 0x0f0f0f0f0f0f0f0f;
}

std::uint32_t countBits(std::uint64_t word)
{
    return std::uint32_t((byteCounts(word) * everyByte) >> 56);
}

// Position of the set bit of 0-based rank `rank` in `word`, without branches: the byte that
// holds it is found from the running byte counts, the bit within it by table.
unsigned selectBit(std::uint64_t word, unsigned rank)
{
    const std::uint64_t totals = byteCounts(word) * everyByte; // byte i: bits in bytes 0..i
    // High bit of byte i set when the totals up to byte i do not reach past `rank`; all values
    // stay under 0x80, so no byte borrows from the next.
    const std::uint64_t passed =
        (((rank * everyByte) | 0x8080808080808080) - totals) & 0x8080808080808080;
    const unsigned byteIndex = unsigned(((passed >> 7) * everyByte) >> 56);
    const unsigned before = unsigned(((totals << 8) >> (8 * byteIndex)) & 0xff);
    const unsigned byte = unsigned(word >> (8 * byteIndex)) & 0xff;
    return 8 * byteIndex + bytePositions[byte][rank - before];
}

// One take on its way down: the node reached and the rank still wanted under it, 1-based.
struct Descent {
    std::size_t node;
    std::int32_t wanted;
};

// Four totals of a node as one value of the vector registers every processor has: a node is
// compared and counted down in a few instructions, where the compiler left a loop over its
// totals mostly one compare at a time.
typedef std::int32_t FourTotals __attribute__((vector_size(16)));
constexpr std::size_t quarters = DrawPool::fanout / 4;

// Goes down one level, whose first node is at `levelTotals`, and counts the take there.
inline void descend(std::int32_t* levelTotals, Descent& d)
{
    std::int32_t* totals = levelTotals + d.node * DrawPool::fanout;
    FourTotals node[quarters];
    std::memcpy(node, totals, sizeof node);
    // Totals rise along the node, so the children passed over are those whose total falls
    // short: -1 in each of their lanes, 0 in the others; counted, not searched, so that no
    // branch has to guess.
    FourTotals passed[quarters];
    FourTotals count{};
    for (std::size_t q = 0; q < quarters; ++q) {
        passed[q] = node[q] < d.wanted;
        count += passed[q];
    }
    const int child = -(count[0] + count[1] + count[2] + count[3]);
    // The take is under the child found, so every total from it on loses one: the lanes not
    // passed over, where adding the lane's complement subtracts one.
    for (std::size_t q = 0; q < quarters; ++q)
        node[q] += ~passed[q];
    std::memcpy(totals, node, sizeof node);
    // For the first child this reads the word before the node (the padding in front of the
    // root) and masks it out.
    const std::int32_t before = totals[child - 1] & -std::int32_t(child != 0);
    d.wanted -= before;
    d.node = d.node * DrawPool::fanout + std::size_t(child);
}

// Clears the bit a descent ends on and returns the index of its entry.
inline std::size_t takeBit(std::vector<std::uint64_t>& bits, const Descent& d)
{
    const unsigned bit = selectBit(bits[d.node], unsigned(d.wanted - 1));
    bits[d.node] &= ~(std::uint64_t(1) << bit);
    return d.node * 64 + bit;
}

} // namespace

DrawPool::DrawPool(std::size_t count) : m_bits((count + 63) / 64), m_remaining(count)
{
    const std::size_t words = m_bits.size();
    for (std::size_t w = 0; w < words; ++w) {
        const std::size_t inWord = std::min<std::size_t>(64, count - w * 64);
        m_bits[w] = inWord == 64 ? ~std::uint64_t(0) : (std::uint64_t(1) << inWord) - 1;
    }

    // Levels from the words up: a level has one node per fanout children below it.
    std::vector<std::vector<std::uint32_t>> levels;
    std::vector<std::uint32_t> childCounts(words);
    for (std::size_t w = 0; w < words; ++w)
        childCounts[w] = countBits(m_bits[w]);
    do {
        const std::size_t nodes =
            std::max<std::size_t>(1, (childCounts.size() + fanout - 1) / fanout);
        std::vector<std::uint32_t> level(nodes * fanout);
        std::vector<std::uint32_t> nodeCounts(nodes);
        for (std::size_t node = 0; node < nodes; ++node) {
            std::uint32_t total = 0;
            for (std::size_t j = 0; j < fanout; ++j) {
                const std::size_t child = node * fanout + j;
                total += child < childCounts.size() ? childCounts[child] : 0;
                level[node * fanout + j] = total;
            }
            nodeCounts[node] = total;
        }
        levels.push_back(std::move(level));
        childCounts = std::move(nodeCounts);
    } while (childCounts.size() > 1);

    m_totals.push_back(0);
    for (auto level = levels.rbegin(); level != levels.rend(); ++level) {
        m_levelStart.push_back(m_totals.size());
        for (const std::uint32_t total : *level)
            m_totals.push_back(std::int32_t(total));
    }
}

std::size_t DrawPool::takeAt(std::size_t rank)
{
    assert(rank < m_remaining);
    Descent d{0, std::int32_t(rank + 1)};
    for (const std::size_t start : m_levelStart)
        descend(m_totals.data() + start, d);
    --m_remaining;
    return takeBit(m_bits, d);
}

void DrawPool::takeInOrder(std::span<const std::uint32_t> ranks, std::span<std::size_t> indexes)
{
    assert(indexes.size() >= ranks.size());
    std::size_t k = 0;
    // Four at a time, level by level: each descent still sees the counts exactly as the
    // draws before it left them, since those went down that level first, but the
    // processor works on the four side by side instead of waiting on one after another.
    for (; k + 4 <= ranks.size(); k += 4) {
        Descent a{0, std::int32_t(ranks[k] + 1)};
        Descent b{0, std::int32_t(ranks[k + 1] + 1)};
        Descent c{0, std::int32_t(ranks[k + 2] + 1)};
        Descent d{0, std::int32_t(ranks[k + 3] + 1)};
        for (const std::size_t start : m_levelStart) {
            std::int32_t* level = m_totals.data() + start;
            descend(level, a);
            descend(level, b);
            descend(level, c);
            descend(level, d);
        }
        indexes[k] = takeBit(m_bits, a);
        indexes[k + 1] = takeBit(m_bits, b);
        indexes[k + 2] = takeBit(m_bits, c);
        indexes[k + 3] = takeBit(m_bits, d);
        m_remaining -= 4;
    }
    for (; k < ranks.size(); ++k)
        indexes[k] = takeAt(ranks[k]);
}

void DrawPool::remove(std::size_t index)
{
    assert(!isTaken(index));
    m_bits[index / 64] &= ~(std::uint64_t(1) << (index % 64));
    // From the words up: at each level, the totals of the node above from this child on count
    // one entry fewer.
    std::size_t child = index / 64;
    for (auto start = m_levelStart.rbegin(); start != m_levelStart.rend(); ++start) {
        std::int32_t* totals = m_totals.data() + *start + (child / fanout) * fanout;
        for (std::size_t j = child % fanout; j < fanout; ++j)
            --totals[j];
        child /= fanout;
    }
    --m_remaining;
}

std::vector<std::size_t> DrawPool::ranksOf(std::span<const std::size_t> ascending) const
{
    std::vector<std::size_t> ranks;
    ranks.reserve(ascending.size());
    std::size_t word = 0;
    std::size_t before = 0;
    for (const std::size_t index : ascending) {
        for (; word < index / 64; ++word)
            before += std::size_t(std::popcount(m_bits[word]));
        const std::uint64_t lower = (std::uint64_t(1) << (index % 64)) - 1;
        ranks.push_back(before + std::size_t(std::popcount(m_bits[word] & lower)));
    }
    return ranks;
}

} // namespace sortivo
