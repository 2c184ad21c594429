#include "widgets/plaintextbox.h"

#include <QMimeData>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextLayout>

#include <algorithm>

PlainTextBox::PlainTextBox(QWidget* parent) : QPlainTextEdit(parent)
{
    // Told before the box lays out what changed.
    connect(document(), &QTextDocument::contentsChange, this,
            [this](int from, int, int added) { keepLongLinesShaped(from, added); });
}

void PlainTextBox::keepLongLinesShaped(int from, int added)
{
    // Qt's plain text layout drops a line's glyphs once it has placed it, then shapes the whole
    // line again for every paint and every look at where the cursor stands: for a line of
    // 100,000 characters each is tens of milliseconds. Kept, they are shaped once per change.
    // Short lines are not worth their memory. A line longer than the step between two
    // positions looked at holds one of them, so that a million short lines opened at once cost
    // a look every thousand characters, not one per line.
    const QTextDocument* const doc = document();
    const int end = from + added;
    for (int at = from;; at += shapedLineChars) {
        at = std::min(at, end);
        if (const QTextBlock block = doc->findBlock(at); block.length() > shapedLineChars)
            block.layout()->setCacheEnabled(true);
        if (at == end)
            break;
    }
}

QString PlainTextBox::plainTextOf(const QMimeData& source)
{
    if (source.hasText())
        return source.text();
    if (source.hasHtml())
        return QTextDocumentFragment::fromHtml(source.html()).toPlainText();
    return {};
}

bool PlainTextBox::canInsertFromMimeData(const QMimeData* source) const
{
    return source && !plainTextOf(*source).isEmpty();
}

void PlainTextBox::insertFromMimeData(const QMimeData* source)
{
    if (!source)
        return;
    QMimeData plain;
    plain.setText(plainTextOf(*source));
    QPlainTextEdit::insertFromMimeData(&plain);
}
