#pragma once

#include <QString>

// What the main window's commands share while the program runs.
struct WindowState {
    // Set while a draw or a numbering runs; they go on in slices between the window's events, and
    // this tells the other handlers that the program itself is writing the list.
    bool drawRunning = false;
    bool stopRequested = false;
    // The window was closed during a run: it closes once the run has ended.
    bool closeRequested = false;
    // Where the open dialog starts; empty when the system does not say.
    QString documentsFolder;
};
