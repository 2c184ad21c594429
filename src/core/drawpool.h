#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sortivo
{

// The entries still in the list, by original index. Taking the k-th remaining entry is what
// erasing it from an array would do (the rest keep their order), in O(log n) instead of O(n).
// Entries are tracked as bits, 64 to a word, with a Fenwick tree of per-word counts on top:
// for a million entries the tree is 60 KB and stays in cache, so a draw costs a few cache
// misses rather than one per tree level.
class DrawPool
{
public:
    explicit DrawPool(std::size_t count);

    std::size_t remaining() const { return m_remaining; }
    bool isTaken(std::size_t index) const
    {
        return ((m_bits[index / 64] >> (index % 64)) & 1) == 0;
    }

    // Removes the remaining entry of 0-based rank `rank` (< remaining()) and returns its
    // original 0-based index.
    std::size_t takeAt(std::size_t rank);

private:
    std::vector<std::uint64_t> m_bits;
    std::vector<std::uint32_t> m_tree; // 1-based over the words; m_tree[0] unused
    std::size_t m_remaining;
    std::size_t m_topStep = 1;
};

} // namespace sortivo
