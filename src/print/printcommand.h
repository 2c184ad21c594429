#pragma once

#include <QObject>

class Platform;
class QPrinter;
class QWidget;
struct MainWindowUi;

// The "Imprimer" button: prints the result text on the printer the user confirms.
class PrintCommand : public QObject
{
    Q_OBJECT
public:
    PrintCommand(QWidget* window, MainWindowUi& ui, Platform& platform);

    void run();

private:
    void reportFailure(const QPrinter& printer);

    QWidget* m_window;
    MainWindowUi& m_ui;
    Platform& m_platform;
};
