#include "core/drawpool.h"

#include <cassert>

namespace sortivo
{

DrawPool::DrawPool(std::size_t count) : m_tree(count + 1), m_taken(count), m_remaining(count)
{
    // Every entry present: node i covers lowbit(i) entries.
    for (std::size_t i = 1; i <= count; ++i)
        m_tree[i] = std::uint32_t(i & (~i + 1));
    m_topStep = 1;
    while (m_topStep * 2 <= count)
        m_topStep *= 2;
}

std::size_t DrawPool::takeAt(std::size_t rank)
{
    assert(rank < m_remaining);
    const std::size_t n = m_taken.size();
    auto wanted = std::uint32_t(rank + 1);
    std::size_t pos = 0;
    // The nodes the search does not step over are exactly the ones whose range holds the
    // target, so the count update rides along with the search.
    for (std::size_t step = m_topStep; step > 0; step >>= 1) {
        const std::size_t node = pos + step;
        if (node > n)
            continue;
        if (m_tree[node] < wanted) {
            pos = node;
            wanted -= m_tree[node];
        } else {
            --m_tree[node];
        }
    }
    m_taken[pos] = 1;
    --m_remaining;
    return pos;
}

} // namespace sortivo
