#pragma once

#include <QElapsedTimer>
#include <QObject>

#include <chrono>

class QWidget;

// Lets a box's buttons take mouse clicks only once the box has been shown for a while: the
// second click of a double click that opened a question lands on the question's default
// button otherwise, and answers it unseen. Keys answer at once.
class EarlyClickGuard : public QObject
{
    Q_OBJECT
public:
    // Guards the buttons that `box` holds now; owned by the box.
    EarlyClickGuard(QWidget& box, std::chrono::milliseconds interval);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& m_box;
    std::chrono::milliseconds m_interval;
    QElapsedTimer m_sinceShown;
};
