#pragma once

#include <QObject>
#include <QTimer>

#include <cstdint>

class Platform;
class QPlainTextEdit;
class QWidget;
class BusyState;

// Fills the list with the numbers 1 to N, for draws among numbers. A long list shows its
// progress in slices from a timer, the window serving its events in between.
class NumberingCommand : public QObject
{
    Q_OBJECT
public:
    NumberingCommand(QWidget* window, QPlainTextEdit& list, BusyState& busyState,
                     Platform& platform);
    ~NumberingCommand() override;

    void run();

signals:
    // The list is about to hold the numbers 1 to `last`.
    void numbered(int last);

private:
    void nextSlice();
    void finish();

    QWidget* m_window;
    QPlainTextEdit& m_list;
    BusyState& m_busyState;
    Platform& m_platform;
    QTimer m_slices;
    bool m_running = false;
    bool m_truncated = false;
    std::int32_t m_last = 0;
    // The next number whose progress is to be shown.
    std::int32_t m_next = 0;
};
