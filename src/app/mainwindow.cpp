#include "app/mainwindow.h"

#include "app/mainwindowlayout.h"
#include "draw/drawcontroller.h"
#include "draw/entryblocks.h"
#include "info/infodialog.h"
#include "listtools/listfilecommands.h"
#include "listtools/listwatcher.h"
#include "listtools/numberingcommand.h"
#include "platform/platform.h"
#include "print/printcommand.h"
#include "prizes/prizesbutton.h"
#include "prizes/prizesdialog.h"
#include "proof/proofbutton.h"
#include "proof/proofcontroller.h"
#include "recovery/sessionjournal.h"
#include "screen/screencontroller.h"
#include "session/listboxstate.h"
#include "web/browserlauncher.h"
#include "widgets/appicons.h"
#include "widgets/apptitle.h"
#include "widgets/drawcountchoice.h"
#include "widgets/linklabel.h"
#include "widgets/makeraddress.h"
#include "widgets/progresslabel.h"
#include "widgets/textboxtext.h"

#include <QAction>
#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QPushButton>

namespace
{
// The design's client area, 13125 x 7515 twips.
constexpr QSize designClientSize(875, 501);

// The journal keeps the screen in plain terms, the screen's own in Qt's.
sortivo::ShownScreen shownScreen(const ScreenController::Placement& placement)
{
    return {sortivo::ShownScreen::State(placement.state), placement.screen.toStdString()};
}

ScreenController::Placement placement(const sortivo::ShownScreen& shown)
{
    return {ScreenController::Placement::State(shown.state), QString::fromStdString(shown.screen)};
}
} // namespace

MainWindow::MainWindow(Platform& platform, const QString& documentsFolder,
                       const QString& journalFolder, QWidget* parent)
    : QWidget(parent), m_platform(platform)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(appTitle());
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(192, 255, 192));
    setPalette(pal);
    setAutoFillBackground(true);
    setWindowIcon(programIcon());
    setMinimumSize(minimumClientSize());
    resize(designClientSize);

    buildMainWindowUi(this, m_ui);
    m_ui.lblVelmora->setText(QStringLiteral("by Velmora - ") + makerAddress());
    m_ui.infoButton->setText(QStringLiteral("Info"));

    m_listEntries = new EntryBlocks(*m_ui.txtListe->document(), this);
    // Goes with the window's children, after everyone who asks it.
    auto* listState = new ListBoxState(*m_ui.txtListe->document(), this);
    m_drawCount = new DrawCountChoice(*m_ui.cmbNbTirage);
    BusyState& busyState = m_session.busyState();
    new ProgressLabel(*m_ui.lblPourCent, busyState);
    m_draw = new DrawController(
        this, {*m_ui.txtListe, *m_ui.txtResult, *m_ui.cmdStopProcess, *m_ui.cmbEquipe},
        *m_drawCount, m_session, m_platform, *m_listEntries, *listState);
    m_listWatcher = new ListWatcher(*m_ui.txtListe, *m_listEntries, *m_drawCount, busyState, this);
    m_numbering = new NumberingCommand(this, *m_ui.txtListe, busyState, m_platform);
    m_files = new ListFileCommands(this, *m_ui.txtListe, *m_ui.txtResult, busyState, m_platform,
                                   *m_listWatcher, documentsFolder);
    connect(m_files, &ListFileCommands::listOpened, listState, &ListBoxState::takeOpened);
    m_print = new PrintCommand(this, *m_ui.txtResult, m_platform);
    QPushButton* cmdPreuve = addProofButton(m_ui.fraBas, m_ui.lblVelmora, m_ui.infoButton);
    m_proofController = new ProofController(this, cmdPreuve, m_session, *m_ui.txtListe, m_platform,
                                            documentsFolder);
    m_proofController->setListState(*listState);
    m_prizes = new PrizesDialog(this, m_session, m_platform, documentsFolder);
    m_screen =
        new ScreenController(this,
                             {m_session, *m_ui.txtResult->document(), *m_ui.txtListe->document(),
                              *m_listEntries, *m_prizes},
                             busyState, QString::fromStdString(m_session.proof().commitment()));
    connectCommands();
    QPushButton* cmdEcran = addScreenButton(m_ui.fraBas, m_ui.lblVelmora, cmdPreuve);
    connectScreen(cmdEcran);
    connect(addPrizesButton(m_ui.fraBas, m_ui.lblVelmora, cmdEcran, cmdPreuve),
            &QPushButton::clicked, m_prizes, &PrizesDialog::showOnTop);
    m_browser = new BrowserLauncher(m_platform, this);
    connectWebAndKeys();
    if (!journalFolder.isEmpty()) {
        m_journal = new SessionJournal(journalFolder, m_session,
                                       {*m_ui.txtListe->document(), *m_ui.txtResult->document()},
                                       *listState, m_platform, this);
        m_session.declareGate(m_journal->runStartGate());
        connect(m_screen, &ScreenController::placementChanged, m_journal,
                [this] { m_journal->writeScreen(shownScreen(m_screen->placement())); });
    }
}

MainWindow::~MainWindow()
{
    // Whatever is still to be written goes in before the boxes it was taken from.
    delete m_journal;
    // These watch the list box's events. They go before the boxes, so that none of them sees
    // the focus leave a box that is already half torn down.
    delete m_screen;
    delete m_files;
    delete m_listWatcher;
    delete m_draw;
    delete m_listEntries;
}

void MainWindow::openListFile(const QString& path)
{
    m_files->openFile(path);
}

