#pragma once

#include "core/io/textdecode.h"
#include "core/proof/loadedlist.h"
#include "jobs/backgroundjob.h"
#include "listsource/listsource.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

// Reads and decodes a list file on a worker thread, so that the window keeps answering
// while a large file comes in; the outcome is handed back on the window's thread.
class ListFileReader : public QObject
{
    Q_OBJECT
public:
    struct Outcome {
        // Why the file was refused or whether it was cancelled; a table's sheets for the
        // choice of columns, with a delimited file's text. A text list's bytes are gone.
        sortivo::Expected<ListFile, ListFileRefusal> file = ListFile{};
        // A text list's entries, hashed and checked here so that the first draw need not.
        sortivo::LoadedList list;
        std::optional<sortivo::UnreadLines> unread;
        // The first sheet's columns as frmColonnes proposes them, and its entries by them,
        // counted here so that the window need not count a million rows.
        sortivo::ColumnChoice choice;
        sortivo::TableEntries entries;
    };

    // Going, it waits for the reading, which stops at its next piece.
    explicit ListFileReader(QObject* parent);

    bool running() const { return m_job.running(); }
    void start(const QString& path);
    // The reading stops at its next piece and ends as cancelled.
    void cancel() { m_job.stop(); }

signals:
    // Emitted on the worker thread after each whole piece of the file (a file that takes one
    // piece tells nothing): the bytes read so far.
    void progressed(qint64 bytesRead);
    void finished(std::shared_ptr<ListFileReader::Outcome> outcome);

private:
    void ended(std::shared_ptr<Outcome> outcome);

    BackgroundJob<std::shared_ptr<Outcome>> m_job;
};
