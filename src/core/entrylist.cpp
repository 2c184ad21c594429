#include "core/entrylist.h"

#include <cstring>
#include <utility>

namespace sortivo
{

EntryList::EntryList(std::string chars, std::vector<std::size_t> bounds)
    : m_chars(std::move(chars)), m_bounds(std::move(bounds))
{
}

namespace
{

// Appends text without its CR characters.
void appendWithoutCr(std::string& out, std::string_view text)
{
    while (!text.empty()) {
        const void* cr = std::memchr(text.data(), '\r', text.size());
        const std::size_t keep =
            cr ? std::size_t(static_cast<const char*>(cr) - text.data()) : text.size();
        out.append(text.substr(0, keep));
        text.remove_prefix(cr ? keep + 1 : keep);
    }
}

} // namespace

EntryList loadEntries(std::string_view text)
{
    if (text.empty())
        return {};

    std::string chars;
    chars.reserve(text.size());
    std::vector<std::size_t> bounds{0};
    // Lines end in LF, so memchr finds the candidates fast; an LF is a separator only when a
    // CR stands right before it, and any other CR or LF is dropped.
    while (!text.empty()) {
        const void* lf = std::memchr(text.data(), '\n', text.size());
        if (!lf) {
            appendWithoutCr(chars, text);
            break;
        }
        const auto lineLength = std::size_t(static_cast<const char*>(lf) - text.data());
        const bool separator = lineLength > 0 && text[lineLength - 1] == '\r';
        appendWithoutCr(chars, text.substr(0, separator ? lineLength - 1 : lineLength));
        if (separator)
            bounds.push_back(chars.size());
        text.remove_prefix(lineLength + 1);
    }
    bounds.push_back(chars.size());
    return EntryList(std::move(chars), std::move(bounds));
}

} // namespace sortivo
