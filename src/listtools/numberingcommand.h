#pragma once

#include <QObject>

class Platform;
class QWidget;
struct MainWindowUi;
struct WindowState;

// Fills the list with the numbers 1 to N, for draws among numbers.
class NumberingCommand : public QObject
{
    Q_OBJECT
public:
    NumberingCommand(QWidget* window, MainWindowUi& ui, WindowState& state, Platform& platform);

    void run();

signals:
    void finished();

private:
    QWidget* m_window;
    MainWindowUi& m_ui;
    WindowState& m_state;
    Platform& m_platform;
};
