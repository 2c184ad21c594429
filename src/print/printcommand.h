#pragma once

#include <QObject>

class Platform;
class QPlainTextEdit;
class QPrinter;
class QWidget;

// The "Imprimer" button: prints the result text on the printer the user confirms.
class PrintCommand : public QObject
{
    Q_OBJECT
public:
    PrintCommand(QWidget* window, const QPlainTextEdit& results, Platform& platform);

    void run();

private:
    void reportFailure(const QPrinter& printer);

    QWidget* m_window;
    const QPlainTextEdit& m_results;
    Platform& m_platform;
};
