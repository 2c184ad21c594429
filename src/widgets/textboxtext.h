#pragma once

#include "core/list/entrylist.h"

#include <memory>
#include <string>
#include <string_view>

class QPlainTextEdit;
class QTextDocument;

// The engine reads and writes list and result texts with CR LF between lines, in UTF-8; a
// text box keeps each line as a block of its own. These convert at the boundary.
std::string boxText(const QTextDocument& document);
std::string boxText(const QPlainTextEdit& box);
void setBoxText(QPlainTextEdit& box, std::string_view text);
// Adds `text` at the very end of the document, as the text a rewrite would end with.
void appendBoxText(QTextDocument& document, std::string_view text);

// Hands a long list text to a box a piece at a time, each piece ending where a line does, so
// that the window can serve its events between pieces.
class BoxTextFeed
{
public:
    BoxTextFeed() = default;
    explicit BoxTextFeed(std::string text) : m_text(std::move(text)), m_size(m_text.size()) {}
    // The entries' own text, shared rather than copied: a draw may take the same entries.
    explicit BoxTextFeed(std::shared_ptr<const sortivo::EntryList> entries)
        : m_entries(std::move(entries)), m_size(m_entries->joinedText().size())
    {
    }

    bool done() const { return m_fed >= m_size; }
    std::size_t size() const { return m_size; }
    std::size_t fed() const { return m_fed; }
    // Appends about `bytes` more of the text (at least one line) to the end of the document.
    void feed(QTextDocument& document, std::size_t bytes);

private:
    std::string_view text() const
    {
        return m_entries ? m_entries->joinedText() : std::string_view(m_text);
    }

    std::string m_text;
    std::shared_ptr<const sortivo::EntryList> m_entries;
    std::size_t m_size = 0;
    std::size_t m_fed = 0;
};
