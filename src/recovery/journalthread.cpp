#include "recovery/journalthread.h"

#include <exception>

JournalThread::JournalThread(QObject* parent) : QObject(parent)
{
    m_thread.setObjectName(QStringLiteral("journal"));
    m_worker.moveToThread(&m_thread);
    m_thread.start();
}

JournalThread::~JournalThread()
{
    finish();
    m_thread.quit();
    m_thread.wait();
}

void JournalThread::post(std::function<void()> work, std::function<void()> then)
{
    QMetaObject::invokeMethod(
        &m_worker,
        [this, work = std::move(work), then = std::move(then)]() mutable {
            QString failure;
            try {
                work();
            } catch (const std::exception& error) {
                failure = QString::fromUtf8(error.what());
            }
            // Back on the window's thread; dropped if this object is gone by then.
            QMetaObject::invokeMethod(
                this,
                [this, failure, then = std::move(then)] {
                    if (!failure.isEmpty())
                        emit failed(failure);
                    if (then)
                        then();
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void JournalThread::finish()
{
    // Queued behind all that was asked before it.
    QMetaObject::invokeMethod(
        &m_worker, [] {}, Qt::BlockingQueuedConnection);
}
