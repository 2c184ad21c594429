#pragma once

#include <cstddef>
#include <string_view>

namespace sortivo
{

inline bool isUtf8Continuation(unsigned char b)
{
    return (b & 0xC0) == 0x80;
}

// Length of the well-formed UTF-8 sequence starting at `i`, or 0. Overlong forms, surrogates
// and code points above U+10FFFF are refused so that such a file falls back to Windows-1252
// instead of being read as text no editor would have written.
inline std::size_t utf8SequenceLength(std::string_view s, std::size_t i)
{
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = at(i);
    const std::size_t left = s.size() - i;
    if (lead >= 0xC2 && lead <= 0xDF)
        return left >= 2 && isUtf8Continuation(at(i + 1)) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (left < 3)
            return 0;
        const unsigned char b1 = at(i + 1);
        const unsigned char lo = lead == 0xE0 ? 0xA0 : 0x80;
        const unsigned char hi = lead == 0xED ? 0x9F : 0xBF;
        return b1 >= lo && b1 <= hi && isUtf8Continuation(at(i + 2)) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (left < 4)
            return 0;
        const unsigned char b1 = at(i + 1);
        const unsigned char lo = lead == 0xF0 ? 0x90 : 0x80;
        const unsigned char hi = lead == 0xF4 ? 0x8F : 0xBF;
        return b1 >= lo && b1 <= hi && isUtf8Continuation(at(i + 2)) &&
                       isUtf8Continuation(at(i + 3))
                   ? 4
                   : 0;
    }
    return 0;
}

// U+2028 and U+2029 break a text box's line, and it drops U+FDD0 and U+FDD1, its frame marks.
inline bool isBoxBreak(std::string_view c)
{
    return c == "\u2028" || c == "\u2029" || c == "\uFDD0" || c == "\uFDD1";
}

} // namespace sortivo
