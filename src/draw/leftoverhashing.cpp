#include "draw/leftoverhashing.h"

#include "core/proof/proofsession.h"

#include <QtConcurrent/QtConcurrentRun>

#include <utility>

LeftoverHashing::LeftoverHashing(QObject* parent) : FirstResultGate(parent)
{
    connect(&m_watcher, &QFutureWatcher<std::string>::finished, this, &LeftoverHashing::finished);
}

LeftoverHashing::~LeftoverHashing()
{
    m_watcher.cancel();
    m_watcher.waitForFinished();
}

void LeftoverHashing::start(std::shared_ptr<const sortivo::EntryList> entries,
                            sortivo::DrawPool left)
{
    m_pending = true;
    m_watcher.setFuture(QtConcurrent::run([entries = std::move(entries), left = std::move(left)] {
        return sortivo::leftoverFingerprint(*entries, left);
    }));
}

void LeftoverHashing::forget()
{
    m_watcher.cancel();
    if (std::exchange(m_pending, false))
        emit opened();
}

void LeftoverHashing::finished()
{
    if (!std::exchange(m_pending, false))
        return;
    emit hashed(m_watcher.result());
    emit opened();
}
