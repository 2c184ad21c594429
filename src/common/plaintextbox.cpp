#include "common/plaintextbox.h"

#include <QMimeData>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextLayout>

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
    // Short lines are not worth their memory. A line keeps the setting through later edits, so
    // a short change only needs a look when its own line is long.
    QTextDocument* const doc = document();
    QTextBlock block = doc->findBlock(from);
    if (added < shapedLineChars && block.length() <= shapedLineChars)
        return;
    for (; block.isValid() && block.position() <= from + added; block = block.next()) {
        if (block.length() > shapedLineChars)
            block.layout()->setCacheEnabled(true);
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
