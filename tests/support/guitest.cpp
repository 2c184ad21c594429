#include "support/guitest.h"

#include "app/mainwindow.h"

#include <QFile>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

QStringList comboItems(const QComboBox& combo)
{
    QStringList items;
    for (int i = 0; i < combo.count(); ++i)
        items << combo.itemText(i);
    return items;
}

QStringList numberTexts(int first, int last)
{
    QStringList texts;
    for (int i = first; i <= last; ++i)
        texts << QString::number(i);
    return texts;
}

QStringList numberedNames(int count)
{
    QStringList lines;
    lines.reserve(count);
    for (int i = 1; i <= count; ++i)
        lines << QStringLiteral("Nom %1").arg(i);
    return lines;
}

QStringList boxLines(const QPlainTextEdit& box)
{
    if (box.document()->isEmpty())
        return {};
    QStringList lines;
    for (QTextBlock block = box.document()->begin(); block.isValid(); block = block.next())
        lines << block.text();
    return lines;
}

void setBoxLines(QPlainTextEdit& box, const QStringList& lines)
{
    box.setPlainText(lines.join(QLatin1Char('\n')));
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

bool waitForRun(const MainWindow& window, int timeoutMs)
{
    return QTest::qWaitFor([&] { return !window.busyState().running(); }, timeoutMs);
}
