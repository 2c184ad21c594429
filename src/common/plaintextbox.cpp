#include "common/plaintextbox.h"

#include <QMimeData>
#include <QTextDocumentFragment>

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
