#include "widgets/boxlinebreaks.h"

#include <algorithm>
#include <cstring>

namespace sortivo
{

std::string listTextFromBox(std::string boxUtf8)
{
    // U+2028 and U+2029 are E2 80 A8 and E2 80 A9 in UTF-8, and the marks where a frame or a
    // table cell begins or ends, U+FDD0 and U+FDD1, are EF B7 90 and EF B7 91: three bytes
    // become two, so the text is rewritten in place, front to back.
    char* const begin = boxUtf8.data();
    const char* const end = begin + boxUtf8.size();
    const char* read = begin;
    char* write = begin;
    while (read < end) {
        const char* const lead =
            std::find_if(read, end, [](char c) { return c == '\xE2' || c == '\xEF'; });
        std::memmove(write, read, std::size_t(lead - read));
        write += lead - read;
        read = lead;
        if (lead == end)
            break;
        const bool separator =
            end - lead >= 3 &&
            ((lead[0] == '\xE2' && lead[1] == '\x80' && (lead[2] == '\xA8' || lead[2] == '\xA9')) ||
             (lead[0] == '\xEF' && lead[1] == '\xB7' && (lead[2] == '\x90' || lead[2] == '\x91')));
        if (separator) {
            *write++ = '\r';
            *write++ = '\n';
            read += 3;
        } else {
            *write++ = *read++;
        }
    }
    boxUtf8.resize(std::size_t(write - begin));
    return boxUtf8;
}

std::string boxTextFromList(std::string_view listText)
{
    std::string out;
    out.reserve(listText.size());
    std::size_t pos = 0;
    while (pos < listText.size()) {
        const std::size_t cr = listText.find("\r\n", pos);
        if (cr == std::string_view::npos) {
            out.append(listText.substr(pos));
            break;
        }
        out.append(listText.substr(pos, cr - pos));
        out += '\n';
        pos = cr + 2;
    }
    return out;
}

} // namespace sortivo
