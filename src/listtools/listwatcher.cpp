#include "listtools/listwatcher.h"

#include "draw/entryblocks.h"
#include "session/busystate.h"
#include "widgets/drawcountchoice.h"

#include <QFocusEvent>
#include <QPlainTextEdit>

ListWatcher::ListWatcher(QPlainTextEdit& list, const EntryBlocks& listEntries,
                         DrawCountChoice& drawCount, BusyState& busyState, QObject* parent)
    : QObject(parent), m_list(list), m_listEntries(listEntries), m_drawCount(drawCount),
      m_busyState(busyState)
{
    connect(&m_list, &QPlainTextEdit::textChanged, this, &ListWatcher::listChanged);
    m_list.installEventFilter(this);
}

void ListWatcher::listChanged()
{
    // The program's own writing of the list during a run is no user edit.
    if (!m_busyState.running())
        m_busyState.clearProgress();
}

void ListWatcher::refreshList()
{
    // A run offers the counts itself when it ends.
    if (m_busyState.running())
        return;
    m_drawCount.offerEntries(m_listEntries.entryCount());
}

void ListWatcher::offerEntries(int left)
{
    m_drawCount.offerEntries(left);
}

void ListWatcher::offerNumbers(int last)
{
    m_drawCount.offerNumbers(last);
}

bool ListWatcher::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_list && event->type() == QEvent::FocusOut) {
        // Only a move to another control of this window counts; switching windows or opening
        // the box's context menu leaves the list as it was.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            refreshList();
    }
    return QObject::eventFilter(watched, event);
}
