#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace sortivo
{

// What a list file's reading left behind at its first empty line: that line's number, from 1,
// and how many lines follow it, not counting the empty lines that end the file. Those lines
// are entrants too, most often, and the user must hear that they were not read.
struct UnreadLines {
    std::size_t emptyLine = 0;
    std::size_t following = 0;
    bool operator==(const UnreadLines&) const = default;
};

// `rest` starts at the line end of the empty line that ended the reading, after `linesRead`
// lines; nothing when no line with text follows.
std::optional<UnreadLines> unreadLinesAfter(std::string_view rest, std::size_t linesRead);

// The sentence that tells it, the same in the window and on the command line.
std::string unreadLinesMessage(const UnreadLines& unread);

} // namespace sortivo
