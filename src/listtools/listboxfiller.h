#pragma once

#include "widgets/textboxtext.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

class QPlainTextEdit;

// Puts a long list text into a box in timer slices, the window serving its events in between,
// so that a list of millions of lines never freezes it. The box ends as setting its whole text
// at once would leave it. It takes no edits meanwhile, which would land in the middle.
class ListBoxFiller : public QObject
{
    Q_OBJECT
public:
    ListBoxFiller(QPlainTextEdit& box, QObject* parent);

    bool running() const { return m_slices.isActive() || m_cancelled; }
    // Replaces the box's text with `listText` (CR LF between lines); the first slice comes from
    // the event loop.
    void start(std::string listText);
    // The same with the text of `entries`, which the box then shows one a line.
    void start(std::shared_ptr<const sortivo::EntryList> entries);
    // The box is left empty at the next slice, rather than holding part of the list.
    void cancel();

    // How long a slice lasts. Zero makes the smallest slices, so that a test can act in the
    // middle of a short list whatever the machine's speed.
    void setSliceInterval(std::chrono::milliseconds interval) { m_sliceInterval = interval; }

signals:
    // After each slice but the last: how much of the text the box holds.
    void progressed(std::int64_t done, std::int64_t total);
    void finished(bool cancelled);

private:
    void begin(BoxTextFeed feed);
    void nextSlice();
    void end(bool cancelled);

    QPlainTextEdit& m_box;
    BoxTextFeed m_feed;
    QTimer m_slices;
    bool m_cancelled = false;
    bool m_wasReadOnly = false;
    std::size_t m_bytesPerSlice = 0;
    // A slice of a few times a frame keeps the window lively without slowing a long open.
    std::chrono::milliseconds m_sliceInterval{25};
};
