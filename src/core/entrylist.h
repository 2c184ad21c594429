#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sortivo
{

// The entries of a list text. Their characters lie end to end in one string and entry i is
// chars[bounds[i], bounds[i + 1]): a list of a million lines is two allocations, not a million.
class EntryList
{
public:
    EntryList() = default;
    // `bounds` holds one more offset than there are entries; the last is chars.size().
    EntryList(std::string chars, std::vector<std::size_t> bounds);

    std::size_t size() const { return m_bounds.empty() ? 0 : m_bounds.size() - 1; }
    bool empty() const { return size() == 0; }
    std::size_t charCount() const { return m_chars.size(); }
    // 0-based, unlike the 1-based positions the draw talks about.
    std::string_view at(std::size_t index) const
    {
        return std::string_view(m_chars).substr(m_bounds[index],
                                                m_bounds[index + 1] - m_bounds[index]);
    }

    // Hints that entry `index` will be read soon: first its bounds, then its characters. A
    // draw reads entries in random order, and overlapping those memory fetches is what makes
    // a million-entry draw fast.
    void prefetchBounds(std::size_t index) const { prefetch(&m_bounds[index]); }
    void prefetchChars(std::size_t index) const { prefetch(m_chars.data() + m_bounds[index]); }

private:
    static void prefetch([[maybe_unused]] const void* address)
    {
#if defined(__GNUC__)
        __builtin_prefetch(address);
#endif
    }

    std::string m_chars;
    std::vector<std::size_t> m_bounds;
};

// Cuts a list text at every CR LF; a lone CR or LF inside a line is dropped and the text on
// both sides joins. Nothing is trimmed and empty lines are entries.
EntryList loadEntries(std::string_view listText);

// Joins entries into a list text. Empty entries at the head vanish because a CR LF is written
// only once the text is not empty; users rely on that to tidy a list by drawing nothing.
template <typename Range> std::string joinListText(const Range& entries)
{
    std::size_t total = 0;
    for (std::string_view e : entries)
        total += e.size() + 2;
    std::string text;
    text.reserve(total);
    for (std::string_view e : entries) {
        if (!text.empty())
            text += "\r\n";
        text += e;
    }
    return text;
}

} // namespace sortivo
