#pragma once

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QWidget>

class MainWindow;

// Finds a control of a window by its name, as users and the code name it: "cmdGo(2)".
template <typename T> T* control(QWidget& window, const QString& name)
{
    T* found = window.findChild<T*>(name);
    if (!found)
        qFatal("no control named %s", qPrintable(name));
    return found;
}

QStringList comboItems(const QComboBox& combo);
QStringList numberTexts(int first, int last);
// A list of `count` entries, all different: "Nom 1" .. "Nom count".
QStringList numberedNames(int count);
// The lines of a text box as the user sees them.
QStringList boxLines(const QPlainTextEdit& box);
void setBoxLines(QPlainTextEdit& box, const QStringList& lines);

// Typed as keys, so the widget hears it as the user's own edit; QTest::keyClicks takes ASCII
// only.
void typeText(QWidget* widget, const QString& text);

// Serves events until the window's run in progress (a draw, a numbering, an open) has ended;
// false when it has not within `timeoutMs`.
bool waitForRun(const MainWindow& window, int timeoutMs = 5000);

// A file's bytes, or none when it cannot be read.
QByteArray readBytes(const QString& path);
bool writeBytes(const QString& path, const QByteArray& bytes);
