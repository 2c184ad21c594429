#include "core/text/linewrap.h"

#include <cstddef>

namespace sortivo
{

namespace
{

void wrapParagraph(std::string_view paragraph, float maxWidth, const MeasureText& measure,
                   std::vector<std::string>& lines)
{
    std::string current;
    std::string candidate;
    std::size_t start = 0;
    for (;;) {
        const std::size_t space = paragraph.find(' ', start);
        const std::string_view word = paragraph.substr(
            start, space == std::string_view::npos ? std::string_view::npos : space - start);
        // An empty word onto an empty line leaves the line empty, so the spaces that open a
        // wrapped paragraph vanish while the ones inside a line are kept.
        if (current.empty()) {
            current.assign(word);
        } else {
            candidate.assign(current);
            candidate += ' ';
            candidate += word;
            if (measure(candidate) > maxWidth) {
                lines.push_back(std::move(current));
                current.assign(word);
            } else {
                current.swap(candidate);
            }
        }
        if (space == std::string_view::npos)
            break;
        start = space + 1;
    }
    if (!current.empty())
        lines.push_back(std::move(current));
}

} // namespace

std::vector<std::string> wrapLines(std::string_view text, float maxWidth,
                                   const MeasureText& measure)
{
    std::vector<std::string> lines;
    if (text.empty())
        return lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find("\r\n", start);
        const std::string_view paragraph = text.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        // A line that fits is printed as it is, spaces and all; only a line too wide is
        // rebuilt word by word.
        if (!(measure(paragraph) > maxWidth))
            lines.emplace_back(paragraph);
        else
            wrapParagraph(paragraph, maxWidth, measure, lines);
        if (end == std::string_view::npos)
            break;
        start = end + 2;
    }
    return lines;
}

} // namespace sortivo
