#include "draw/drawcontroller.h"

#include "app/mainwindowui.h"
#include "app/numberrangemodel.h"
#include "app/platform.h"
#include "app/textboxtext.h"
#include "app/windowstate.h"
#include "core/drawrun.h"
#include "core/proofsession.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace
{

constexpr std::int32_t drawsBetweenClockChecks = 256;
constexpr int progressEntryThreshold = 1000;
constexpr int progressDrawThreshold = 300;

} // namespace

DrawController::DrawController(QWidget* window, MainWindowUi& ui, WindowState& state,
                               Platform& platform, sortivo::ProofSession& proof)
    : QObject(window), m_window(window), m_ui(ui), m_state(state), m_platform(platform),
      m_proof(proof)
{
}

int DrawController::chosenDrawCount() const
{
    const int index = m_ui.cmbNbTirage->currentIndex();
    return index < 0 ? 0 : m_ui.cmbNbTirage->itemText(index).toInt();
}

int DrawController::chosenTeamSize() const
{
    const int index = m_ui.cmbEquipe->currentIndex();
    return index < 0 ? 1 : index + 2;
}

bool DrawController::letEventsIn(bool force)
{
    if (!force && std::chrono::milliseconds(m_sinceEvents.elapsed()) < m_eventInterval)
        return false;
    QCoreApplication::processEvents();
    m_sinceEvents.restart();
    return true;
}

void DrawController::request(int mode)
{
    // Requests clicked during a run's event processing would rebuild the list under it.
    if (m_state.drawRunning)
        return;

    if (!m_ui.txtResult->document()->isEmpty() && mode != DrawOne &&
        m_platform.askYesNo(m_window, QStringLiteral("Effacer d'abord les résultats ?")))
        m_ui.txtResult->clear();

    if (m_ui.txtListe->document()->isEmpty())
        return;

    m_platform.setBusyCursor(true);
    m_state.drawRunning = true;
    m_state.stopRequested = false;
    sortivo::EntryList entries = sortivo::loadEntries(boxText(*m_ui.txtListe));
    const auto entryCount = std::int32_t(entries.size());

    std::int32_t drawCount = entryCount;
    int teamSize = 0;
    if (mode == DrawChosen)
        drawCount = chosenDrawCount();
    else if (mode == DrawOne)
        drawCount = 1;
    else if (mode == DrawTeams)
        teamSize = chosenTeamSize();

    const bool showProgress = (mode != DrawOne && entryCount >= progressEntryThreshold) ||
                              drawCount >= progressDrawThreshold;
    m_ui.lblPourCent->setVisible(showProgress);
    m_ui.cmdStopProcess->setVisible(showProgress);

    sortivo::DrawRun run = m_proof.beginRun(std::move(entries), boxText(*m_ui.txtResult),
                                            {sortivo::DrawMode(mode), drawCount, teamSize},
                                            sortivo::isoTimeUtc(std::chrono::system_clock::now()));
    bool firstDraw = true;
    std::int64_t shownPercent = -1;
    while (!run.finished() && !m_state.stopRequested) {
        // A short run lets events in before every draw, so a stop click is heard at once.
        const bool eventsSeen = letEventsIn(firstDraw || !showProgress);
        firstDraw = false;
        // A stop clicked during those events still completes the one draw that follows. With
        // no events let in nothing can have changed, and a batch between two looks at the
        // clock lets the engine fetch entries ahead.
        run.drawMany(eventsSeen ? 1 : drawsBetweenClockChecks);
        if (showProgress) {
            const std::int64_t percent = sortivo::percentOf(run.drawsDone(), drawCount);
            if (percent != shownPercent) {
                shownPercent = percent;
                m_ui.lblPourCent->setText(QString::fromStdString(sortivo::percentText(percent)));
            }
        }
    }
    m_proof.endRun(run);
    if (m_state.stopRequested)
        m_platform.setBusyCursor(true);

    setBoxText(*m_ui.txtListe, run.remainingListText());
    setBoxText(*m_ui.txtResult, run.resultText());
    m_state.entryCount = std::int32_t(run.remainingCount());
    offerNumbers(*m_ui.cmbNbTirage, 1, m_state.entryCount);
    m_ui.cmdStopProcess->hide();

    m_state.stopRequested = false;
    m_state.drawRunning = false;
    m_platform.setBusyCursor(false);
    emit runFinished();
}

void DrawController::stop()
{
    m_state.stopRequested = true;
    m_platform.setBusyCursor(false);
}

void DrawController::clearResults()
{
    m_ui.txtResult->clear();
}
