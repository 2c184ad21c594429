#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sortivo
{

// The entries still in the list, by original index. Taking the k-th remaining entry is what
// erasing it from an array would do (the rest keep their order), in O(log n) instead of O(n):
// a Fenwick tree of "still here" counts, searched top-down.
class DrawPool
{
public:
    explicit DrawPool(std::size_t count);

    std::size_t remaining() const { return m_remaining; }
    bool isTaken(std::size_t index) const { return m_taken[index] != 0; }

    // Removes the remaining entry of 0-based rank `rank` (< remaining()) and returns its
    // original 0-based index.
    std::size_t takeAt(std::size_t rank);

private:
    std::vector<std::uint32_t> m_tree; // 1-based; m_tree[0] unused
    std::vector<std::uint8_t> m_taken;
    std::size_t m_remaining;
    std::size_t m_topStep = 0;
};

} // namespace sortivo