void MainWindow::resume(ResumeChoice choice)
{
    if (m_journal)
        m_journal->pause();
    m_session.resume(std::move(choice.session.proof));
    setBoxText(*m_ui.txtListe, choice.session.list);
    setBoxText(*m_ui.txtResult, choice.session.results);
    m_screen->restore(placement(choice.session.screen));
    if (m_journal)
        m_journal->adopt(choice.journal, choice.resumption);
}

bool MainWindow::saveCrashedRecord(const sortivo::ProofSession& session)
{
    return m_proofController->saveCrashedRecord(session);
}

void MainWindow::connectCommands()
{
    for (int mode = 0; mode < int(m_ui.cmdGo.size()); ++mode)
        connect(m_ui.cmdGo[mode], &QPushButton::clicked, m_draw, [this, mode] {
            // A click during the reveal's roll ends it: the room sees the winner before anyone
            // else is drawn.
            if (m_screen->rolling()) {
                m_screen->endRoll();
                return;
            }
            m_draw->request(sortivo::DrawMode(mode));
        });
    connect(m_ui.cmdStopProcess, &QPushButton::clicked, m_draw, &DrawController::stopRun);
    connect(m_ui.cmdClearResult, &QPushButton::clicked, m_draw, &DrawController::clearResults);
    connect(&m_session.busyState(), &BusyState::ended, this, &MainWindow::closeIfAsked);
    connect(&m_session, &DrawSession::runEnded, m_listWatcher,
            [this](int, int left) { m_listWatcher->offerEntries(left); });
    connect(m_numbering, &NumberingCommand::numbered, m_listWatcher, &ListWatcher::offerNumbers);
    connect(m_ui.cmdPrint, &QPushButton::clicked, m_print, &PrintCommand::run);
    connect(m_ui.cmdNumList, &QPushButton::clicked, m_numbering, &NumberingCommand::run);
    connect(m_ui.cmdOpen, &QPushButton::clicked, m_files, &ListFileCommands::open);
    connect(m_ui.cmdSave, &QPushButton::clicked, m_files, &ListFileCommands::save);
    connect(m_ui.txtListe, &LineLimitedTextEdit::lineTooLongRefused, m_files,
            &ListFileCommands::refuseLongPastedLine);
}

void MainWindow::connectScreen(QPushButton* cmdEcran)
{
    connect(cmdEcran, &QPushButton::clicked, m_screen, &ScreenController::show);
    // The key that starts a slide show.
    auto* action = new QAction(cmdEcran->text(), this);
    action->setShortcut(Qt::Key_F5);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, m_screen, &ScreenController::show);
    addAction(action);
    connect(&m_session, &DrawSession::runBegun, m_screen, &ScreenController::runBegun);
    connect(&m_session, &DrawSession::runEnded, m_screen, &ScreenController::runEnded);
    connect(&m_session, &DrawSession::renewed, m_screen, &ScreenController::setCommitment);
    connect(&m_session, &DrawSession::publicValueChanged, m_screen,
            &ScreenController::setPublicValue);
    connect(m_proofController, &ProofController::showToAudience, m_screen, &ScreenController::show);
    connect(&m_session, &DrawSession::communicated, m_screen, &ScreenController::setListLine);
    connect(m_screen, &ScreenController::drawOneAsked, m_ui.cmdGo[1], &QPushButton::click);
    connect(m_prizes, &PrizesDialog::palmaresAsked, m_screen, &ScreenController::showPalmares);
    connect(m_proofController, &ProofController::recordSaved, m_screen,
            &ScreenController::closeSession);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // A run in progress is inside this window's event processing: end it first, and close
    // when it has unwound.
    if (m_session.busyState().running()) {
        m_session.busyState().requestStop();
        m_session.busyState().requestClose();
        m_files->cancelOpen();
        event->ignore();
        return;
    }
    if (!m_proofController->allowQuit()) {
        event->ignore();
        return;
    }
    if (m_journal)
        m_journal->discard();
    event->accept();
}

void MainWindow::closeIfAsked()
{
    if (m_session.busyState().takeCloseRequest())
        close();
}

void MainWindow::connectWebAndKeys()
{
    connect(m_ui.infoButton, &QPushButton::clicked, this, &MainWindow::showInfo);
    connect(m_ui.lblVelmora, &LinkLabel::clicked, m_browser,
            [this] { m_browser->openInBrowser(makerAddress()); });

    // The toolbar buttons show only icons; these keys reach them without the mouse.
    const std::pair<QKeySequence::StandardKey, QPushButton*> keys[] = {
        {QKeySequence::Open, m_ui.cmdOpen},
        {QKeySequence::Save, m_ui.cmdSave},
        {QKeySequence::Print, m_ui.cmdPrint},
    };
    for (const auto& [key, button] : keys) {
        auto* action = new QAction(button->toolTip(), this);
        action->setShortcuts(key);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, button, &QPushButton::click);
        addAction(action);
    }
}

void MainWindow::showInfo()
{
    InfoDialog box(this);
    connect(&box, &InfoDialog::linkClicked, m_browser, &BrowserLauncher::openInBrowser);
    m_platform.runModal(box);
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    applyLayout();
}

void MainWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // Coming back from the taskbar, the window may have been given another size meanwhile.
    if (event->type() == QEvent::WindowStateChange)
        applyLayout();
}

void MainWindow::applyLayout()
{
    // A minimised window keeps its controls where they were. The controls do not exist yet
    // while the constructor sizes the window.
    if (isMinimized() || !m_ui.fraBas)
        return;
    applyWindowLayout(m_ui, size());
}
