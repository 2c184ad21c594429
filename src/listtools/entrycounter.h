#pragma once

#include "core/list/celltable.h"
#include "jobs/backgroundjob.h"
#include "sheets/sheetbook.h"

#include <QObject>

#include <memory>
#include <optional>
#include <string>
#include <vector>

// Counts a sheet's entries by a choice of columns on a worker thread, so that a new choice
// in frmColonnes never holds the window on a million rows. One count runs at a time: a newer
// request stops the running one at its next rows, and only the newest is told.
class EntryCounter : public QObject
{
    Q_OBJECT
public:
    // `sheets` and `delimitedText` (a delimited file's text, or null) stay owned by the caller
    // and must outlive the counter. Going, it stops the count and waits for it.
    EntryCounter(std::vector<sortivo::Sheet>& sheets, const std::string* delimitedText,
                 QObject* parent);

    bool running() const { return m_job.running(); }
    void count(std::size_t sheet, const sortivo::ColumnChoice& choice);
    // Reads the delimited text again at `separator` into the first sheet, then counts it by the
    // columns it proposes.
    void reread(char separator);

signals:
    // A reread is in the first sheet; `choice` is what it proposes. A quote left open at
    // `unclosedQuoteLine` (if not 0), or a table past its limits (`refusal` not empty), makes
    // the table unusable. Told just before its count.
    void separatorRead(const sortivo::ColumnChoice& choice, std::size_t unclosedQuoteLine,
                       const std::string& refusal);
    // The entries of the newest request, their duplicates kept.
    void counted(std::shared_ptr<sortivo::TableEntries> entries);

private:
    struct Request {
        std::size_t sheet = 0;
        sortivo::ColumnChoice choice;
        std::optional<char> separator;
    };
    struct Reread {
        sortivo::DelimitedTable table;
        sortivo::ColumnChoice choice;
    };
    struct Count {
        std::shared_ptr<sortivo::TableEntries> entries;
        // Only for a request with a separator.
        std::shared_ptr<Reread> reread;
    };
    void request(Request request);
    void start(const Request& request);
    void ended(Count count);

    std::vector<sortivo::Sheet>& m_sheets;
    const std::string* const m_delimitedText;
    std::optional<Request> m_pending;
    BackgroundJob<Count> m_job;
};
