#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace sortivo
{

// Where a run's results start: below lines that a box already shows, which the run does not
// need to see, or as the first ones; with the engine's CR LF or with the line break a text box
// reads as one, so that the text goes into the box as it is.
struct ResultStart {
    bool belowExisting = false;
    std::string_view lineBreak = "\r\n";
};

// Appends drawn entries to a result text: one per line, or, with a team size, one team per
// line with its members joined by " - ".
class ResultText
{
public:
    // teamSize 0 means no teams. Lines are separated by `lineBreak`, a literal.
    ResultText(std::string initialText, int teamSize, std::string_view lineBreak = "\r\n");
    ResultText(const ResultStart& start, int teamSize);

    void append(std::string_view entry);
    void reserve(std::size_t extra) { m_text.reserve(m_text.size() + extra); }

    const std::string& text() const { return m_text; }
    std::string release() { return std::move(m_text); }
    // Forgets the text so far but not where the current line stands: for results written out
    // block by block.
    void clearWritten()
    {
        m_written = m_written || !m_text.empty();
        m_text.clear();
    }
    // What was appended since the last take, forgetting it as clearWritten() does.
    std::string take()
    {
        m_written = m_written || !m_text.empty();
        return std::exchange(m_text, std::string());
    }

private:
    std::string m_text;
    std::string_view m_lineBreak;
    int m_teamSize;
    bool m_written = false;
    int m_members = 0; // members of the current team so far; 0 before the first draw
};

} // namespace sortivo
