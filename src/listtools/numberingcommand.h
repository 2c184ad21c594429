#pragma once

#include <QObject>
#include <QTimer>

#include <cstdint>

class Platform;
class QWidget;
struct MainWindowUi;
struct WindowState;

// Fills the list with the numbers 1 to N, for draws among numbers. A long list shows its
// progress in slices from a timer, the window serving its events in between.
class NumberingCommand : public QObject
{
    Q_OBJECT
public:
    NumberingCommand(QWidget* window, MainWindowUi& ui, WindowState& state, Platform& platform);
    ~NumberingCommand() override;

    void run();

signals:
    void finished();

private:
    void nextSlice();
    void finish();

    QWidget* m_window;
    MainWindowUi& m_ui;
    WindowState& m_state;
    Platform& m_platform;
    QTimer m_slices;
    bool m_running = false;
    bool m_truncated = false;
    std::int32_t m_last = 0;
    // The next number whose progress is to be shown.
    std::int32_t m_next = 0;
    std::int64_t m_shownPercent = -1;
};
