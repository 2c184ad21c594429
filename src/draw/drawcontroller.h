#pragma once

#include "core/drawrandom.h"

#include <QElapsedTimer>
#include <QObject>

class Platform;
class QWidget;
struct MainWindowUi;
struct WindowState;

// The four draw buttons, the stop button and the clear button of the main window.
class DrawController : public QObject {
    Q_OBJECT
public:
    enum Mode { DrawChosen = 0, DrawOne = 1, DrawAll = 2, DrawTeams = 3 };

    DrawController(QWidget* window, MainWindowUi& ui, WindowState& state, Platform& platform);

    void request(int mode);
    void stop();
    void clearResults();

signals:
    // A run has ended and the window shows its outcome.
    void runFinished();

private:
    int chosenDrawCount() const;
    int chosenTeamSize() const;
    void letEventsIn(bool force);

    QWidget* m_window;
    MainWindowUi& m_ui;
    WindowState& m_state;
    Platform& m_platform;
    sortivo::DrawRng m_rng;
    QElapsedTimer m_sinceEvents;
};
