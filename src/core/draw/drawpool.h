#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace sortivo
{

// The entries still in the list, by original index. Taking the k-th remaining entry is what
// erasing it from an array would do (the rest keep their order), in O(log n) instead of O(n).
// Entries are tracked as bits, 64 to a word, under a tree of 16-way nodes. A node holds the
// running totals of its children's counts in one cache line, so each level of the search is
// a handful of compares the compiler can do side by side: a million entries take four levels.
class DrawPool
{
public:
    explicit DrawPool(std::size_t count);

    std::size_t remaining() const { return m_remaining; }
    bool isTaken(std::size_t index) const
    {
        return ((m_bits[index / 64] >> (index % 64)) & 1) == 0;
    }

    // Calls visit(index) for each entry left, in list order.
    template <typename Visit> void forEachRemaining(Visit visit) const
    {
        for (std::size_t w = 0; w < m_bits.size(); ++w)
            for (std::uint64_t word = m_bits[w]; word != 0; word &= word - 1)
                visit(w * 64 + std::size_t(std::countr_zero(word)));
    }

    // For each of `ascending`, indexes of entries left in increasing order, how many entries
    // left come before it: where it stands in the list of the entries left.
    std::vector<std::size_t> ranksOf(std::span<const std::size_t> ascending) const;

    // Removes the remaining entry of 0-based rank `rank` (< remaining()) and returns its
    // original 0-based index.
    std::size_t takeAt(std::size_t rank);
    // The same as takeAt for each rank in turn, each counting the entries left after the
    // ones before it (ranks[k] < remaining() - k), the indexes going to `indexes` (at least
    // as long); only faster.
    void takeInOrder(std::span<const std::uint32_t> ranks, std::span<std::size_t> indexes);
    // Removes the entry of original index `index`, which must still be left, whatever its
    // rank: a winner's other tickets leave this way, in O(log n) each.
    void remove(std::size_t index);

    static constexpr std::size_t fanout = 16;

private:
    std::vector<std::uint64_t> m_bits;
    // All levels, the root's first, after one padding zero: node i of a level is fanout
    // running totals, entry j being the count under children 0..j of that node. Signed, as
    // the processor compares those fastest; a list never nears 2^31 entries.
    std::vector<std::int32_t> m_totals;
    std::vector<std::size_t> m_levelStart; // root level first
    std::size_t m_remaining;
};

} // namespace sortivo
