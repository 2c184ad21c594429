#include "draw/drawcontroller.h"

#include "core/draw/drawrun.h"
#include "core/list/listflaws.h"
#include "core/proof/proofprotocol.h"
#include "draw/boxdraw.h"
#include "draw/drawsession.h"
#include "draw/entryblocks.h"
#include "jobs/slicebudget.h"
#include "platform/platform.h"
#include "session/busystate.h"
#include "session/listboxstate.h"
#include "widgets/drawcountchoice.h"
#include "widgets/textboxtext.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>

#include <algorithm>

namespace
{

constexpr int progressEntryThreshold = 1000;
constexpr int progressDrawThreshold = 300;
constexpr std::int32_t firstSliceDraws = 1000;
constexpr qint64 flushIntervalMs = 20;
// Text written back into the list per slice at first; adjusted like the draws.
constexpr std::size_t firstSliceBytes = 256 * 1024;

} // namespace

DrawController::DrawController(QWidget* window, const Controls& controls,
                               const DrawCountChoice& drawCount, DrawSession& session,
                               Platform& platform, const EntryBlocks& listEntries,
                               ListBoxState& listState)
    : QObject(window), m_window(window), m_controls(controls), m_drawCount(drawCount),
      m_session(session), m_busyState(session.busyState()), m_platform(platform),
      m_listEntries(listEntries), m_listState(listState)
{
    m_slices.setSingleShot(true);
    m_slices.setInterval(0);
    connect(&m_slices, &QTimer::timeout, this, &DrawController::nextSlice);
    connect(&m_session, &DrawSession::gateOpened, this, &DrawController::gateOpened);
}

// A window torn down in the middle of a run takes the boxes with it; only the pointer is left.
DrawController::~DrawController()
{
    if (m_run)
        m_platform.setBusyCursor(false);
}

int DrawController::chosenTeamSize() const
{
    const int index = m_controls.teamSize.currentIndex();
    return index < 0 ? 1 : index + 2;
}

void DrawController::request(sortivo::DrawMode mode)
{
    // Requests clicked during a run would rebuild the list under it.
    if (m_busyState.running())
        return;
    // The run's entries or its record would be those of work still going on elsewhere: the
    // click is answered when it is done.
    if (!m_session.gatesOpen()) {
        if (!m_deferred) {
            m_deferred = mode;
            m_platform.setBusyCursor(true);
        }
        return;
    }

    // The run's entries are what its record proves: the whole list as it stands. When nothing
    // touched the list since the last run, it shows exactly the entries that run left, and
    // they need not be read, copied and hashed again; a count that differs (leading blank
    // lines that the list lost) means the box must be read.
    const bool listEmpty = m_controls.list.document()->isEmpty();
    const std::optional<std::size_t> leftover = m_session.proof().leftoverCount();
    const bool untouched = m_listState.origin() == ListBoxState::Origin::LeftByRun &&
                           m_listEntries.blocksAreEntries() &&
                           leftover == std::size_t(m_listEntries.entryCount());
    // What an open put into the box is its entries as long as each line is one.
    const std::optional<sortivo::LoadedList>& known = m_listState.entries();
    const bool opened = !untouched && m_listState.origin() == ListBoxState::Origin::Opened &&
                        m_listEntries.blocksAreEntries() &&
                        known->entries->size() == std::size_t(m_listEntries.entryCount());
    sortivo::LoadedList entries;
    if (!listEmpty && !untouched) {
        m_platform.setBusyCursor(true);
        // A choice of how many still to make draws nothing: nothing to ask about.
        const bool drawsNothing = mode == sortivo::DrawMode::Chosen && m_drawCount.chosen() <= 0;
        if (opened) {
            entries = *known;
        } else {
            entries.entries = std::make_shared<const sortivo::EntryList>(m_listEntries.entries());
            // Told before the list is checked and hashed here, so that the journal keeps it
            // meanwhile.
            m_listState.takeRead(entries.entries);
            if (!drawsNothing)
                entries.flaws = sortivo::flawsOf(*entries.entries);
        }
        const std::optional<std::string> flaws =
            drawsNothing ? std::nullopt
                         : sortivo::flawsQuestion(entries.flaws, m_listState.columnLeftOut());
        m_platform.setBusyCursor(false);
        // Asked before the results may be cleared, so that a No leaves everything as it was.
        if (flaws && !m_platform.askYesNo(m_window, QString::fromStdString(*flaws)))
            return;
    }

    if (!m_controls.results.document()->isEmpty() && mode != sortivo::DrawMode::One &&
        m_platform.askYesNo(m_window, QStringLiteral("Effacer d'abord les résultats ?")))
        m_controls.results.clear();

    if (listEmpty || !m_busyState.begin())
        return;
    m_platform.setBusyCursor(true);

    const auto entryCount = std::int32_t(untouched ? *leftover : entries.entries->size());
    std::int32_t drawCount = entryCount;
    int teamSize = 0;
    if (mode == sortivo::DrawMode::Chosen)
        drawCount = m_drawCount.chosen();
    else if (mode == sortivo::DrawMode::One)
        drawCount = 1;
    else if (mode == sortivo::DrawMode::Teams)
        teamSize = chosenTeamSize();

    // The boxes stay as the run leaves them: what is typed meanwhile would be overwritten at the
    // end, and the drawn entries are found where they stand.
    setBoxesEditable(false);
    // Only whether the results are empty matters to the run; their text stays in the box.
    const sortivo::ResultStart results{!m_controls.results.document()->isEmpty(),
                                       BoxDraw::lineBreak};
    const sortivo::DrawRequest request{mode, drawCount, teamSize};
    if (!untouched && !opened)
        entries.fingerprint = sortivo::entriesFingerprint(*entries.entries);
    // What the run writes back into the list is what it leaves, not an edit.
    m_listState.runWriting();
    m_run = std::make_unique<BoxDraw>(
        *m_controls.list.document(), *m_controls.results.document(), m_listEntries,
        untouched ? m_session.beginRunOnLeftover(results, request)
                  : m_session.beginRun(std::move(entries.entries), std::move(entries.fingerprint),
                                       results, request));

    m_showProgress = (mode != sortivo::DrawMode::One && entryCount >= progressEntryThreshold) ||
                     drawCount >= progressDrawThreshold;
    if (m_showProgress)
        m_busyState.showProgress(0, drawCount);
    else
        m_busyState.clearProgress();
    m_controls.stop.setVisible(m_showProgress);
    // The run's start is kept elsewhere before its first result shows: its journal.
    if (m_session.gatesOpen())
        startDrawing();
}

