#pragma once

#include <string>
#include <string_view>

namespace sortivo
{

// Appends drawn entries to a result text: one per line, or, with a team size, one team per
// line with its members joined by " - ".
class ResultText
{
public:
    // teamSize 0 means no teams.
    ResultText(std::string initialText, int teamSize);

    void append(std::string_view entry);
    void reserve(std::size_t extra) { m_text.reserve(m_text.size() + extra); }

    const std::string& text() const { return m_text; }
    std::string release() { return std::move(m_text); }

private:
    std::string m_text;
    int m_teamSize;
    int m_members = 0; // members of the current team so far; 0 before the first draw
};

} // namespace sortivo
