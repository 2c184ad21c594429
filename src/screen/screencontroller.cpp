#include "screen/screencontroller.h"

#include "prizes/prizesdialog.h"

#include "core/proof/proofsession.h"
#include "draw/drawsession.h"
#include "draw/entryblocks.h"
#include "screen/pagedlist.h"
#include "screen/screentext.h"
#include "screen/screenwindow.h"
#include "session/busystate.h"
#include "widgets/barbutton.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScreen>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

namespace
{

// Runs of more entries than this show their results at once: a roll for each would take long.
constexpr int rollMaxDraws = 20;
constexpr int rollPerResultMs = 1500;
constexpr int rollPerRunMs = 6000;
// Names the roll runs through, besides the run's own results.
constexpr int rollSampleSize = 30;
// Teams in the grid, beyond which the last cell says how many more there are.
constexpr int shownTeams = 40;

QFont screenFont(bool strong)
{
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arial")});
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(strong ? QFont::Bold : QFont::Normal);
    return font;
}

// Groups of eight hex digits, to be read aloud and compared.
QString grouped(const QString& commitment)
{
    QStringList groups;
    for (qsizetype i = 0; i < commitment.size(); i += 8)
        groups << commitment.mid(i, 8);
    return groups.join(u' ');
}

QString countText(int drawn, int left)
{
    return plural(drawn, "tiré", "tirés") + QStringLiteral(" · ") +
           plural(left, "restant", "restants");
}

QString teamCountText(int teams, int people)
{
    return plural(teams, "équipe", "équipes") + QStringLiteral(" · ") +
           plural(people, "personne", "personnes");
}

// The delays between the names of one result's roll: quick at first, slowing down, `total` in
// all.
QList<int> rollDelays(int total)
{
    const int steps = std::clamp(total / 80, 3, 14);
    QList<double> weights;
    double sum = 0;
    for (int i = 0; i < steps; ++i) {
        weights << std::pow(1.25, i);
        sum += weights.back();
    }
    QList<int> delays;
    for (double weight : weights)
        delays << std::max(1, int(total * weight / sum));
    return delays;
}

} // namespace

ScreenController::ScreenController(QWidget* owner, const Sources& sources,
                                   const BusyState& busyState, const QString& commitment)
    : QObject(owner), m_owner(owner), m_sources(sources), m_busyState(busyState),
      m_window(new ScreenWindow(owner)), m_commitment(commitment)
{
    m_refresh.setSingleShot(true);
    m_refresh.setInterval(0);
    connect(&m_refresh, &QTimer::timeout, this, &ScreenController::refresh);
    // Many edits in a row (a paste, a clear, a run's writing back) make one refresh.
    for (const QTextDocument* document : {&m_sources.results, &m_sources.list})
        connect(document, &QTextDocument::contentsChange, this, &ScreenController::scheduleRefresh);
    connect(&m_sources.prizes, &PrizesDialog::changed, this, &ScreenController::scheduleRefresh);
    // An absence, the prizes, a run shown or another session: who wins what may have changed.
    connect(&m_sources.session, &DrawSession::palmaresChanged, this,
            &ScreenController::scheduleRefresh);
    // A draw, an open or a numbering writes the boxes in slices; the screen shows where they
    // end.
    connect(&m_busyState, &BusyState::ended, this, &ScreenController::refresh);
    connect(m_window, &ScreenWindow::viewResized, this, &ScreenController::fitLabels);
    connect(m_window, &ScreenWindow::skipAsked, this, &ScreenController::endRoll);
    connect(m_window, &ScreenWindow::placementChanged, this, &ScreenController::placementChanged);
    // With one mirrored screen the operator cannot go back to the main window without showing
    // the whole list to the room: the remote draws from the screen.
    connect(m_window, &ScreenWindow::nextAsked, this, [this] {
        if (rolling())
            endRoll();
        else
            emit drawOneAsked();
    });

    m_roll.setSingleShot(true);
    connect(&m_roll, &QTimer::timeout, this, &ScreenController::rollStep);
}

void ScreenController::show()
{
    if (m_window->isVisible()) {
        m_window->raise();
        m_window->activateWindow();
        return;
    }
    place();
    refresh();
}

ScreenController::Placement ScreenController::placement() const
{
    // A minimised screen is still open: it is put back with the main window.
    if (!m_window->isVisible())
        return {};
    return {m_window->isFullScreen() ? Placement::State::FullScreen : Placement::State::Window,
            m_window->screen()->name()};
}

