#include "listtools/entrycounter.h"

#include <QThread>

EntryCounter::EntryCounter(const std::vector<sortivo::Sheet>& sheets, QObject* parent)
    : QObject(parent), m_sheets(sheets)
{
}

EntryCounter::~EntryCounter()
{
    m_stop.store(true, std::memory_order_relaxed);
    if (m_thread)
        m_thread->wait();
}

void EntryCounter::count(std::size_t sheet, const sortivo::ColumnChoice& choice)
{
    Request request{sheet, choice};
    // Duplicates are counted, never dropped here: chkDoublons changes the words, not the count.
    request.choice.dropDuplicates = false;
    if (m_thread) {
        m_pending = std::move(request);
        m_stop.store(true, std::memory_order_relaxed);
        return;
    }
    start(request);
}

void EntryCounter::start(const Request& request)
{
    m_stop.store(false, std::memory_order_relaxed);
    m_entries = std::make_shared<sortivo::TableEntries>();
    m_thread.reset(QThread::create(
        [table = &m_sheets[request.sheet].table, choice = request.choice, stop = &m_stop,
         entries = m_entries] { *entries = sortivo::tableEntries(*table, choice, stop); }));
    // Emitted on the counting thread as it ends; this object hears it on its own thread.
    connect(m_thread.get(), &QThread::finished, this, &EntryCounter::threadEnded,
            Qt::QueuedConnection);
    m_thread->start();
}

void EntryCounter::threadEnded()
{
    m_thread->wait();
    m_thread.reset();
    std::shared_ptr<sortivo::TableEntries> entries = std::move(m_entries);
    if (m_pending) {
        const Request next = std::move(*m_pending);
        m_pending.reset();
        start(next);
        return;
    }
    emit counted(std::move(entries));
}
