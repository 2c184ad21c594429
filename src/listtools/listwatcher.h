#pragma once

#include <QObject>

class DrawCountChoice;
class EntryBlocks;
class QPlainTextEdit;
class BusyState;

// Keeps the window in step with the list: an edit hides the stale percentage, and leaving the
// box offers counts for the entries it now holds. The one writer of the choice of counts: the
// commands that rewrite the list tell it what to offer.
class ListWatcher : public QObject
{
    Q_OBJECT
public:
    ListWatcher(QPlainTextEdit& list, const EntryBlocks& listEntries, DrawCountChoice& drawCount,
                BusyState& busyState, QObject* parent);

    void refreshList();
    // A run left `left` entries in the list.
    void offerEntries(int left);
    // The list holds the numbers 1 to `last`.
    void offerNumbers(int last);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void listChanged();

    QPlainTextEdit& m_list;
    const EntryBlocks& m_listEntries;
    DrawCountChoice& m_drawCount;
    BusyState& m_busyState;
};