void ScreenController::restore(const Placement& placement)
{
    if (placement.state == Placement::State::Closed || m_window->isVisible())
        return;
    const QList<QScreen*> screens = QGuiApplication::screens();
    const auto named = std::find_if(screens.begin(), screens.end(), [&](const QScreen* screen) {
        return screen->name() == placement.screen;
    });
    if (named == screens.end()) {
        show();
        return;
    }
    placeOn(*named, placement.state == Placement::State::FullScreen);
    refresh();
}

void ScreenController::showPalmares()
{
    endRoll();
    m_showPalmares = true;
    show();
    refresh();
}

void ScreenController::place()
{
    // A projector is usually the other screen: the screen goes there, full screen.
    QScreen* own = m_owner->screen();
    const QList<QScreen*> screens = QGuiApplication::screens();
    const auto other = std::find_if(screens.begin(), screens.end(),
                                    [own](const QScreen* screen) { return screen != own; });
    if (other != screens.end())
        placeOn(*other, true);
    else
        placeOn(own, false);
}

void ScreenController::placeOn(QScreen* screen, bool fullScreen)
{
    m_window->setScreen(screen);
    if (fullScreen) {
        m_window->setGeometry(screen->geometry());
        m_window->showFullScreen();
        return;
    }
    const QRect room = screen->availableGeometry();
    QRect box(QPoint(), room.size() * 2 / 3);
    box.moveCenter(room.center());
    m_window->setGeometry(box);
    m_window->showNormal();
}

void ScreenController::setCommitment(const QString& commitment)
{
    if (commitment == m_commitment)
        return;
    m_commitment = commitment;
    m_listLine.clear();
    m_sessionHasRuns = false;
    m_showPalmares = false;
    m_teams.reset();
    scheduleRefresh();
}

void ScreenController::setListLine(const QString& line)
{
    m_listLine = line;
    m_closed.reset();
    scheduleRefresh();
}

void ScreenController::closeSession()
{
    if (!m_listLine.isEmpty())
        m_closed.emplace(m_commitment, m_listLine);
    scheduleRefresh();
}

void ScreenController::setPublicValue(const QString& value)
{
    m_publicValue = value;
    scheduleRefresh();
}

void ScreenController::runBegun(const sortivo::RunRecord& run)
{
    endRoll();
    m_showPalmares = false;
    m_sessionHasRuns = true;
    m_linesAtRunStart = resultLines();
    m_teamRun = run.request.mode == sortivo::DrawMode::Teams;
    m_teams.reset();
}

void ScreenController::runEnded(int draws)
{
    const int lines = resultLines();
    const std::vector<sortivo::RunRecord>& runs = m_sources.session.proof().runs();
    if (draws <= 0 || runs.empty())
        return;
    // Teams are formed, not won: they are shown together, at once, as the boxes wrote them.
    if (m_teamRun) {
        if (lines > m_linesAtRunStart)
            m_teams = Teams{m_linesAtRunStart + 1, lines, draws};
        return;
    }
    const std::size_t last = palmares().resultCount();
    const std::size_t firstNew = last - std::min(last, runs.back().results.size());
    if (m_window->isVisible() && m_window->chkAnimation->isChecked() && draws <= rollMaxDraws &&
        firstNew < last)
        startRoll(firstNew, last);
}

void ScreenController::scheduleRefresh()
{
    if (!m_busyState.running())
        m_refresh.start();
}

int ScreenController::resultLines() const
{
    // Lines left empty at the end, as a trailing Enter leaves, are no result.
    int lines = m_sources.results.blockCount();
    for (QTextBlock block = m_sources.results.lastBlock(); lines > 0 && block.text().isEmpty();
         block = block.previous())
        --lines;
    return lines;
}

const PalmaresLines& ScreenController::palmares()
{
    const sortivo::ProofSession& proof = m_sources.session.proof();
    PalmaresOf now{proof.commitment(), proof.runs().size(), proof.absences().size(),
                   proof.prizes()};
    if (now != m_palmaresOf) {
        m_palmares = PalmaresLines(proof);
        m_palmaresOf = std::move(now);
    }
    return m_palmares;
}

std::size_t ScreenController::shownResults()
{
    if (m_teams && !m_showPalmares)
        return 0;
    const std::size_t results = palmares().resultCount();
    return std::min(results, m_revealed.value_or(results));
}

