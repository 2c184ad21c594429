#include "core/text/french.h"

namespace sortivo
{

std::string frenchNumber(std::uint64_t n, Thousands thousands)
{
    std::string digits = std::to_string(n);
    if (thousands == Thousands::None)
        return digits;
    const char* const separator = thousands == Thousands::Space ? " " : "\u202f";
    for (auto at = std::ptrdiff_t(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(std::size_t(at), separator);
    return digits;
}

std::string frenchCount(std::uint64_t n, std::string_view one, std::string_view many,
                        Thousands thousands)
{
    std::string text = frenchNumber(n, thousands);
    text += ' ';
    text += n > 1 ? many : one;
    return text;
}

} // namespace sortivo
