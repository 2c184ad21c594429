#include "draw/drawsession.h"

#include "core/proofreport.h"

#include <chrono>

namespace
{

std::string now()
{
    return sortivo::isoTimeUtc(std::chrono::system_clock::now());
}

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

DrawSession::DrawSession(QObject* parent) : QObject(parent), m_proof(sortivo::freshSeed()) {}

sortivo::DrawRun DrawSession::beginRun(sortivo::EntryList entries,
                                       const sortivo::ResultStart& results,
                                       const sortivo::DrawRequest& request)
{
    sortivo::DrawRun run = m_proof.beginRun(std::move(entries), results, request, now());
    emit runBegun(*m_proof.openRun(), results.belowExisting);
    return run;
}

sortivo::DrawRun DrawSession::beginRunOnLeftover(const sortivo::ResultStart& results,
                                                 const sortivo::DrawRequest& request)
{
    sortivo::DrawRun run = m_proof.beginRunOnLeftover(results, request, now());
    emit runBegun(*m_proof.openRun(), results.belowExisting);
    return run;
}

void DrawSession::reportProgress(const sortivo::DrawRun& run)
{
    emit runProgressed(run.drawsDone(), run.drawCount());
}

void DrawSession::recordRun(const sortivo::DrawRun& run)
{
    m_proof.endRun(run);
    emit drawsEnded(run.drawsDone());
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
    emit renewed(QString::fromStdString(m_proof.commitment()));
    emit publicValueChanged(fromUtf8(m_proof.publicValue()));
}

void DrawSession::release()
{
    if (m_holds > 0 && --m_holds == 0)
        emit released();
}
