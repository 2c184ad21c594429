#pragma once

#include "core/list/person.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <string_view>
#include <vector>

namespace sortivo
{

// The entries of a list grouped by person (personOf), so that a winner's other tickets are
// found in the time it takes to visit them, not by a scan of the list. Each entry points to the
// next entry of its person, the last back to the first: one ring per person.
class PersonGroups
{
public:
    // Groups the `count` entries that entryAt(index) gives, in one pass over a hash table.
    template <typename EntryAt> PersonGroups(std::size_t count, EntryAt entryAt);

    // Calls visit(index) for every entry of the same person as `index`, other than itself.
    // How many persons the entries stand for.
    std::size_t personCount() const { return m_personCount; }

    template <typename Visit> void forEachOtherTicket(std::size_t index, Visit visit) const
    {
        for (std::uint32_t other = m_next[index]; other != index; other = m_next[other])
            visit(other);
    }

private:
    static constexpr std::uint32_t empty = std::numeric_limits<std::uint32_t>::max();
    // A slot holds a person's first entry and the low half of its hash, compared before the
    // text; at most half full, so a probe rarely goes past a few slots.
    struct Slot {
        std::uint32_t first = empty;
        std::uint32_t hash = 0;
    };

    std::vector<std::uint32_t> m_next;
    std::size_t m_personCount = 0;
};

template <typename EntryAt> PersonGroups::PersonGroups(std::size_t count, EntryAt entryAt)
{
    const std::size_t capacity = std::bit_ceil(std::max<std::size_t>(2 * count, 16));
    const std::size_t mask = capacity - 1;
    std::vector<Slot> table(capacity);
    m_next.resize(count);
    const std::hash<std::string_view> hashOf;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string_view person = personOf(entryAt(i));
        const std::size_t hash = hashOf(person);
        m_next[i] = std::uint32_t(i);
        for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
            Slot& slot = table[at];
            if (slot.first == empty) {
                slot = {std::uint32_t(i), std::uint32_t(hash)};
                ++m_personCount;
                break;
            }
            if (slot.hash == std::uint32_t(hash) && personOf(entryAt(slot.first)) == person) {
                // Into the ring just after its first entry.
                m_next[i] = m_next[slot.first];
                m_next[slot.first] = std::uint32_t(i);
                break;
            }
        }
    }
}

} // namespace sortivo