void ScreenController::refresh()
{
    m_refresh.stop();
    // A closed screen is brought up to date when it opens again.
    if (!m_window->isVisible())
        return;
    // The results the roll was revealing are gone (another session): nothing is left to show.
    if (m_revealed && palmares().resultCount() < m_rollLast)
        stopRoll();
    // Teams no longer at the end of the results are shown as the lines they have become.
    if (m_teams && resultLines() != m_teams->last)
        m_teams.reset();
    const std::size_t shown = shownResults();
    const PalmaresLines& lines = palmares();
    m_window->lstEcranResultats->setLines(
        lines.lineCount(shown), [&lines, shown](std::size_t i) { return lines.line(i, shown); },
        m_showPalmares ? PagedList::From::Start : PagedList::From::End);
    fitLabels();
}

void ScreenController::fit(QLabel* label, const QString& text, const TextRoom& room,
                           const QFont& font)
{
    const FittedText fitted = fitText(text, font, room);
    QFont sized = font;
    sized.setPixelSize(fitted.pixelSize);
    label->setFont(sized);
    label->setText(fitted.text);
    label->setGeometry(room.box);
}

void ScreenController::fitLabels()
{
    ScreenWindow& w = *m_window;
    // A commitment is shown once it is communicated, with the list it fixes: shown without
    // that list it would prove nothing, and the screen alone does not communicate it.
    const bool communicated = !m_commitment.isEmpty() && !m_listLine.isEmpty();
    const ScreenBoxes boxes = screenBoxes(w.view()->size(), communicated && !m_sessionHasRuns);
    QString commitmentLine;
    if (m_closed)
        commitmentLine = QStringLiteral("Engagement : ") + grouped(m_closed->first) +
                         QStringLiteral(" · ") + m_closed->second +
                         QStringLiteral(" · Séance close – procès-verbal enregistré");
    else if (communicated)
        commitmentLine = QStringLiteral("Engagement : ") + grouped(m_commitment) +
                         QStringLiteral(" · ") + m_listLine;
    const PalmaresLines& results = palmares();
    const std::size_t shown = shownResults();
    // The result being rolled is announced with its prize; the names run under it.
    const std::size_t latest = m_revealed ? shown + 1 : shown;
    const QString lot = latest > 0 ? results.prizeLine(latest - 1) : QString();
    const QString winner =
        m_revealed ? m_rollText : (shown > 0 ? results.resultText(shown - 1) : QString());

    const QFont plain = screenFont(false);
    fit(w.lblEcranTitre, shownText(m_sources.prizes.title()), boxes.title, screenFont(true));
    fit(w.lblEcranEngagement, commitmentLine, boxes.commitment, plain);
    w.lblEcranEngagement->setVisible(!commitmentLine.isEmpty());
    fit(w.lblEcranValeur,
        m_publicValue.isEmpty() ? QString() : QStringLiteral("Valeur publique : ") + m_publicValue,
        boxes.publicValue, plain);
    w.lblEcranValeur->setVisible(!m_publicValue.isEmpty());
    fit(w.lblEcranLot, lot, boxes.prize, plain);
    // The winner is never drawn smaller than the results under it: of an entry too long for
    // that, less is shown.
    const QFont strong = screenFont(true);
    qsizetype winnerChars = shownChars;
    FittedText fittedWinner = fitText(shownText(winner, winnerChars), strong, boxes.winner);
    while (fittedWinner.pixelSize < boxes.resultsPixels && winnerChars > 20) {
        winnerChars /= 2;
        fittedWinner = fitText(shownText(winner, winnerChars), strong, boxes.winner);
    }
    QFont winnerFont = strong;
    winnerFont.setPixelSize(fittedWinner.pixelSize);
    w.lblEcranGagnant->setFont(winnerFont);
    w.lblEcranGagnant->setText(fittedWinner.text);
    w.lblEcranGagnant->setGeometry(boxes.winner.box);
    fit(w.lblEcranCompte,
        m_teams ? teamCountText(m_teams->last - m_teams->first + 1, m_teams->people)
                : countText(int(results.resultCount()), m_sources.listEntries.entryCount()),
        boxes.count, plain);

    // The whole palmarès and the teams take the room of the prize, the winner and the results.
    const QRect whole = boxes.prize.box.united(boxes.results);
    const bool teams = m_teams && !m_showPalmares;
    w.lstEcranResultats->setFont(plain);
    // Shown alone, the palmarès is read from further away.
    w.lstEcranResultats->setPixelSize(m_showPalmares ? boxes.prize.maxPixels * 4 / 5
                                                     : boxes.resultsPixels);
    w.lstEcranResultats->setGeometry(m_showPalmares ? whole : boxes.results);
    w.lstEcranResultats->setVisible(!teams);
    for (QLabel* latestOne : {w.lblEcranLot, w.lblEcranGagnant})
        latestOne->setVisible(!teams && !m_showPalmares);
    w.fraEcranEquipes->setVisible(teams);
    if (teams)
        fitTeams(whole);
}

