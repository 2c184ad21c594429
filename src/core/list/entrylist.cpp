#include "core/list/entrylist.h"

#include <cstring>
#include <utility>

namespace sortivo
{

EntryList::EntryList(std::string lines, std::vector<std::size_t> starts)
    : m_lines(std::move(lines)), m_starts(std::move(starts))
{
}

namespace
{

// Appends to `starts` where each line after the first begins. False, with `starts` in any
// state, when a CR or LF is found outside a CR LF pair.
bool findLineStarts(std::string_view text, std::vector<std::size_t>& starts)
{
    std::size_t lineStart = 0;
    for (;;) {
        const char* line = text.data() + lineStart;
        const std::size_t rest = text.size() - lineStart;
        const auto* lf = static_cast<const char*>(std::memchr(line, '\n', rest));
        const std::size_t length = lf ? std::size_t(lf - line) : rest;
        if (lf && (length == 0 || line[length - 1] != '\r'))
            return false;
        const std::size_t textLength = lf ? length - 1 : length;
        if (std::memchr(line, '\r', textLength))
            return false;
        if (!lf)
            return true;
        lineStart += length + 1;
        starts.push_back(lineStart);
    }
}

// The text with every CR or LF that is not part of a CR LF pair taken out.
std::string withoutLoneLineBreaks(std::string_view text)
{
    std::string kept;
    kept.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool pairedCr = c == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
        const bool pairedLf = c == '\n' && i > 0 && text[i - 1] == '\r';
        if ((c != '\r' && c != '\n') || pairedCr || pairedLf)
            kept += c;
    }
    return kept;
}

} // namespace

EntryList loadEntries(std::string text)
{
    if (text.empty())
        return {};

    // Line ends in lists are CR LF pairs nearly always; the text is then kept as it stands.
    std::vector<std::size_t> starts{0};
    if (!findLineStarts(text, starts)) {
        text = withoutLoneLineBreaks(text);
        starts.assign(1, 0);
        findLineStarts(text, starts);
    }
    starts.push_back(text.size() + 2);
    return EntryList(std::move(text), std::move(starts));
}

} // namespace sortivo
