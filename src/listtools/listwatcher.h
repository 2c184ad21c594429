#pragma once

#include <QObject>

class DrawCountChoice;
class EntryBlocks;
class ProgressLabel;
class QPlainTextEdit;
class RunState;

// Keeps the window in step with what the user does to the list: an edit hides the stale
// percentage, and leaving the box offers counts for the entries it now holds.
class ListWatcher : public QObject
{
    Q_OBJECT
public:
    ListWatcher(QPlainTextEdit& list, const EntryBlocks& listEntries, DrawCountChoice& drawCount,
                ProgressLabel& progress, const RunState& runState, QObject* parent);

    void refreshList();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void listChanged();

    QPlainTextEdit& m_list;
    const EntryBlocks& m_listEntries;
    DrawCountChoice& m_drawCount;
    ProgressLabel& m_progress;
    const RunState& m_runState;
};
