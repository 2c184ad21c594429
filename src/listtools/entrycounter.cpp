#include "listtools/entrycounter.h"

EntryCounter::EntryCounter(std::vector<sortivo::Sheet>& sheets, const std::string* delimitedText,
                           QObject* parent)
    : QObject(parent), m_sheets(sheets), m_delimitedText(delimitedText),
      m_job([this](Count count) { ended(std::move(count)); })
{
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
    if (m_job.running()) {
        m_pending = std::move(request);
        m_job.stop();
        return;
    }
    start(request);
}

void EntryCounter::start(const Request& request)
{
    if (request.separator) {
        // The sheet stays as it is until the count has ended: a count may still be reading it.
        m_job.start([text = m_delimitedText,
                     separator = *request.separator](const std::atomic<bool>& stop) {
            Count count{std::make_shared<sortivo::TableEntries>(), std::make_shared<Reread>()};
            Reread& reread = *count.reread;
            reread.table = sortivo::splitDelimited(*text, separator);
            const sortivo::CellTable& table = reread.table.table;
            reread.choice = sortivo::proposedChoice(table);
            reread.choice.keepRows = true;
            *count.entries = sortivo::tableEntries(table, reread.choice, &stop);
            return count;
        });
    } else {
        m_job.start([table = &m_sheets[request.sheet].table,
                     choice = request.choice](const std::atomic<bool>& stop) {
            return Count{std::make_shared<sortivo::TableEntries>(
                             sortivo::tableEntries(*table, choice, &stop)),
                         nullptr};
        });
    }
}

void EntryCounter::ended(Count count)
{
    // What was read is the sheet from now on, even when a newer request goes before its count.
    const std::string refusal = count.reread ? count.reread->table.table.refusal() : std::string();
    if (count.reread)
        m_sheets.front().table = std::move(count.reread->table.table);
    if (m_pending) {
        const Request next = std::move(*m_pending);
        m_pending.reset();
        start(next);
        return;
    }
    if (count.reread)
        emit separatorRead(count.reread->choice, count.reread->table.unclosedQuoteLine, refusal);
    emit counted(std::move(count.entries));
}
