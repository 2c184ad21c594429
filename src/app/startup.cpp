#include "app/startup.h"

#include "app/mainwindow.h"

std::unique_ptr<MainWindow> startMainWindow(Platform& platform, const QString& documentsFolder,
                                            const QString& listFile, const QString& journalFolder)
{
    auto window = std::make_unique<MainWindow>(platform, documentsFolder, journalFolder);
    // After show, so that the questions and a refusal's message box have the window under them.
    window->show();
    if (!journalFolder.isEmpty()) {
        std::optional<ResumeChoice> choice = offerCrashedSessions(
            window.get(), platform, journalFolder, [&window](const sortivo::ProofSession& session) {
                return window->saveCrashedRecord(session);
            });
        // The session taken up holds its own list: the file waits for another time.
        if (choice) {
            window->resume(std::move(*choice));
            return window;
        }
    }
    if (!listFile.isEmpty())
        window->openListFile(listFile);
    return window;
}
