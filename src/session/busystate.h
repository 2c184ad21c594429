#pragma once

#include <QObject>

#include <cstdint>
#include <utility>

// Whether the program itself is at work on the boxes: a draw, a numbering or an open, going on
// in slices between the window's events. One at a time: what the user asks meanwhile is
// ignored, but a stop or a close asked meanwhile is kept for the run to act on.
class BusyState : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    bool running() const { return m_running; }
    // False, with nothing changed, while another run goes on.
    bool begin();
    void end();

    void requestStop() { m_stopRequested = m_running; }
    bool stopRequested() const { return m_stopRequested; }
    void requestClose() { m_closeRequested = m_running; }
    bool closeRequested() const { return m_closeRequested; }
    // Whether a close was asked during the run that just ended; asked once.
    bool takeCloseRequest() { return std::exchange(m_closeRequested, false); }

    // How far the command at work has gone, for the percentage; the figure stays until the
    // list changes or a command clears it.
    void showProgress(std::int64_t done, std::int64_t total) { emit progressed(done, total); }
    void clearProgress() { emit progressCleared(); }

signals:
    // The run has ended and the window shows its outcome.
    void ended();
    void progressed(std::int64_t done, std::int64_t total);
    void progressCleared();

private:
    bool m_running = false;
    bool m_stopRequested = false;
    bool m_closeRequested = false;
};
