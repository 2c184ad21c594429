#pragma once

#include "widgets/plaintextbox.h"

#include <cstddef>

// A text box that will not take a pasted or dropped text holding a line longer than it can
// lay out at typing speed: the box shapes a whole line at every cursor blink and key, so one
// line of megabytes would freeze the window for seconds per key.
class LineLimitedTextEdit : public PlainTextBox
{
    Q_OBJECT
public:
    LineLimitedTextEdit(std::size_t maxLineChars, QWidget* parent);

signals:
    // Nothing was inserted.
    void lineTooLongRefused();

protected:
    void insertFromMimeData(const QMimeData* source) override;

private:
    std::size_t m_maxLineChars;
};