void ScreenController::fitTeams(const QRect& area)
{
    const int count = m_teams->last - m_teams->first + 1;
    const int whole = count <= shownTeams ? count : shownTeams - 1;
    QStringList texts;
    QTextBlock block = m_sources.results.findBlockByNumber(m_teams->first - 1);
    for (int k = 1; k <= whole; ++k, block = block.next())
        texts << QStringLiteral("Équipe %1 : %2").arg(k).arg(shownText(block.text()));
    if (whole < count)
        texts << QStringLiteral("… et %1 autres équipes").arg(figures(count - whole));

    m_window->fraEcranEquipes->setGeometry(area);
    const QFont font = screenFont(false);
    const TextGrid grid = fitGrid(texts, font, area.size(), std::max(1, area.height() / 12));
    const QList<QLabel*> cells = m_window->teamCells(int(texts.size()));
    QFont sized = font;
    sized.setPixelSize(grid.pixelSize);
    for (qsizetype i = 0; i < cells.size(); ++i) {
        cells[i]->setFont(sized);
        cells[i]->setText(grid.texts[i]);
        cells[i]->setGeometry(grid.cells[i]);
    }
}

QStringList ScreenController::rollPool(std::size_t firstNew, std::size_t last)
{
    // The run's own entries: the ones it drew and, taken at random, the ones it left.
    QStringList pool;
    for (std::size_t k = firstNew; k < last; ++k)
        pool << palmares().resultText(k);
    const int left = m_sources.list.isEmpty() ? 0 : m_sources.list.blockCount();
    for (int i = 0; i < std::min(left, rollSampleSize); ++i) {
        const QString entry =
            m_sources.list.findBlockByNumber(QRandomGenerator::global()->bounded(left)).text();
        if (!entry.isEmpty())
            pool << entry;
    }
    return pool;
}

void ScreenController::startRoll(std::size_t firstNew, std::size_t last)
{
    m_rollPool = rollPool(firstNew, last);
    m_revealed = firstNew;
    m_rollLast = last;
    m_rollDelays = rollDelays(std::min(rollPerResultMs, rollPerRunMs / int(last - firstNew)));
    // The keys are heard wherever the focus is, even on the button that drew.
    qApp->installEventFilter(this);
    nextRollResult();
}

void ScreenController::nextRollResult()
{
    m_rollStep = 0;
    rollStep();
}

void ScreenController::rollStep()
{
    if (!m_revealed)
        return;
    if (m_rollStep < m_rollDelays.size()) {
        // Only a show: the generator is not the draw's, and what it picks is never kept.
        m_rollText = m_rollPool.at(QRandomGenerator::global()->bounded(int(m_rollPool.size())));
        m_roll.start(m_rollDelays.at(m_rollStep++));
        fitLabels();
        return;
    }
    if (++*m_revealed >= m_rollLast) {
        endRoll();
        return;
    }
    refresh();
    nextRollResult();
}

void ScreenController::endRoll()
{
    if (!m_revealed)
        return;
    stopRoll();
    refresh();
}

void ScreenController::stopRoll()
{
    m_roll.stop();
    m_revealed.reset();
    qApp->removeEventFilter(this);
}

bool ScreenController::eventFilter(QObject* watched, QEvent* event)
{
    // Installed on the application while a roll runs only.
    const QEvent::Type type = event->type();
    // A roll nobody sees any more is over.
    if (watched == m_window && type == QEvent::Hide)
        endRoll();
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride)
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Space && key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || (widget->window() != m_window && widget->window() != m_owner->window()))
        return false;
    // Taken from any shortcut, so that the key itself comes here, and kept from the widget
    // with the focus: a draw button would draw again, a box would take a space.
    event->accept();
    if (type == QEvent::KeyPress)
        endRoll();
    return true;
}

QPushButton* addScreenButton(QWidget* bar, QWidget* link, QPushButton* cmdPreuve)
{
    QPushButton* button = addBarButton(bar, link, cmdPreuve, QStringLiteral("Écran du public"),
                                       QStringLiteral("cmdEcran"));
    cmdPreuve->resize(button->size());
    return button;
}
