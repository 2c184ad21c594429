#include "core/list/entrylist.h"
#include "fuzzcheck.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace
{

// The cut done the slow, obvious way, to hold the span bookkeeping of loadEntries against.
std::vector<std::string> plainCut(std::string_view text)
{
    std::vector<std::string> entries;
    if (text.empty())
        return entries;
    std::string current;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            entries.push_back(current);
            current.clear();
            ++i;
        } else if (text[i] != '\r' && text[i] != '\n') {
            current += text[i];
        }
    }
    entries.push_back(current);
    return entries;
}

std::vector<std::string_view> viewsOf(const sortivo::EntryList& list)
{
    std::vector<std::string_view> views;
    for (std::size_t i = 0; i < list.size(); ++i)
        views.push_back(list.at(i));
    return views;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const sortivo::EntryList list = sortivo::loadEntries(std::string(text));

    std::size_t crlf = 0;
    std::size_t lineEndBytes = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (text[i] == '\r' || text[i] == '\n')
            ++lineEndBytes;
        if (text[i] == '\r' && i + 1 < size && text[i + 1] == '\n')
            ++crlf;
    }
    FUZZ_CHECK(list.size() == (text.empty() ? 0 : crlf + 1));
    FUZZ_CHECK(list.empty() == text.empty());

    std::size_t chars = 0;
    for (std::string_view entry : viewsOf(list)) {
        FUZZ_CHECK(entry.find_first_of("\r\n") == std::string_view::npos);
        chars += entry.size();
    }
    FUZZ_CHECK(chars == size - lineEndBytes);

    const std::vector<std::string> expected = plainCut(text);
    FUZZ_CHECK(expected.size() == list.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        FUZZ_CHECK(list.at(i) == expected[i]);

    // The list box is rewritten from the entries after every draw, so reading that text back
    // must give the same entries, less the empty ones at the head that joining drops.
    const std::vector<std::string_view> entries = viewsOf(list);
    std::size_t firstKept = 0;
    while (firstKept < entries.size() && entries[firstKept].empty())
        ++firstKept;
    const sortivo::EntryList reread = sortivo::loadEntries(sortivo::joinListText(entries));
    FUZZ_CHECK(reread.size() == entries.size() - firstKept);
    for (std::size_t i = 0; i < reread.size(); ++i)
        FUZZ_CHECK(reread.at(i) == entries[firstKept + i]);
    return 0;
}
