#include "draw/leftoverhashing.h"

#include "core/proof/proofsession.h"

#include <utility>

LeftoverHashing::LeftoverHashing(QObject* parent)
    : FirstResultGate(parent), m_job([this](std::string fingerprint) {
          emit hashed(fingerprint);
          emit opened();
      })
{
}

void LeftoverHashing::start(std::shared_ptr<const sortivo::EntryList> entries,
                            sortivo::DrawPool left)
{
    m_job.drop();
    m_job.start([entries = std::move(entries), left = std::move(left)](const std::atomic<bool>&) {
        return sortivo::leftoverFingerprint(*entries, left);
    });
}

void LeftoverHashing::forget()
{
    if (!m_job.running())
        return;
    m_job.drop();
    emit opened();
}
