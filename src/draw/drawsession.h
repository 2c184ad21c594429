#pragma once

#include "core/proof/proofsession.h"
#include "draw/leftoverhashing.h"
#include "session/busystate.h"

#include <QObject>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class FirstResultGate;

// The session the window draws in: the seed with the runs drawn from it, and whether a
// command is at work on the boxes. Its one owner: the draw and the proof change it through
// here, and the screen, the counts and the percentage hear of each change by signal instead
// of being called by whoever made it.
class DrawSession : public QObject
{
    Q_OBJECT
public:
    explicit DrawSession(QObject* parent = nullptr);

    // What a run leaves is hashed on another thread from this many entries on; fewer cost
    // less to hash than handing them over costs.
    static constexpr std::size_t leftoverThreadFrom = 10000;

    const sortivo::ProofSession& proof() const { return m_proof; }
    BusyState& busyState() { return m_busyState; }
    const BusyState& busyState() const { return m_busyState; }

    // Starts the next run, on `entries` (whose fingerprint may be known already), or on what
    // the last run left.
    sortivo::DrawRun beginRun(sortivo::EntryList entries, const sortivo::ResultStart& results,
                              const sortivo::DrawRequest& request);
    sortivo::DrawRun beginRun(std::shared_ptr<const sortivo::EntryList> entries,
                              std::string fingerprint, const sortivo::ResultStart& results,
                              const sortivo::DrawRequest& request);
    sortivo::DrawRun beginRunOnLeftover(const sortivo::ResultStart& results,
                                        const sortivo::DrawRequest& request);
    void reportProgress(const sortivo::DrawRun& run);
    // What `run` drew goes into the record, however far it got. A long list's leftover is
    // hashed on another thread, its gate closed meanwhile.
    void recordRun(const sortivo::DrawRun& run);
    // The boxes show the outcome of the run that drew `draws` entries and left `left`.
    void runShown(int draws, int left);

    bool setPublicValue(std::string value);
    // Returns false, changing nothing, once the rule is fixed.
    bool setOnePrizePerPerson(bool on);
    void setTitle(const QString& title);
    void setEvent(sortivo::EventDetails event);
    // Returns false, changing nothing, once the commitment fixed them.
    bool setPrizes(std::vector<std::string> prizes);
    // Declared at once, between runs only; refused with why.
    sortivo::Expected<void> declareAbsent(std::int64_t run, std::size_t rank, std::string reason);
    void noteCommunicated(const std::string& time, sortivo::CommunicatedList list);
    // A record revealed the seed: the draws go on under a fresh one. Hands back the session
    // that ended, whose record can still be saved or printed.
    sortivo::ProofSession renew();
    // Goes on with a session that a crashed window left, announced as a renewal is.
    void resume(sortivo::ProofSession proof);

    // Work elsewhere that the next result depends on (the journal's writing, the fingerprint
    // of what the last run left): a run waits until every gate is open, the window still
    // answering. The leftover's hashing is declared from the start.
    void declareGate(FirstResultGate& gate);
    bool gatesOpen() const;

signals:
    // Another session took this one's place: a fresh seed after its predecessor was revealed,
    // or a session resumed.
    void renewed(const QString& commitment);
    void publicValueChanged(const QString& value);
    void onePrizePerPersonChanged(bool on);
    // The commitment was communicated with this list line, and the rule when there is one.
    void communicated(const QString& listLine);
    // A draw is about to write into the boxes, the results to keep already settled: below
    // those the box shows, or in an empty box.
    void runBegun(const sortivo::RunRecord& run, bool belowExisting);
    void runProgressed(std::int64_t done, std::int64_t total);
    // The run in progress has made its last draw, `draws` in all; the boxes are still being
    // brought in step with it.
    void drawsEnded(std::int32_t draws);
    void runEnded(int draws, int left);
    // One of the gates opened: whoever waits asks gatesOpen() again.
    void gateOpened();
    // The prizes or the title were set, or another session brought its own.
    void prizesChanged();
    // What the organiser tells of the event changed, or another session brought its own.
    void eventChanged();
    // A result was declared absent: the last of proof().absences().
    void absenceDeclared(const sortivo::DeclaredAbsence& absence);
    // Who wins what may have changed: prizes, an absence, a run shown, another session.
    void palmaresChanged();

private:
    void announceSession();
    // What the audience is shown with the commitment: the list and the session's rule.
    QString communicatedLine() const;

    sortivo::ProofSession m_proof;
    BusyState m_busyState;
    LeftoverHashing m_leftoverHashing;
    std::vector<FirstResultGate*> m_gates;
};
