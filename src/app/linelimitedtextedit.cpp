#include "app/linelimitedtextedit.h"

#include <QMimeData>

namespace
{

bool isLineBreak(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
}

// Counted in UTF-16 units, like the box itself: a little stricter than code points for
// scripts outside the basic plane, which does no harm at this size.
bool hasLineLongerThan(const QString& text, std::size_t limit)
{
    std::size_t run = 0;
    for (const QChar c : text) {
        run = isLineBreak(c) ? 0 : run + 1;
        if (run > limit)
            return true;
    }
    return false;
}

} // namespace

LineLimitedTextEdit::LineLimitedTextEdit(std::size_t maxLineChars, QWidget* parent)
    : PlainTextBox(parent), m_maxLineChars(maxLineChars)
{
}

void LineLimitedTextEdit::insertFromMimeData(const QMimeData* source)
{
    if (source && hasLineLongerThan(plainTextOf(*source), m_maxLineChars)) {
        emit lineTooLongRefused();
        return;
    }
    PlainTextBox::insertFromMimeData(source);
}
