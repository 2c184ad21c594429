#include "app/textboxtext.h"

#include "core/boxlinebreaks.h"

#include <QPlainTextEdit>
#include <QTextDocument>

std::string boxText(const QPlainTextEdit& box)
{
    // Raw text keeps no-break spaces as they are; plain text would turn them into spaces and
    // change the entries.
    return sortivo::listTextFromBox(box.document()->toRawText().toStdString());
}

void setBoxText(QPlainTextEdit& box, std::string_view text)
{
    const std::string lines = sortivo::boxTextFromList(text);
    box.setPlainText(QString::fromUtf8(lines.data(), qsizetype(lines.size())));
}
