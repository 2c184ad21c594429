#pragma once

#include "core/proof/loadedlist.h"
#include "gates/firstresultgate.h"
#include "journal/journalfolder.h"
#include "journal/journalstore.h"
#include "recovery/journalthread.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class DrawSession;
class ListBoxState;
class Platform;
class QTextDocument;
class QWidget;

namespace sortivo
{
struct RunRecord;
}

class SessionJournal;

// A run's first result waits until its start is in the journal.
class RunStartKept final : public FirstResultGate
{
public:
    explicit RunStartKept(const SessionJournal& journal) : m_journal(journal) {}
    bool open() const override;

private:
    const SessionJournal& m_journal;
};

// Keeps the journal of the window's session, so that a crash loses nothing the window has
// shown: the proof session and every run from its start, the text of both boxes after an edit,
// an open or a numbering. It is written on a thread of its own; a run's first result waits
// until the run is in it. The file exists only while there is something to keep, and a normal
// close deletes it.
class SessionJournal : public QObject
{
    Q_OBJECT
public:
    struct Boxes {
        QTextDocument& list;
        QTextDocument& results;
    };
    // The journal goes in `folder`; a failure to write it is told over `window`. `listState`
    // tells where the list box's text came from.
    SessionJournal(const QString& folder, DrawSession& session, const Boxes& boxes,
                   const ListBoxState& listState, Platform& platform, QWidget* window);
    // Writes what was asked, and leaves the journal for a later start to find.
    ~SessionJournal() override;

    // While a resumed session is put in place, its changes are already in its journal.
    void pause() { m_paused = true; }
    // Goes on writing the journal of the resumed session that the window now shows, which was
    // interrupted and taken up as `resumption` says.
    void adopt(sortivo::OrphanJournal journal, const sortivo::Resumption& resumption);
    // The window closes as it should: the journal goes.
    void discard();

    // How long typing must have stopped before an edit is written.
    void setEditPause(std::chrono::milliseconds pause) { m_editPause.setInterval(pause); }

    // The audience screen as it now stands, to be reopened so with the session.
    void writeScreen(const sortivo::ShownScreen& screen);

    // What the session's runs wait for before their first result.
    FirstResultGate& runStartGate() { return m_runStartKept; }
    // Whether the run in progress, if any, is in the journal already, or never will be.
    bool runStartKept() const;

private:
    void writeRunStart(const sortivo::RunRecord& run, bool belowExisting);
    void writeProgress(std::int64_t done);
    void writeRunEnd(std::int32_t draws);
    void writeCommunication();
    void writePublicValue();
    void writeRule();
    void writePrizes();
    void writeEvent();
    void writeAbsence(const sortivo::DeclaredAbsence& absence);
    void startNewSession();
    void listChanged();
    void noteResultsEdit();
    bool listUnwritten() const;
    void writeCommandOutcome();
    void writeEditedTexts();
    void warnOfFailure(const QString& reason);
    // On the journal's thread, after a change that a first result may wait for: it was
    // committed for the program's crash only, and the disk follows here, without holding up
    // the journal's next change.
    void syncLater(const sortivo::JournalStore& store);
    // Runs `work` on the journal's thread, on a journal made first if there is none yet.
    void write(std::function<void(sortivo::JournalStore&)> work, std::function<void()> then = {});

    const std::string m_folder;
    DrawSession& m_session;
    Boxes m_boxes;
    const ListBoxState& m_listState;
    Platform& m_platform;
    QWidget* m_window;
    // Sees the run's changes to the disk; one at a time is enough.
    QThreadPool m_syncs;
    JournalThread m_thread;
    // Only ever touched on m_thread.
    std::optional<sortivo::JournalStore> m_store;
    // Whether a journal exists, or will once the thread gets to it.
    bool m_open = false;
    bool m_failed = false;
    bool m_paused = false;
    // The list box's text last written, as ListBoxState counts its texts.
    std::uint64_t m_listWritten = 0;
    sortivo::ShownScreen m_screen;
    // Edits of the results by hand not written yet.
    bool m_resultsEdited = false;
    // From a run's start until its outcome is in the boxes: the run's own changes to them are
    // what replaying it gives back.
    bool m_drawing = false;
    std::int64_t m_runNumber = 0;
    // The last run of the session whose start is committed.
    std::int64_t m_keptRun = 0;
    RunStartKept m_runStartKept{*this};
    QElapsedTimer m_sinceProgress;
    QTimer m_editPause;
};
