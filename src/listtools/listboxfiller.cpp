#include "listtools/listboxfiller.h"

#include "jobs/slicebudget.h"

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTextDocument>

namespace
{

// Text put in the box by the first slice; the next ones are sized by what the last one cost.
constexpr std::size_t firstSliceBytes = 256 * 1024;
constexpr std::size_t smallestSliceBytes = 4096;

} // namespace

ListBoxFiller::ListBoxFiller(QPlainTextEdit& box, QObject* parent) : QObject(parent), m_box(box)
{
    m_slices.setSingleShot(true);
    m_slices.setInterval(0);
    connect(&m_slices, &QTimer::timeout, this, &ListBoxFiller::nextSlice);
}

void ListBoxFiller::start(std::string listText)
{
    begin(BoxTextFeed(std::move(listText)));
}

void ListBoxFiller::start(std::shared_ptr<const sortivo::EntryList> entries)
{
    begin(BoxTextFeed(std::move(entries)));
}

void ListBoxFiller::begin(BoxTextFeed feed)
{
    m_cancelled = false;
    m_feed = std::move(feed);
    m_bytesPerSlice = m_sliceInterval.count() == 0 ? 1 : firstSliceBytes;
    // As a whole new text would: nothing to undo, the view at the top.
    m_box.setPlainText(QString());
    m_wasReadOnly = m_box.isReadOnly();
    m_box.setReadOnly(true);
    // Each slice would be one more step to undo; the text it stands for leaves none.
    m_box.document()->setUndoRedoEnabled(false);
    m_slices.start();
}

void ListBoxFiller::cancel()
{
    if (!m_slices.isActive())
        return;
    m_cancelled = true;
}

void ListBoxFiller::nextSlice()
{
    if (m_cancelled) {
        m_box.clear();
        end(true);
        return;
    }
    QElapsedTimer clock;
    clock.start();
    m_feed.feed(*m_box.document(), m_bytesPerSlice);
    if (m_feed.done()) {
        end(false);
        return;
    }
    if (m_sliceInterval.count() > 0) {
        m_bytesPerSlice =
            SliceBudget(m_sliceInterval, smallestSliceBytes)
                .next(m_bytesPerSlice, std::chrono::nanoseconds(clock.nsecsElapsed()));
    }
    emit progressed(std::int64_t(m_feed.fed()), std::int64_t(m_feed.size()));
    m_slices.start();
}

void ListBoxFiller::end(bool cancelled)
{
    m_cancelled = false;
    m_feed = BoxTextFeed();
    m_box.document()->setUndoRedoEnabled(true);
    m_box.setReadOnly(m_wasReadOnly);
    m_box.document()->setModified(false);
    m_box.moveCursor(QTextCursor::Start);
    emit finished(cancelled);
}
