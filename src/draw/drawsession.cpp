#include "draw/drawsession.h"

#include "core/proof/proofreport.h"

#include <algorithm>

namespace
{

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

DrawSession::DrawSession(QObject* parent) : QObject(parent), m_proof(sortivo::freshSeed())
{
    connect(
        &m_leftoverHashing, &LeftoverHashing::hashed, this,
        [this](const std::string& fingerprint) { m_proof.setLeftoverFingerprint(fingerprint); });
    // Lives exactly as long as the session: nothing to hear of its end.
    m_gates.push_back(&m_leftoverHashing);
    connect(&m_leftoverHashing, &FirstResultGate::opened, this, &DrawSession::gateOpened);
}

void DrawSession::declareGate(FirstResultGate& gate)
{
    m_gates.push_back(&gate);
    connect(&gate, &FirstResultGate::opened, this, &DrawSession::gateOpened);
    // A gate may go before the session, as the journal does when the window closes.
    connect(&gate, &QObject::destroyed, this, [this](QObject* gone) {
        std::erase_if(m_gates, [gone](const FirstResultGate* g) { return g == gone; });
    });
}

bool DrawSession::gatesOpen() const
{
    return std::all_of(m_gates.begin(), m_gates.end(),
                       [](const FirstResultGate* gate) { return gate->open(); });
}

sortivo::DrawRun DrawSession::beginRun(sortivo::EntryList entries,
                                       const sortivo::ResultStart& results,
                                       const sortivo::DrawRequest& request)
{
    sortivo::DrawRun run =
        m_proof.beginRun(std::move(entries), results, request, sortivo::isoTimeNow());
    emit runBegun(*m_proof.openRun(), results.belowExisting);
    return run;
}

sortivo::DrawRun DrawSession::beginRun(std::shared_ptr<const sortivo::EntryList> entries,
                                       std::string fingerprint, const sortivo::ResultStart& results,
                                       const sortivo::DrawRequest& request)
{
    sortivo::DrawRun run = m_proof.beginRun(std::move(entries), std::move(fingerprint), results,
                                            request, sortivo::isoTimeNow());
    emit runBegun(*m_proof.openRun(), results.belowExisting);
    return run;
}

sortivo::DrawRun DrawSession::beginRunOnLeftover(const sortivo::ResultStart& results,
                                                 const sortivo::DrawRequest& request)
{
    sortivo::DrawRun run = m_proof.beginRunOnLeftover(results, request, sortivo::isoTimeNow());
    emit runBegun(*m_proof.openRun(), results.belowExisting);
    return run;
}

void DrawSession::reportProgress(const sortivo::DrawRun& run)
{
    emit runProgressed(run.drawsDone(), run.drawCount());
}

void DrawSession::recordRun(const sortivo::DrawRun& run)
{
    // One fingerprint at a time is worked out elsewhere; no run begins while one is, as its
    // gate is closed.
    const bool later = run.remainingCount() >= leftoverThreadFrom && m_leftoverHashing.open() &&
                       m_proof.runInProgress();
    m_proof.endRun(run, later ? sortivo::ProofSession::LeftoverHash::Later
                              : sortivo::ProofSession::LeftoverHash::Now);
    if (later)
        m_leftoverHashing.start(run.sharedEntries(), run.pool());
    emit drawsEnded(run.drawsDone());
}

void DrawSession::runShown(int draws, int left)
{
    emit runEnded(draws, left);
    emit palmaresChanged();
}

void DrawSession::setTitle(const QString& title)
{
    const std::string text = title.toStdString();
    if (m_proof.title() == text)
        return;
    m_proof.setTitle(text);
    emit prizesChanged();
}

void DrawSession::setEvent(sortivo::EventDetails event)
{
    if (m_proof.event() == event)
        return;
    m_proof.setEvent(std::move(event));
    emit eventChanged();
}

bool DrawSession::setPrizes(std::vector<std::string> prizes)
{
    if (prizes == m_proof.prizes())
        return true;
    if (!m_proof.setPrizes(std::move(prizes)))
        return false;
    emit prizesChanged();
    emit palmaresChanged();
    return true;
}

sortivo::Expected<void> DrawSession::declareAbsent(std::int64_t run, std::size_t rank,
                                                   std::string reason)
{
    sortivo::Expected<void> declared =
        m_proof.declareAbsent(run, rank, std::move(reason), sortivo::isoTimeNow());
    if (!declared)
        return declared;
    emit absenceDeclared(m_proof.absences().back());
    emit palmaresChanged();
    return declared;
}

bool DrawSession::setPublicValue(std::string value)
{
    if (!m_proof.setPublicValue(std::move(value)))
        return false;
    emit publicValueChanged(fromUtf8(m_proof.publicValue()));
    return true;
}

bool DrawSession::setOnePrizePerPerson(bool on)
{
    if (!m_proof.setOnePrizePerPerson(on))
        return false;
    emit onePrizePerPersonChanged(on);
    return true;
}

void DrawSession::noteCommunicated(const std::string& time, sortivo::CommunicatedList list)
{
    m_proof.noteCommunicated(time, std::move(list));
    emit communicated(communicatedLine());
}

sortivo::ProofSession DrawSession::renew()
{
    sortivo::ProofSession ended =
        std::exchange(m_proof, sortivo::ProofSession(sortivo::freshSeed()));
    // The title and prizes typed stay typed: the next session starts with them, free to change.
    if (ended.title())
        m_proof.setTitle(*ended.title());
    m_proof.setPrizes(ended.prizes());
    // The same event goes on: its organiser, place and witnesses do not change with the seed.
    m_proof.setEvent(ended.event());
    announceSession();
    return ended;
}

void DrawSession::resume(sortivo::ProofSession proof)
{
    m_proof = std::move(proof);
    announceSession();
    if (m_proof.communicatedList())
        emit communicated(communicatedLine());
}

QString DrawSession::communicatedLine() const
{
    // The rule is fixed with the list, and shown with it.
    QString line =
        fromUtf8(sortivo::listLine(*m_proof.communicatedList(), sortivo::shownListDigits));
    if (m_proof.onePrizePerPerson())
        line += QStringLiteral(" · ") + fromUtf8(std::string(sortivo::onePrizeLine));
    if (const auto& prizes = m_proof.communicatedPrizes())
        line += QStringLiteral(" · ") +
                fromUtf8(sortivo::prizesLine(*prizes, sortivo::shownListDigits));
    return line;
}

void DrawSession::announceSession()
{
    // A fingerprint still being hashed is the replaced session's.
    m_leftoverHashing.forget();
    emit renewed(QString::fromStdString(m_proof.commitment()));
    emit publicValueChanged(fromUtf8(m_proof.publicValue()));
    emit prizesChanged();
    emit eventChanged();
    emit palmaresChanged();
}
