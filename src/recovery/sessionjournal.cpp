#include "recovery/sessionjournal.h"

#include "draw/drawsession.h"
#include "platform/platform.h"
#include "session/listboxstate.h"
#include "widgets/boxlinebreaks.h"

#include <QDir>
#include <QTextDocument>
#include <QWidget>

#include <chrono>
#include <memory>

namespace
{

// Slices last about 25 ms: a run is then never more than 250 ms ahead of its journal.
constexpr qint64 progressIntervalMs = 200;
constexpr std::chrono::milliseconds editPause{2000};

// The box's text as the engine reads it, turned into a list text on the journal's thread: here
// only the document's own copy is taken.
std::optional<QString> rawText(const QTextDocument& box, bool wanted)
{
    return wanted ? std::optional<QString>(box.toRawText()) : std::nullopt;
}

std::optional<std::string> listText(const std::optional<QString>& raw)
{
    return raw ? std::optional<std::string>(sortivo::listTextFromBox(raw->toStdString()))
               : std::nullopt;
}

std::optional<std::string_view> view(const std::optional<std::string>& text)
{
    return text ? std::optional<std::string_view>(*text) : std::nullopt;
}

} // namespace

SessionJournal::SessionJournal(const QString& folder, DrawSession& session, const Boxes& boxes,
                               const ListBoxState& listState, Platform& platform, QWidget* window)
    : QObject(window), m_folder(QDir(folder).absolutePath().toStdString()), m_session(session),
      m_boxes(boxes), m_listState(listState), m_platform(platform), m_window(window)
{
    m_syncs.setMaxThreadCount(1);
    m_editPause.setSingleShot(true);
    m_editPause.setInterval(editPause);
    connect(&m_editPause, &QTimer::timeout, this, &SessionJournal::writeEditedTexts);
    connect(&m_thread, &JournalThread::failed, this, &SessionJournal::warnOfFailure);

    connect(&session, &DrawSession::runBegun, this, &SessionJournal::writeRunStart);
    connect(&session, &DrawSession::runProgressed, this, &SessionJournal::writeProgress);
    connect(&session, &DrawSession::drawsEnded, this, &SessionJournal::writeRunEnd);
    connect(&session, &DrawSession::runEnded, this, [this] { m_drawing = false; });
    connect(&session, &DrawSession::communicated, this, &SessionJournal::writeCommunication);
    connect(&session, &DrawSession::publicValueChanged, this, &SessionJournal::writePublicValue);
    connect(&session, &DrawSession::onePrizePerPersonChanged, this, &SessionJournal::writeRule);
    connect(&session, &DrawSession::prizesChanged, this, &SessionJournal::writePrizes);
    connect(&session, &DrawSession::eventChanged, this, &SessionJournal::writeEvent);
    connect(&session, &DrawSession::absenceDeclared, this, &SessionJournal::writeAbsence);
    connect(&session, &DrawSession::renewed, this, &SessionJournal::startNewSession);
    connect(&session.busyState(), &BusyState::ended, this, &SessionJournal::writeCommandOutcome);
    connect(&listState, &ListBoxState::changed, this, &SessionJournal::listChanged);
    connect(&boxes.results, &QTextDocument::contentsChange, this, &SessionJournal::noteResultsEdit);
}

SessionJournal::~SessionJournal()
{
    // The store goes on its own thread, after what was asked of it.
    m_thread.post([this] { m_store.reset(); });
    m_thread.finish();
}

void SessionJournal::write(std::function<void(sortivo::JournalStore&)> work,
                           std::function<void()> then)
{
    if (m_failed) {
        if (then)
            then();
        return;
    }
    // A journal begins with the session's title, prizes and event, which came before all
    // else, and the screen already shown.
    const sortivo::ProofSession& proof = m_session.proof();
    std::optional<std::string> title;
    std::vector<std::string> prizes;
    sortivo::EventDetails event;
    std::optional<sortivo::ShownScreen> screen;
    if (!m_open) {
        title = proof.title();
        prizes = proof.prizes();
        event = proof.event();
        if (m_screen.state != sortivo::ShownScreen::State::Closed)
            screen = m_screen;
    }
    m_open = true;
    m_thread.post(
        [this, seed = proof.seed(), started = sortivo::isoTimeNow(), title = std::move(title),
         prizes = std::move(prizes), event = std::move(event), screen = std::move(screen),
         work = std::move(work)] {
            if (!m_store) {
                sortivo::prepareJournalFolder(m_folder);
                m_store.emplace(sortivo::JournalStore::create(m_folder, seed, started));
                if (title)
                    m_store->setTitle(*title);
                if (!prizes.empty())
                    m_store->setPrizes(prizes);
                if (!event.empty())
                    m_store->setEvent(event);
                if (screen)
                    m_store->setScreen(*screen);
            }
            work(*m_store);
        },
        std::move(then));
}

