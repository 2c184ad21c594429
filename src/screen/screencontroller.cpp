#include "screen/screencontroller.h"

#include "prizes/prizesdialog.h"

#include "core/proof/proofsession.h"
#include "core/text/french.h"
#include "draw/entryblocks.h"
#include "screen/screenwindow.h"
#include "session/busystate.h"
#include "widgets/barbutton.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScreen>
#include <QTextBlock>
#include <QTextBoundaryFinder>
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
constexpr int shownResults = 100;
// Of a longer text only this many characters are laid out: an entry of 100,000 characters
// would take the window most of a second, and be drawn too small to see.
constexpr qsizetype shownChars = 300;
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

// French figures on the screen: 12 345, with a plain space.
QString figures(qint64 number)
{
    return QString::fromStdString(
        sortivo::frenchNumber(std::uint64_t(number), sortivo::Thousands::Space));
}

// Groups of eight hex digits, to be read aloud and compared.
QString grouped(const QString& commitment)
{
    QStringList groups;
    for (qsizetype i = 0; i < commitment.size(); i += 8)
        groups << commitment.mid(i, 8);
    return groups.join(u' ');
}

QString plural(int count, std::string_view one, std::string_view many)
{
    return QString::fromStdString(
        sortivo::frenchCount(std::uint64_t(count), one, many, sortivo::Thousands::Space));
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

// A line typed with Shift+Enter holds a separator of its own; on the screen it reads as a space.
QString oneLine(QString text)
{
    text.replace(QChar::LineSeparator, u' ');
    return text;
}

// A text as the screen shows it: on one line, and of a longer one its first `maxChars`
// characters, then its length. The cut keeps a letter with its accents and a group of emoji
// whole, and whatever direction the beginning sets is closed before the length, which reads
// left to right.
QString shownText(const QString& text, qsizetype maxChars = shownChars)
{
    // A character takes one or two UTF-16 units.
    if (text.size() <= maxChars)
        return oneLine(text);
    qsizetype chars = 0;
    qsizetype cut = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate())
            continue;
        if (chars++ == maxChars)
            cut = i;
    }
    if (chars <= maxChars)
        return oneLine(text);
    // Whether a character begins at the cut depends on the characters before it and the next.
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text.left(cut + 2));
    graphemes.setPosition(cut);
    if (!graphemes.isAtBoundary()) {
        // A letter with more accents than fit is cut among them.
        const qsizetype before = graphemes.toPreviousBoundary();
        if (before > 0)
            cut = before;
    }
    return QChar(0x2068) + oneLine(text.left(cut)) + QChar(0x2069) + QStringLiteral("… (") +
           plural(int(chars), "caractère", "caractères") + u')';
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
    // A draw, an open or a numbering writes the boxes in slices; the screen shows where they
    // end.
    connect(&m_busyState, &BusyState::ended, this, &ScreenController::refresh);
    connect(m_window, &ScreenWindow::viewResized, this, &ScreenController::fitLabels);
    connect(m_window, &ScreenWindow::skipAsked, this, &ScreenController::endRoll);
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

void ScreenController::place()
{
    // A projector is usually the other screen: the screen goes there, full screen.
    QScreen* own = m_owner->screen();
    const QList<QScreen*> screens = QGuiApplication::screens();
    const auto other = std::find_if(screens.begin(), screens.end(),
                                    [own](const QScreen* screen) { return screen != own; });
    if (other != screens.end()) {
        m_window->setScreen(*other);
        m_window->setGeometry((*other)->geometry());
        m_window->showFullScreen();
        return;
    }
    const QRect room = own->availableGeometry();
    QRect box(QPoint(), room.size() * 2 / 3);
    box.moveCenter(room.center());
    m_window->setScreen(own);
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
    m_sessionHasRuns = true;
    m_linesAtRunStart = resultLines();
    m_teamRun = run.request.mode == sortivo::DrawMode::Teams;
    m_teams.reset();
}

