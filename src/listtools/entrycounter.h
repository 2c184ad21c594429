#pragma once

#include "core/celltable.h"
#include "sheets/sheetbook.h"

#include <QObject>

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

class QThread;

// Counts a sheet's entries by a choice of columns on a thread of its own, so that a new choice
// in frmColonnes never holds the window on a million rows. One count runs at a time: a newer
// request stops the running one at its next rows, and only the newest is told.
class EntryCounter : public QObject
{
    Q_OBJECT
public:
    // `sheets` stay owned by the caller and must outlive the counter.
    EntryCounter(const std::vector<sortivo::Sheet>& sheets, QObject* parent);
    // Stops the count and waits for its thread.
    ~EntryCounter() override;

    bool running() const { return m_thread != nullptr; }
    void count(std::size_t sheet, const sortivo::ColumnChoice& choice);

signals:
    // The entries of the newest request, their duplicates kept.
    void counted(std::shared_ptr<sortivo::TableEntries> entries);

private:
    struct Request {
        std::size_t sheet = 0;
        sortivo::ColumnChoice choice;
    };
    void start(const Request& request);
    void threadEnded();

    const std::vector<sortivo::Sheet>& m_sheets;
    std::unique_ptr<QThread> m_thread;
    std::atomic<bool> m_stop{false};
    // Written by the counting thread only, read here once it has ended.
    std::shared_ptr<sortivo::TableEntries> m_entries;
    std::optional<Request> m_pending;
};
