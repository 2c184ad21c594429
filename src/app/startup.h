#pragma once

#include <QString>

#include <memory>

class MainWindow;
class Platform;

// Shows the main window and offers the sessions that crashed windows left in `journalFolder`.
// When none is taken up and the command line named a list file, opens it into the list exactly
// as Open does, with the same checks and messages.
std::unique_ptr<MainWindow> startMainWindow(Platform& platform, const QString& documentsFolder,
                                            const QString& listFile,
                                            const QString& journalFolder = {});
