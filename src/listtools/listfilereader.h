#pragma once

#include "common/backgroundjob.h"
#include "core/loadedlist.h"
#include "core/textdecode.h"
#include "sheets/sheetbook.h"

#include <QObject>
#include <QString>

#include <memory>
#include <string>
#include <vector>

// Reads and decodes a list file on a worker thread, so that the window keeps answering
// while a large file comes in; the outcome is handed back on the window's thread.
class ListFileReader : public QObject
{
    Q_OBJECT
public:
    struct Outcome {
        enum class Status {
            Ok,
            Cancelled,
            CannotOpen,
            CannotRead,
            TooBig,
            NotText,
            TooManyLines,
            LineTooLong,
            // A spreadsheet or a delimited file refused; `reason` says why, whole.
            BadSheet
        } status = Status::Ok;
        // The system's reason when the file could not be opened or read.
        QString reason;
        // A text list's entries, hashed and checked here so that the first draw need not.
        sortivo::LoadedList list;
        std::optional<sortivo::UnreadLines> unread;
        // A spreadsheet's sheets, or a delimited file as one sheet, for the choice of columns;
        // empty for a text list.
        std::vector<sortivo::Sheet> sheets;
        // A delimited file's text, read again at another separator when the user picks one.
        std::optional<std::string> delimitedText;
        char separator = sortivo::noSeparator;
        // The first sheet's columns as frmColonnes proposes them, and its entries by them,
        // counted here so that the window need not count a million rows.
        sortivo::ColumnChoice choice;
        sortivo::TableEntries entries;
    };

    // Files past `largestFile` bytes are refused without being read whole.
    // Going, it waits for the reading, which stops at its next piece.
    ListFileReader(qint64 largestFile, sortivo::DecodeLimits limits, QObject* parent);

    bool running() const { return m_job.running(); }
    // `sizeHint` is what the file says it holds, which some files of the system get wrong.
    void start(const QString& path, qint64 sizeHint);
    // The reading stops at its next piece and ends as Cancelled.
    void cancel() { m_job.stop(); }

signals:
    // Emitted on the worker thread after each whole piece of the file (a file that takes one
    // piece tells nothing): the bytes read so far.
    void progressed(qint64 bytesRead);
    void finished(std::shared_ptr<ListFileReader::Outcome> outcome);

private:
    void ended(std::shared_ptr<Outcome> outcome);

    const qint64 m_largestFile;
    const sortivo::DecodeLimits m_limits;
    BackgroundJob<std::shared_ptr<Outcome>> m_job;
};
