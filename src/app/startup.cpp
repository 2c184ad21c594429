#include "app/startup.h"

#include "app/mainwindow.h"

std::unique_ptr<MainWindow> startMainWindow(Platform& platform, const QString& documentsFolder,
                                            const QString& listFile)
{
    auto window = std::make_unique<MainWindow>(platform, documentsFolder);
    window->show();
    // After show, so that a refusal's message box has the window under it.
    if (!listFile.isEmpty())
        window->openListFile(listFile);
    return window;
}
