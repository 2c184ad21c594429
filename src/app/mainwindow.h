#pragma once

#include "app/mainwindowui.h"
#include "draw/drawsession.h"
#include "recovery/crashedsessions.h"
#include "session/busystate.h"

#include <QWidget>

class QPushButton;

class BrowserLauncher;
class DrawController;
class DrawCountChoice;
class EntryBlocks;
class ListWatcher;
class NumberingCommand;
class ListFileCommands;
class Platform;
class PrintCommand;
class PrizesDialog;
class ProofController;
class ScreenController;
class SessionJournal;

// frmMain: the program's one working window.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    // With a `journalFolder`, the session is journaled there, so that a crash loses nothing.
    MainWindow(Platform& platform, const QString& documentsFolder,
               const QString& journalFolder = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    const BusyState& busyState() const { return m_session.busyState(); }
    const sortivo::ProofSession& proof() const { return m_session.proof(); }
    // A file named on the command line or given by the desktop: read as Open reads it.
    void openListFile(const QString& path);
    // Goes on with the session that a crashed window left.
    void resume(ResumeChoice choice);
    // Saves the record of a crashed window's session that is not taken up again.
    bool saveCrashedRecord(const sortivo::ProofSession& session);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void connectCommands();
    void closeIfAsked();
    void connectWebAndKeys();
    void connectScreen(QPushButton* cmdEcran);
    void showInfo();
    void applyLayout();

    Platform& m_platform;
    MainWindowUi m_ui;
    DrawSession m_session;
    EntryBlocks* m_listEntries = nullptr;
    DrawCountChoice* m_drawCount = nullptr;
    DrawController* m_draw = nullptr;
    ListWatcher* m_listWatcher = nullptr;
    PrintCommand* m_print = nullptr;
    NumberingCommand* m_numbering = nullptr;
    ListFileCommands* m_files = nullptr;
    BrowserLauncher* m_browser = nullptr;
    ProofController* m_proofController = nullptr;
    ScreenController* m_screen = nullptr;
    PrizesDialog* m_prizes = nullptr;
    SessionJournal* m_journal = nullptr;
};
