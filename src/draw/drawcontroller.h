#pragma once

#include <QElapsedTimer>
#include <QObject>

#include <chrono>

class Platform;
class QWidget;
struct MainWindowUi;
struct WindowState;
namespace sortivo
{
class ProofSession;
}

// The four draw buttons, the stop button and the clear button of the main window.
class DrawController : public QObject
{
    Q_OBJECT
public:
    enum Mode { DrawChosen = 0, DrawOne = 1, DrawAll = 2, DrawTeams = 3 };

    // Every run is drawn from `proof`, the session whose record can prove it.
    DrawController(QWidget* window, MainWindowUi& ui, WindowState& state, Platform& platform,
                   sortivo::ProofSession& proof);

    void request(int mode);
    void stop();
    void clearResults();

    // How long a run draws between two rounds of events. Zero lets events in before every
    // draw, so that a test can act at a chosen draw whatever the machine's speed.
    void setEventInterval(std::chrono::milliseconds interval) { m_eventInterval = interval; }

signals:
    // A run has ended and the window shows its outcome.
    void runFinished();

private:
    int chosenDrawCount() const;
    int chosenTeamSize() const;
    // Returns whether events were let in.
    bool letEventsIn(bool force);

    QWidget* m_window;
    MainWindowUi& m_ui;
    WindowState& m_state;
    Platform& m_platform;
    sortivo::ProofSession& m_proof;
    QElapsedTimer m_sinceEvents;
    // Repainting and hearing the stop button cost more than a draw; a few times a frame
    // keeps the window lively without slowing a long run.
    std::chrono::milliseconds m_eventInterval{15};
};