bool RunStartKept::open() const
{
    return m_journal.runStartKept();
}

bool SessionJournal::runStartKept() const
{
    const std::optional<sortivo::RunRecord>& run = m_session.proof().openRun();
    return m_paused || m_failed || !run || run->number <= m_keptRun;
}

void SessionJournal::syncLater(const sortivo::JournalStore& store)
{
    m_syncs.start([path = store.path()] { sortivo::syncJournalLog(path); });
}

void SessionJournal::adopt(sortivo::OrphanJournal journal, const sortivo::Resumption& resumption)
{
    m_keptRun = 0;
    m_open = true;
    m_paused = false;
    m_listWritten = m_listState.version();
    m_resultsEdited = false;
    m_thread.post([this, journal, resumption] {
        m_store.emplace(sortivo::JournalStore::resume(journal.path, journal.lockFd));
        m_store->addResumption(resumption);
    });
}

void SessionJournal::discard()
{
    m_paused = true;
    m_editPause.stop();
    m_thread.post([this] {
        if (m_store)
            m_store->discard();
        m_store.reset();
    });
    m_thread.finish();
    m_open = false;
}

void SessionJournal::writeRunStart(const sortivo::RunRecord& run, bool belowExisting)
{
    if (m_paused)
        return;
    m_drawing = true;
    m_runNumber = run.number;
    const sortivo::JournalRunStart start{run.number,     run.date,     run.request,
                                         belowExisting,  !run.entries, run.entryCount,
                                         run.fingerprint};
    // A run that drew from the box took the whole of its text: its entries are that text. One
    // on what the last run left draws from what replaying that run gives back, whatever the
    // box shows.
    std::shared_ptr<const sortivo::EntryList> entries = listUnwritten() ? run.entries : nullptr;
    const std::optional<QString> results =
        rawText(m_boxes.results, m_resultsEdited && belowExisting);
    m_listWritten = m_listState.version();
    m_resultsEdited = false;
    m_editPause.stop();
    write(
        [this, start, entries, results](sortivo::JournalStore& store) {
            const std::optional<std::string> resultsText = listText(results);
            store.beginRun(start,
                           entries ? std::optional<std::string_view>(entries->joinedText())
                                   : std::nullopt,
                           view(resultsText));
            syncLater(store);
        },
        [this, number = run.number] {
            m_keptRun = number;
            emit m_runStartKept.opened();
        });
    m_sinceProgress.start();
}

void SessionJournal::writeProgress(std::int64_t done)
{
    if (!m_drawing || m_sinceProgress.elapsed() < progressIntervalMs)
        return;
    m_sinceProgress.restart();
    write([this, number = m_runNumber, done](sortivo::JournalStore& store) {
        store.progress(number, std::int32_t(done));
        syncLater(store);
    });
}

void SessionJournal::writeRunEnd(std::int32_t draws)
{
    if (!m_drawing)
        return;
    write([this, number = m_runNumber, draws](sortivo::JournalStore& store) {
        store.endRun(number, draws);
        syncLater(store);
    });
}

void SessionJournal::writeCommunication()
{
    const sortivo::ProofSession& proof = m_session.proof();
    if (m_paused || !proof.communicatedAt())
        return;
    write([time = *proof.communicatedAt(), list = *proof.communicatedList()](
              sortivo::JournalStore& store) { store.setCommunicated(time, list); });
}

void SessionJournal::writePublicValue()
{
    // A renewed session announces its empty value too, which nobody has typed.
    if (m_paused || !m_session.proof().publicValueOpen())
        return;
    write([value = m_session.proof().publicValue()](sortivo::JournalStore& store) {
        store.setPublicValue(value);
    });
}

void SessionJournal::writeRule()
{
    if (m_paused)
        return;
    write([on = m_session.proof().onePrizePerPerson()](sortivo::JournalStore& store) {
        store.setOnePrizePerPerson(on);
    });
}

void SessionJournal::writePrizes()
{
    const sortivo::ProofSession& proof = m_session.proof();
    // A title alone is not worth a journal: it goes in with whatever opens one.
    if (m_paused || (!m_open && proof.prizes().empty()))
        return;
    // Fixed prizes are in the journal before the communication that fixed them.
    std::optional<std::vector<std::string>> prizes;
    if (!proof.prizesLocked())
        prizes = proof.prizes();
    write([prizes = std::move(prizes), title = proof.title()](sortivo::JournalStore& store) {
        if (prizes)
            store.setPrizes(*prizes);
        if (title)
            store.setTitle(*title);
    });
}

void SessionJournal::writeEvent()
{
    // Like a title, an event alone is not worth a journal.
    if (m_paused || !m_open)
        return;
    write([event = m_session.proof().event()](sortivo::JournalStore& store) {
        store.setEvent(event);
    });
}

