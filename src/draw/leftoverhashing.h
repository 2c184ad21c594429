#pragma once

#include "core/draw/drawpool.h"
#include "core/list/entrylist.h"
#include "gates/firstresultgate.h"

#include <QFutureWatcher>

#include <memory>
#include <string>

// The fingerprint of what a long run left, worked out on the thread pool while the window goes
// on answering. The next run needs it to begin, so it is a gate like the journal's.
class LeftoverHashing : public FirstResultGate
{
    Q_OBJECT
public:
    explicit LeftoverHashing(QObject* parent = nullptr);
    // A fingerprint on its way has nowhere to go; its thread only reads what it holds a share
    // of, but the pool must not outlive the program's last moment with it still running.
    ~LeftoverHashing() override;

    bool open() const override { return !m_pending; }
    // Neither the list nor the copy of its pool changes once the run has ended.
    void start(std::shared_ptr<const sortivo::EntryList> entries, sortivo::DrawPool left);
    // The session it was hashed for is gone: what comes back is dropped.
    void forget();

signals:
    // Comes before opened(), so that whoever waits finds the fingerprint in place.
    void hashed(const std::string& fingerprint);

private:
    void finished();

    QFutureWatcher<std::string> m_watcher;
    bool m_pending = false;
};
