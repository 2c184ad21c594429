#include "core/io/unreadlines.h"

#include "core/text/french.h"

#include <algorithm>

namespace sortivo
{

std::optional<UnreadLines> unreadLinesAfter(std::string_view rest, std::size_t linesRead)
{
    rest.remove_prefix(rest.starts_with("\r\n") ? 2 : std::min<std::size_t>(rest.size(), 1));
    const std::size_t last = rest.find_last_not_of("\r\n");
    if (last == std::string_view::npos)
        return std::nullopt;
    rest = rest.substr(0, last + 1);
    // A CR LF is one line end; a lone CR or LF is one too.
    const auto ends =
        std::count(rest.begin(), rest.end(), '\n') + std::count(rest.begin(), rest.end(), '\r');
    std::size_t crlf = 0;
    for (std::size_t at = rest.find("\r\n"); at != std::string_view::npos;
         at = rest.find("\r\n", at + 2))
        ++crlf;
    return UnreadLines{linesRead + 1, std::size_t(ends) - crlf + 1};
}

std::string unreadLinesMessage(const UnreadLines& unread)
{
    // The verb agrees with the count, so it goes with the noun.
    return "La lecture s'est arrêtée à la ligne vide n° " + std::to_string(unread.emptyLine) +
           " : " +
           frenchCount(unread.following, "ligne suivante n'a pas été lue",
                       "lignes suivantes n'ont pas été lues", Thousands::None) +
           ".";
}

} // namespace sortivo
