#include "listtools/entrycounter.h"

#include <QThread>

EntryCounter::EntryCounter(std::vector<sortivo::Sheet>& sheets, const std::string* delimitedText,
                           QObject* parent)
    : QObject(parent), m_sheets(sheets), m_delimitedText(delimitedText)
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
    Request next{sheet, choice, std::nullopt};
    // Duplicates are counted, never dropped here: chkDoublons changes the words, not the count.
    next.choice.dropDuplicates = false;
    request(std::move(next));
}

void EntryCounter::reread(char separator)
{
    if (m_delimitedText)
        request({0, {}, separator});
}

void EntryCounter::request(Request request)
{
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
    if (request.separator) {
        // The sheet stays as it is until the thread has ended: a count may still be reading it.
        m_reread = std::make_shared<Reread>();
        m_thread.reset(QThread::create([text = m_delimitedText, separator = *request.separator,
                                        stop = &m_stop, entries = m_entries, reread = m_reread] {
            reread->table = sortivo::splitDelimited(*text, separator);
            const sortivo::CellTable& table = reread->table.table;
            reread->choice.titles = sortivo::firstRowLooksLikeTitles(table);
            reread->choice.columns = sortivo::defaultColumns(table, reread->choice.titles);
            *entries = sortivo::tableEntries(table, reread->choice, stop);
        }));
    } else {
        m_thread.reset(QThread::create(
            [table = &m_sheets[request.sheet].table, choice = request.choice, stop = &m_stop,
             entries = m_entries] { *entries = sortivo::tableEntries(*table, choice, stop); }));
    }
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
    const std::shared_ptr<Reread> reread = std::move(m_reread);
    // What was read is the sheet from now on, even when a newer request goes before its count.
    const std::string refusal = reread ? reread->table.table.refusal() : std::string();
    if (reread)
        m_sheets.front().table = std::move(reread->table.table);
    if (m_pending) {
        const Request next = std::move(*m_pending);
        m_pending.reset();
        start(next);
        return;
    }
    if (reread)
        emit separatorRead(reread->choice, reread->table.unclosedQuoteLine, refusal);
    emit counted(std::move(entries));
}
