#include "draw/drawsession.h"

#include "core/proof/proofreport.h"

#include <QThread>

namespace
{

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

DrawSession::DrawSession(QObject* parent) : QObject(parent), m_proof(sortivo::freshSeed()) {}

// A fingerprint on its way has nowhere to go: the thread reads only what it holds a share of.
DrawSession::~DrawSession()
{
    if (m_hashing)
        m_hashing->wait();
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
    // One fingerprint at a time is worked out elsewhere; no run ends while one is, as the
    // session is held.
    const bool later =
        run.remainingCount() >= leftoverThreadFrom && !m_hashing && m_proof.runInProgress();
    m_proof.endRun(run, later ? sortivo::ProofSession::LeftoverHash::Later
                              : sortivo::ProofSession::LeftoverHash::Now);
    if (later)
        hashLeftover(run);
    emit drawsEnded(run.drawsDone());
}

void DrawSession::hashLeftover(const sortivo::DrawRun& run)
{
    hold();
    // Neither the list nor the copy of its pool changes once the run has ended.
    auto fingerprint = std::make_shared<std::string>();
    m_hashing.reset(
        QThread::create([entries = run.sharedEntries(), left = run.pool(), fingerprint] {
            *fingerprint = sortivo::leftoverFingerprint(*entries, left);
        }));
    connect(
        m_hashing.get(), &QThread::finished, this,
        [this, fingerprint, renewals = m_renewals] {
            m_hashing->wait();
            m_hashing.reset();
            if (renewals == m_renewals)
                m_proof.setLeftoverFingerprint(std::move(*fingerprint));
            release();
        },
        Qt::QueuedConnection);
    m_hashing->start();
}

void DrawSession::runShown(int draws, int left)
{
    emit runEnded(draws, left);
}

bool DrawSession::setPublicValue(std::string value)
{
    if (!m_proof.setPublicValue(std::move(value)))
        return false;
    emit publicValueChanged(fromUtf8(m_proof.publicValue()));
    return true;
}

void DrawSession::noteCommunicated(const std::string& time, sortivo::CommunicatedList list)
{
    m_proof.noteCommunicated(time, std::move(list));
    emit communicated(
        fromUtf8(sortivo::listLine(*m_proof.communicatedList(), sortivo::shownListDigits)));
}

sortivo::ProofSession DrawSession::renew()
{
    sortivo::ProofSession ended =
        std::exchange(m_proof, sortivo::ProofSession(sortivo::freshSeed()));
    announceSession();
    return ended;
}

void DrawSession::resume(sortivo::ProofSession proof)
{
    m_proof = std::move(proof);
    announceSession();
    if (const auto& list = m_proof.communicatedList())
        emit communicated(fromUtf8(sortivo::listLine(*list, sortivo::shownListDigits)));
}

void DrawSession::announceSession()
{
    // A fingerprint still being hashed is the replaced session's.
    ++m_renewals;
    emit renewed(QString::fromStdString(m_proof.commitment()));
    emit publicValueChanged(fromUtf8(m_proof.publicValue()));
}

void DrawSession::release()
{
    if (m_holds > 0 && --m_holds == 0)
        emit released();
}
