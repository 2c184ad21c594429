#include "app/mainwindow.h"

#include "app/apptitle.h"
#include "app/linklabel.h"
#include "app/makeraddress.h"
#include "draw/drawcontroller.h"
#include "listtools/listeditor.h"
#include "listtools/numberingcommand.h"
#include "listtools/textfilecommands.h"
#include "print/printcommand.h"

#include <QCloseEvent>
#include <QPushButton>

namespace {
// The design's client area, 13125 x 7515 twips.
constexpr QSize designClientSize(875, 501);
} // namespace

MainWindow::MainWindow(Platform& platform, const QString& documentsFolder, QWidget* parent)
    : QWidget(parent), m_platform(platform)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(appTitle());
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(192, 255, 192));
    setPalette(pal);
    setAutoFillBackground(true);
    resize(designClientSize);

    m_state.documentsFolder = documentsFolder;
    buildMainWindowUi(this, m_ui);
    m_ui.lblVelmora->setText(QStringLiteral("by Velmora - ") + makerAddress());
    m_ui.Command1->setText(QStringLiteral("Info"));

    m_draw = new DrawController(this, m_ui, m_state, m_platform);
    m_listEditor = new ListEditor(m_ui, m_state, this);
    m_numbering = new NumberingCommand(this, m_ui, m_state, m_platform);
    m_files = new TextFileCommands(this, m_ui, m_state, m_platform, *m_listEditor);
    m_print = new PrintCommand(this, m_ui, m_platform);
    connectCommands();
}

void MainWindow::connectCommands()
{
    for (int mode = 0; mode < int(m_ui.cmdGo.size()); ++mode)
        connect(m_ui.cmdGo[mode], &QPushButton::clicked, m_draw,
                [this, mode] { m_draw->request(mode); });
    connect(m_ui.cmdStopProcess, &QPushButton::clicked, m_draw, &DrawController::stop);
    connect(m_ui.cmdClearResult, &QPushButton::clicked, m_draw, &DrawController::clearResults);
    connect(m_draw, &DrawController::runFinished, this, &MainWindow::closeIfAsked);
    connect(m_ui.cmdPrint, &QPushButton::clicked, m_print, &PrintCommand::run);
    connect(m_ui.cmdNumList, &QPushButton::clicked, m_numbering, &NumberingCommand::run);
    connect(m_numbering, &NumberingCommand::finished, this, &MainWindow::closeIfAsked);
    connect(m_ui.cmdOpen, &QPushButton::clicked, m_files, &TextFileCommands::open);
    connect(m_ui.cmdSave, &QPushButton::clicked, m_files, &TextFileCommands::save);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // A run in progress is inside this window's event processing: end it first, and close
    // when it has unwound.
    if (m_state.drawRunning) {
        m_state.stopRequested = true;
        m_state.closeRequested = true;
        event->ignore();
        return;
    }
    event->accept();
}

void MainWindow::closeIfAsked()
{
    if (m_state.closeRequested)
        close();
}
