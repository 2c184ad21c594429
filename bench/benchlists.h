#pragma once

#include <cstdint>
#include <string>

// A list text of `count` entries shaped like real names of varying length.
inline std::string makeListText(int count)
{
    std::string text;
    text.reserve(std::size_t(count) * 14);
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            text += "\r\n";
        text += "Participant ";
        text += std::to_string(std::int64_t(i) * 7919 % 1000003);
    }
    return text;
}
