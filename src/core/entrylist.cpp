#include "core/entrylist.h"

#include <utility>

namespace sortivo
{

EntryList::EntryList(std::string chars, std::vector<Span> spans)
    : m_chars(std::move(chars)), m_spans(std::move(spans))
{
}

EntryList loadEntries(std::string_view text)
{
    if (text.empty())
        return {};

    std::string chars;
    chars.reserve(text.size());
    std::vector<EntryList::Span> spans;
    std::size_t entryStart = 0;
    std::size_t runStart = 0; // first character not yet copied into `chars`
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n')
            continue;
        chars.append(text.substr(runStart, i - runStart));
        if (c == '\r' && i + 1 < n && text[i + 1] == '\n') {
            spans.push_back({entryStart, chars.size() - entryStart});
            entryStart = chars.size();
            ++i;
        }
        runStart = i + 1;
    }
    chars.append(text.substr(runStart));
    spans.push_back({entryStart, chars.size() - entryStart});
    return EntryList(std::move(chars), std::move(spans));
}

} // namespace sortivo
