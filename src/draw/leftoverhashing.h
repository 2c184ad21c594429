#pragma once

#include "core/draw/drawpool.h"
#include "core/list/entrylist.h"
#include "gates/firstresultgate.h"
#include "jobs/backgroundjob.h"

#include <memory>
#include <string>

// The fingerprint of what a long run left, worked out on the thread pool while the window goes
// on answering. The next run needs it to begin, so it is a gate like the journal's.
class LeftoverHashing : public FirstResultGate
{
    Q_OBJECT
public:
    explicit LeftoverHashing(QObject* parent = nullptr);

    bool open() const override { return !m_job.running(); }
    // Neither the list nor the copy of its pool changes once the run has ended. A fingerprint
    // still on its way for an earlier run is dropped.
    void start(std::shared_ptr<const sortivo::EntryList> entries, sortivo::DrawPool left);
    // The session it was hashed for is gone: what comes back is dropped.
    void forget();

signals:
    // Comes before opened(), so that whoever waits finds the fingerprint in place.
    void hashed(const std::string& fingerprint);

private:
    // The work only reads what it holds a share of, so a dropped fingerprint may run on.
    BackgroundJob<std::string> m_job;
};
