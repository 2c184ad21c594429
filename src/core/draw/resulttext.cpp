#include "core/draw/resulttext.h"

#include <utility>

namespace sortivo
{

ResultText::ResultText(std::string initialText, int teamSize, std::string_view lineBreak)
    : m_text(std::move(initialText)), m_lineBreak(lineBreak), m_teamSize(teamSize)
{
}

ResultText::ResultText(const ResultStart& start, int teamSize)
    : m_lineBreak(start.lineBreak), m_teamSize(teamSize), m_written(start.belowExisting)
{
}

void ResultText::append(std::string_view entry)
{
    const bool startsLine = m_teamSize <= 0 || m_members == 0 || m_members >= m_teamSize;
    if (startsLine) {
        m_members = 1;
        // Keyed on the text, not on the draw count: an empty entry drawn into an empty
        // result leaves no stray line break in front of the next one.
        if (!m_text.empty() || m_written)
            m_text += m_lineBreak;
    } else {
        ++m_members;
        m_text += " - ";
    }
    m_text += entry;
}

} // namespace sortivo