void DrawController::gateOpened()
{
    if (!m_session.gatesOpen())
        return;
    if (m_run && !m_drawing) {
        startDrawing();
    } else if (const std::optional<sortivo::DrawMode> mode = std::exchange(m_deferred, {})) {
        m_platform.setBusyCursor(false);
        request(*mode);
    }
}

void DrawController::startDrawing()
{
    m_drawing = true;
    if (!m_showProgress) {
        // A short run: no stop button to hear, the whole of it at once.
        m_run->draw(m_run->run().drawCount());
        endDraws();
        m_run->writeBackList(std::size_t(-1));
        finish();
        return;
    }
    m_drawsPerSlice = m_eventInterval.count() == 0 ? 1 : firstSliceDraws;
    m_writingBack = false;
    m_sinceFlush.start();
    m_slices.start();
}

void DrawController::nextSlice()
{
    if (m_writingBack)
        writeBackSlice();
    else
        drawSlice();
}

void DrawController::drawSlice()
{
    QElapsedTimer clock;
    clock.start();
    // A stop clicked during the events before this slice still completes this one draw.
    const std::int32_t draws = m_busyState.stopRequested() ? 1 : m_drawsPerSlice;
    m_run->draw(draws);
    // Slices that draw one entry each (for tests) would make the results box repaint after
    // every one: they hand their entries over a few times a frame.
    if (m_eventInterval.count() > 0 || m_sinceFlush.elapsed() >= flushIntervalMs) {
        m_run->flushResults();
        m_sinceFlush.restart();
    }
    showProgress();
    if (m_busyState.stopRequested() || m_run->run().finished()) {
        endDraws();
        if (m_busyState.stopRequested())
            m_platform.setBusyCursor(true);
        m_writingBack = true;
        m_bytesPerSlice = firstSliceBytes;
        m_slices.start();
        return;
    }
    if (m_eventInterval.count() > 0) {
        m_drawsPerSlice = std::int32_t(SliceBudget(m_eventInterval, 1)
                                           .next(std::size_t(m_drawsPerSlice),
                                                 std::chrono::nanoseconds(clock.nsecsElapsed())));
    }
    m_slices.start();
}

void DrawController::endDraws()
{
    m_session.recordRun(m_run->run());
}

void DrawController::writeBackSlice()
{
    // A window that is closing wants the run over now, not in slices.
    const bool now = m_busyState.closeRequested();
    QElapsedTimer clock;
    clock.start();
    if (!m_run->writeBackList(now ? std::size_t(-1) : m_bytesPerSlice)) {
        const SliceBudget budget(std::max(m_eventInterval, std::chrono::milliseconds(15)), 4096);
        m_bytesPerSlice =
            budget.next(m_bytesPerSlice, std::chrono::nanoseconds(clock.nsecsElapsed()));
        m_slices.start();
        return;
    }
    finish();
}

void DrawController::showProgress()
{
    const sortivo::DrawRun& run = m_run->run();
    m_session.reportProgress(run);
    if (m_showProgress)
        m_busyState.showProgress(run.drawsDone(), run.drawCount());
}

void DrawController::finish()
{
    const auto left = int(m_run->run().remainingCount());
    const int draws = m_run->run().drawsDone();
    m_run.reset();
    m_drawing = false;
    setBoxesEditable(true);
    m_controls.stop.hide();
    m_listState.runLeft();
    m_platform.setBusyCursor(false);
    m_session.runShown(draws, left);
    m_busyState.end();
}

void DrawController::setBoxesEditable(bool editable)
{
    for (QPlainTextEdit* box : {&m_controls.list, &m_controls.results}) {
        box->setReadOnly(!editable);
        // Each program-made edit would be one more step to undo; the rewrite that these edits
        // stand for never left any.
        box->document()->setUndoRedoEnabled(editable);
    }
}

void DrawController::stopRun()
{
    m_busyState.requestStop();
    m_platform.setBusyCursor(false);
}

void DrawController::clearResults()
{
    // The run appends to the results as it goes: clearing them now would lose drawn entries.
    if (m_busyState.running())
        return;
    m_controls.results.clear();
}
