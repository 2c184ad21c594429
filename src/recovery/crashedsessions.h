#pragma once

#include "journal/journalfolder.h"
#include "journal/journalreader.h"

#include <QDateTime>
#include <QString>

#include <cstddef>
#include <functional>
#include <optional>

class Platform;
class QWidget;

// A session that a crashed window left, taken up again.
struct ResumeChoice {
    // With the interruption among its resumptions.
    sortivo::ResumedSession session;
    sortivo::OrphanJournal journal;
    sortivo::Resumption resumption;
};

QString resumeQuestion(const QDateTime& started, std::size_t runs, std::size_t results);

// Asks about each session that a window which is no longer running left in `folder`, newest
// first, until the user takes one up. Each one declined is offered its record, which
// `saveRecord` saves as the proof dialog does, and then forgotten; one whose record the user
// wanted but did not save stays for the next start. An unreadable one, or one that someone else
// could have written or read, is set aside and told, and never offered.
std::optional<ResumeChoice>
offerCrashedSessions(QWidget* window, Platform& platform, const QString& folder,
                     const std::function<bool(const sortivo::ProofSession&)>& saveRecord);
