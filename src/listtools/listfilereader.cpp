#include "listtools/listfilereader.h"

#include "core/list/listlimits.h"

#include <QFile>

namespace
{

using Outcome = ListFileReader::Outcome;

void countDefaultEntries(Outcome& outcome, const std::atomic<bool>& cancelled)
{
    const sortivo::CellTable& table = outcome.file->sheets.front().table;
    outcome.choice = sortivo::proposedChoice(table);
    // Each entry's row, for the palmarès to show a winner's whole row.
    outcome.choice.keepRows = true;
    outcome.entries = sortivo::tableEntries(table, outcome.choice, &cancelled);
}

void decodeTextList(Outcome& outcome, const std::atomic<bool>& cancelled)
{
    sortivo::DecodedList decoded =
        sortivo::decodeListFile(outcome.file->text, sortivo::listFileLimits);
    // The decoded text alone goes on: the file's bytes would double what the open holds.
    outcome.file->text = {};
    if (decoded.status != sortivo::DecodedList::Status::Ok) {
        outcome.file = ListFileRefusal(decodeRefusal(decoded.status));
        return;
    }
    if (cancelled.load(std::memory_order_relaxed))
        return;
    outcome.list = sortivo::loadList(std::move(decoded.listText));
    outcome.unread = decoded.unread;
}

} // namespace

ListFileReader::ListFileReader(QObject* parent)
    : QObject(parent),
      m_job([this](std::shared_ptr<Outcome> outcome) { ended(std::move(outcome)); })
{
}

void ListFileReader::start(const QString& path)
{
    m_job.start([this, path](const std::atomic<bool>& cancelled) {
        auto outcome = std::make_shared<Outcome>();
        outcome->file = readListFile({QFile::encodeName(path).toStdString(), &cancelled,
                                      [this](std::int64_t bytes) { emit progressed(bytes); }});
        if (!outcome->file || outcome->file->cancelled)
            return outcome;
        if (!outcome->file->sheets.empty())
            countDefaultEntries(*outcome, cancelled);
        else
            decodeTextList(*outcome, cancelled);
        return outcome;
    });
}

void ListFileReader::ended(std::shared_ptr<Outcome> outcome)
{
    if (m_job.stopped()) {
        *outcome = {};
        outcome->file->cancelled = true;
    }
    emit finished(std::move(outcome));
}
