#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sortivo
{

// The entries of a list text. The text itself is kept, its lines ending in CR LF, and entry i
// is the line that starts at starts[i]: a list of a million lines is two allocations, not a
// million, and loading it copies nothing line by line.
class EntryList
{
public:
    EntryList() = default;
    // `lines` holds the entries with a CR LF after each but the last. `starts` holds where
    // each entry begins and, last, where one more would begin: lines.size() + 2.
    EntryList(std::string lines, std::vector<std::size_t> starts);

    std::size_t size() const { return m_starts.empty() ? 0 : m_starts.size() - 1; }
    bool empty() const { return size() == 0; }
    // The characters of all entries, line breaks not counted.
    std::size_t charCount() const { return empty() ? 0 : m_lines.size() - 2 * (size() - 1); }
    // The entries with a CR LF between each two, as they were loaded.
    std::string_view joinedText() const { return m_lines; }
    // 0-based, unlike the 1-based positions the draw talks about.
    std::string_view at(std::size_t index) const
    {
        return std::string_view(m_lines).substr(m_starts[index],
                                                m_starts[index + 1] - m_starts[index] - 2);
    }

    // Hints that entry `index` will be read soon: first where it starts, then its characters.
    // A draw reads entries in random order, and overlapping those memory fetches is what
    // makes a million-entry draw fast.
    void prefetchBounds(std::size_t index) const { prefetch(&m_starts[index]); }
    void prefetchChars(std::size_t index) const { prefetch(m_lines.data() + m_starts[index]); }

private:
    static void prefetch([[maybe_unused]] const void* address)
    {
#if defined(__GNUC__)
        __builtin_prefetch(address);
#endif
    }

    std::string m_lines;
    std::vector<std::size_t> m_starts;
};

// Cuts a list text at every CR LF; a lone CR or LF inside a line is dropped and the text on
// both sides joins. Nothing is trimmed and empty lines are entries. Taken by value so that a
// caller done with its text can hand the buffer over.
EntryList loadEntries(std::string listText);

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
