#include "app/textboxtext.h"

#include <QPlainTextEdit>
#include <QTextDocument>

std::string boxText(const QPlainTextEdit& box)
{
    // Raw text keeps no-break spaces as they are; plain text would turn them into spaces and
    // change the entries.
    QString text = box.document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1String("\r\n"));
    text.replace(QChar::LineSeparator, QLatin1String("\r\n"));
    return text.toStdString();
}

void setBoxText(QPlainTextEdit& box, std::string_view text)
{
    QString qtext = QString::fromUtf8(text.data(), qsizetype(text.size()));
    qtext.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    box.setPlainText(qtext);
}
