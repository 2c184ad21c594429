#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sortivo
{

// The entries of a list text. The characters live once in `chars`; each entry is a span of
// it, so a list of a million lines is two allocations, not a million.
class EntryList
{
public:
    struct Span {
        std::size_t offset;
        std::size_t length;
    };

    EntryList() = default;
    EntryList(std::string chars, std::vector<Span> spans);

    std::size_t size() const { return m_spans.size(); }
    bool empty() const { return m_spans.empty(); }
    // 0-based, unlike the 1-based positions the draw talks about.
    std::string_view at(std::size_t index) const
    {
        const Span& s = m_spans[index];
        return std::string_view(m_chars).substr(s.offset, s.length);
    }

private:
    std::string m_chars;
    std::vector<Span> m_spans;
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
