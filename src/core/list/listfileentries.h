#pragma once

#include "core/io/largememory.h"
#include "core/io/textdecode.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sortivo
{

// The entries of a list file, read by the rules of decodeListFile, left where they lie in the
// file's own bytes. A file that is already UTF-8 (nearly every list) is cut in place: its line
// ends become one LF each, and nothing else moves or is copied. Others go through
// decodeListFile. Meant for lists of millions of lines, where a copy per entry, or of the
// whole text, would cost more than the draw.
class ListFileEntries
{
public:
    // Nothing when the bytes are not text (decodeListFile's NotText). At most 4 GiB.
    static std::optional<ListFileEntries> read(std::string bytes);

    std::size_t size() const { return m_starts.size() - 1; }
    // The lines past the empty line where the reading stopped, when any.
    const std::optional<UnreadLines>& unread() const { return m_unread; }
    // Which of `limits` decodeListFile would have refused the file for, or Ok: the first line
    // past one of them decides, as in decodeListFile.
    DecodedList::Status checkLimits(const DecodeLimits& limits) const;
    std::string_view at(std::size_t index) const
    {
        return std::string_view(m_text).substr(m_starts[index],
                                               m_starts[index + 1] - m_starts[index] - 1);
    }
    // Entry `index` followed by its LF.
    std::string_view line(std::size_t index) const
    {
        return std::string_view(m_text).substr(m_starts[index],
                                               m_starts[index + 1] - m_starts[index]);
    }
    // Hints that entry `index` will be read soon: first where it starts, then its characters.
    // A draw reads entries in random order, and overlapping those fetches is what makes a
    // million-entry draw fast.
    void prefetchBounds(std::size_t index) const { prefetch(&m_starts[index]); }
    void prefetchChars(std::size_t index) const { prefetch(m_text.data() + m_starts[index]); }
    // Where entry `index` starts in text(). From there alone it can be read back, since it
    // ends at the first LF: entries kept by their starts are then read with one fetch each
    // instead of two, the bounds' and then the characters', for no more than an index.
    std::uint32_t startOf(std::size_t index) const { return m_starts[index]; }
    std::string_view entryAt(std::uint32_t start) const
    {
        const std::string_view rest = std::string_view(m_text).substr(start);
        return rest.substr(0, rest.find('\n'));
    }
    void prefetchAt(std::uint32_t start) const { prefetch(m_text.data() + start); }
    // Every entry followed by one LF.
    std::string_view text() const { return std::string_view(m_text).substr(0, m_starts.back()); }

private:
    ListFileEntries() = default;
    static void prefetch([[maybe_unused]] const void* address)
    {
#if defined(__GNUC__)
        __builtin_prefetch(address);
#endif
    }
    // `text` holds the entries, each followed by one line end of any kind, from `offset` on.
    void cut(std::string text, std::size_t offset);

    std::string m_text;
    // Where each entry starts, then one past the last LF.
    std::vector<std::uint32_t, LargeMemory<std::uint32_t>> m_starts;
    std::optional<UnreadLines> m_unread;
};

} // namespace sortivo
