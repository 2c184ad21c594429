#include "core/contactdetails.h"

#include <algorithm>
#include <cstddef>

namespace sortivo
{

namespace
{

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool looksLikeEmail(std::string_view entry)
{
    for (std::size_t at = entry.find('@'); at != std::string_view::npos;
         at = entry.find('@', at + 1)) {
        if (at == 0 || entry[at - 1] == ' ')
            continue;
        const std::size_t end = std::min(entry.find(' ', at), entry.size());
        const std::string_view domain = entry.substr(at + 1, end - at - 1);
        const std::size_t dot = domain.rfind('.');
        if (dot != std::string_view::npos && dot > 0 && dot + 1 < domain.size())
            return true;
    }
    return false;
}

bool looksLikePhone(std::string_view entry)
{
    std::size_t digits = 0;
    bool afterSeparator = false;
    for (const char c : entry) {
        if (isDigit(c)) {
            if (++digits >= 9)
                return true;
            afterSeparator = false;
        } else if ((c == ' ' || c == '.' || c == '-') && digits != 0 && !afterSeparator) {
            afterSeparator = true;
        } else {
            digits = 0;
            afterSeparator = false;
        }
    }
    return false;
}

} // namespace

bool looksLikeContactDetails(std::string_view entry)
{
    return looksLikeEmail(entry) || looksLikePhone(entry);
}

bool holdsContactDetails(const EntryList& entries)
{
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (looksLikeContactDetails(entries.at(i)))
            return true;
    return false;
}

} // namespace sortivo