void SessionJournal::writeScreen(const sortivo::ShownScreen& screen)
{
    if (screen == m_screen)
        return;
    m_screen = screen;
    // Like a title, a screen alone is not worth a journal.
    if (m_paused || !m_open)
        return;
    write([screen](sortivo::JournalStore& store) { store.setScreen(screen); });
}

void SessionJournal::writeAbsence(const sortivo::DeclaredAbsence& absence)
{
    if (m_paused)
        return;
    write([absence](sortivo::JournalStore& store) { store.addAbsence(absence); });
}

void SessionJournal::startNewSession()
{
    // The new session numbers its runs from 1 again.
    m_keptRun = 0;
    if (m_paused)
        return;
    m_listWritten = m_listState.version();
    m_resultsEdited = false;
    m_editPause.stop();
    const bool empty = m_boxes.list.isEmpty() && m_boxes.results.isEmpty();
    // Every run is in the saved record: with empty boxes there is nothing left to lose.
    if (empty) {
        if (m_open)
            m_thread.post([this] {
                if (m_store)
                    m_store->discard();
                m_store.reset();
            });
        m_open = false;
        return;
    }
    const bool existed = m_open;
    write([existed, seed = m_session.proof().seed(), started = sortivo::isoTimeNow(),
           list = m_boxes.list.toRawText(),
           results = m_boxes.results.toRawText()](sortivo::JournalStore& store) {
        const std::string listBox = sortivo::listTextFromBox(list.toStdString());
        const std::string resultsBox = sortivo::listTextFromBox(results.toStdString());
        if (existed)
            store.renew(seed, started, listBox, resultsBox);
        else
            store.setTexts(listBox, resultsBox);
    });
}

bool SessionJournal::listUnwritten() const
{
    return m_listState.version() != m_listWritten;
}

void SessionJournal::listChanged()
{
    if (m_paused)
        return;
    switch (m_listState.origin()) {
    case ListBoxState::Origin::LeftByRun:
        // Replaying the run gives it back.
        m_listWritten = m_listState.version();
        return;
    case ListBoxState::Origin::Read:
        // A draw is about to take it: kept now, it is kept while the draw checks and hashes
        // it, and the run's start refers to it instead of carrying it.
        if (listUnwritten()) {
            m_listWritten = m_listState.version();
            write([this, entries = m_listState.entries()->entries](sortivo::JournalStore& store) {
                store.setRunList(entries->joinedText());
                syncLater(store);
            });
        }
        return;
    case ListBoxState::Origin::Opened:
    case ListBoxState::Origin::Typed:
        // An open or a numbering is written once it is done.
        if (!m_session.busyState().running())
            m_editPause.start();
        return;
    }
}

void SessionJournal::noteResultsEdit()
{
    if (m_paused || m_drawing || m_session.busyState().running())
        return;
    m_resultsEdited = true;
    m_editPause.start();
}

void SessionJournal::writeCommandOutcome()
{
    if (m_paused || !listUnwritten())
        return;
    if (m_listState.origin() != ListBoxState::Origin::Opened) {
        writeEditedTexts();
        return;
    }
    // The box shows exactly the entries the open read: a list of millions is not copied out of
    // the box again.
    const std::shared_ptr<const sortivo::EntryList> opened = m_listState.entries()->entries;
    const std::optional<QString> results = rawText(m_boxes.results, m_resultsEdited);
    m_listWritten = m_listState.version();
    m_resultsEdited = false;
    m_editPause.stop();
    write([opened, results](sortivo::JournalStore& store) {
        const std::optional<std::string> resultsBox = listText(results);
        store.setTexts(opened->joinedText(), view(resultsBox));
    });
}

void SessionJournal::writeEditedTexts()
{
    m_editPause.stop();
    const std::optional<QString> list = rawText(m_boxes.list, listUnwritten());
    const std::optional<QString> results = rawText(m_boxes.results, m_resultsEdited);
    m_listWritten = m_listState.version();
    m_resultsEdited = false;
    if (!list && !results)
        return;
    // Empty boxes before anything was kept: nothing to keep yet.
    if (!m_open && (!list || list->isEmpty()) && (!results || results->isEmpty()))
        return;
    write([list, results](sortivo::JournalStore& store) {
        const std::optional<std::string> listBox = listText(list);
        const std::optional<std::string> resultsBox = listText(results);
        store.setTexts(view(listBox), view(resultsBox));
    });
}

void SessionJournal::warnOfFailure(const QString& reason)
{
    if (std::exchange(m_failed, true))
        return;
    m_platform.showWarning(
        m_window, QStringLiteral("Journal de la séance"),
        QStringLiteral("Le journal de la séance n'a pas pu être écrit : si Sortivo s'arrêtait "
                       "brutalement, cette séance serait perdue.\n%1\n%2")
            .arg(QDir::toNativeSeparators(QString::fromStdString(m_folder)), reason));
}