void ScreenController::runEnded(int draws)
{
    const int lines = resultLines();
    if (lines <= m_linesAtRunStart || draws <= 0)
        return;
    // Teams are formed, not won: they are shown together, at once.
    if (m_teamRun)
        m_teams = Teams{m_linesAtRunStart + 1, lines, draws};
    else if (m_window->isVisible() && m_window->chkAnimation->isChecked() && draws <= rollMaxDraws)
        startRoll(m_linesAtRunStart + 1, lines);
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

QString ScreenController::resultLine(int number) const
{
    return m_sources.results.findBlockByNumber(number - 1).text();
}

QString ScreenController::prize(int number) const
{
    return shownText(m_sources.prizes.prize(number));
}

void ScreenController::refresh()
{
    m_refresh.stop();
    // A closed screen is brought up to date when it opens again.
    if (!m_window->isVisible())
        return;
    const int lines = resultLines();
    // The results the roll was revealing are gone (cleared, edited): nothing is left to show.
    if (m_revealed && lines < m_rollLast)
        stopRoll();
    // Teams no longer at the end of the results are shown as the lines they have become.
    if (m_teams && lines != m_teams->last)
        m_teams.reset();
    const int shown = m_teams ? 0 : std::min(lines, m_revealed.value_or(lines));

    QListWidget* list = m_window->lstEcranResultats;
    list->clear();
    const int first = std::max(1, shown - shownResults + 1);
    if (first > 1)
        list->addItem(QStringLiteral("… et %1 autres").arg(figures(first - 1)));
    QTextBlock block = m_sources.results.findBlockByNumber(first - 1);
    for (int k = first; k <= shown; ++k, block = block.next()) {
        const QString lot = prize(k);
        const QString line = shownText(block.text());
        list->addItem(lot.isEmpty() ? QStringLiteral("%1. %2").arg(k).arg(line)
                                    : QStringLiteral("%1. %2 : %3").arg(k).arg(lot, line));
    }
    list->scrollToBottom();
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
    const int lines = resultLines();
    const int shown = m_teams ? 0 : std::min(lines, m_revealed.value_or(lines));
    // The result being rolled is announced with its prize; the names run under it.
    const int latest = m_revealed ? shown + 1 : shown;
    const QString lot = latest > 0 ? prize(latest) : QString();
    const QString winner = m_revealed ? m_rollText : (shown > 0 ? resultLine(shown) : QString());

    const QFont plain = screenFont(false);
    fit(w.lblEcranTitre, shownText(m_sources.prizes.title()), boxes.title, screenFont(true));
    fit(w.lblEcranEngagement, commitmentLine, boxes.commitment, plain);
    w.lblEcranEngagement->setVisible(!commitmentLine.isEmpty());
    fit(w.lblEcranValeur,
        m_publicValue.isEmpty() ? QString() : QStringLiteral("Valeur publique : ") + m_publicValue,
        boxes.publicValue, plain);
    w.lblEcranValeur->setVisible(!m_publicValue.isEmpty());
    fit(w.lblEcranLot,
        lot.isEmpty() ? QString() : QStringLiteral("Lot %1 : %2").arg(latest).arg(lot), boxes.prize,
        plain);
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
                : countText(lines, m_sources.listEntries.entryCount()),
        boxes.count, plain);

    QFont listFont = plain;
    listFont.setPixelSize(boxes.resultsPixels);
    w.lstEcranResultats->setFont(listFont);
    w.lstEcranResultats->setGeometry(boxes.results);
    w.lstEcranResultats->scrollToBottom();

    // Teams take the room of the prize, the winner and the results.
    for (QWidget* single :
         {static_cast<QWidget*>(w.lblEcranLot), static_cast<QWidget*>(w.lblEcranGagnant),
          static_cast<QWidget*>(w.lstEcranResultats)})
        single->setVisible(!m_teams);
    w.fraEcranEquipes->setVisible(m_teams.has_value());
    if (m_teams)
        fitTeams(boxes.prize.box.united(boxes.results));
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

QStringList ScreenController::rollPool(int firstNew, int last) const
{
    // The run's own entries: the ones it drew and, taken at random, the ones it left.
    QStringList pool;
    for (int k = firstNew; k <= last; ++k)
        pool << resultLine(k);
    const int left = m_sources.list.isEmpty() ? 0 : m_sources.list.blockCount();
    for (int i = 0; i < std::min(left, rollSampleSize); ++i) {
        const QString entry =
            m_sources.list.findBlockByNumber(QRandomGenerator::global()->bounded(left)).text();
        if (!entry.isEmpty())
            pool << entry;
    }
    return pool;
}

void ScreenController::startRoll(int firstNew, int last)
{
    m_rollPool = rollPool(firstNew, last);
    m_revealed = firstNew - 1;
    m_rollLast = last;
    m_rollDelays = rollDelays(std::min(rollPerResultMs, rollPerRunMs / (last - firstNew + 1)));
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
