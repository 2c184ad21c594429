#include "core/list/person.h"

namespace sortivo
{

namespace
{

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// How many digits end `text`.
std::size_t trailingDigits(std::string_view text)
{
    std::size_t n = 0;
    while (n < text.size() && isDigit(text[text.size() - 1 - n]))
        ++n;
    return n;
}

} // namespace

std::string_view personOf(std::string_view entry)
{
    constexpr std::string_view opening = " (billet ";
    std::string_view rest = entry;
    if (rest.empty() || rest.back() != ')')
        return entry;
    rest.remove_suffix(1);
    const std::size_t total = trailingDigits(rest);
    if (total == 0)
        return entry;
    rest.remove_suffix(total);
    if (rest.empty() || rest.back() != '/')
        return entry;
    rest.remove_suffix(1);
    const std::size_t number = trailingDigits(rest);
    if (number == 0)
        return entry;
    rest.remove_suffix(number);
    if (!rest.ends_with(opening))
        return entry;
    rest.remove_suffix(opening.size());
    return rest;
}

} // namespace sortivo
