#include "widgets/textboxtext.h"

#include "widgets/boxlinebreaks.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

std::string boxText(const QTextDocument& document)
{
    // Raw text keeps no-break spaces as they are; plain text would turn them into spaces and
    // change the entries.
    return sortivo::listTextFromBox(document.toRawText().toStdString());
}

std::string boxText(const QPlainTextEdit& box)
{
    return boxText(*box.document());
}

void setBoxText(QPlainTextEdit& box, std::string_view text)
{
    const std::string lines = sortivo::boxTextFromList(text);
    box.setPlainText(QString::fromUtf8(lines.data(), qsizetype(lines.size())));
}

void appendBoxText(QTextDocument& document, std::string_view text)
{
    if (text.empty())
        return;
    const std::string lines = sortivo::boxTextFromList(text);
    QTextCursor cursor(&document);
    // Outside an edit block the cursor would lay out the last line to place itself, and again
    // after the insertion: twice the whole line, however long.
    cursor.beginEditBlock();
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QString::fromUtf8(lines.data(), qsizetype(lines.size())));
    cursor.endEditBlock();
}

void BoxTextFeed::feed(QTextDocument& document, std::size_t bytes)
{
    if (done())
        return;
    // A piece ends before a CR LF, so that the next one starts with the line break; one that
    // ended inside a pair would split it into two breaks.
    const std::string_view all = text();
    std::size_t end = all.size();
    if (all.size() - m_fed > bytes) {
        end = all.find("\r\n", m_fed + std::max<std::size_t>(bytes, 2));
        if (end == std::string::npos)
            end = all.size();
    }
    appendBoxText(document, all.substr(m_fed, end - m_fed));
    m_fed = end;
    if (done()) {
        std::string().swap(m_text);
        m_entries.reset();
    }
}
