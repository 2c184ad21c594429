#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sortivo
{

// The list 1..10949 with CR LF between the numbers is exactly 65535 characters, the most the
// list box of the first versions held; users' saved lists were made with that limit.
inline constexpr std::int32_t highestNumber = 10949;

// "1\r\n2\r\n...\r\nN" with no line end after the last number. Below 2 the list is just "1".
std::string numberingText(std::int32_t n);

// Reads the number a user typed when asked how many entries to number, with the separators of
// the user's locale (UTF-8). Rounds halves to the even neighbour, as the old program did.
// nullopt when the answer is not a number; 0 when it is one but does not fit 32 bits, so the
// caller reports it as out of range rather than as not a number.
std::optional<std::int32_t> parseNumberAnswer(std::string_view answer,
                                              std::string_view decimalSeparator,
                                              std::string_view groupSeparator);

} // namespace sortivo
