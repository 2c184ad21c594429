#include "app/earlyclickguard.h"

#include <QAbstractButton>
#include <QEvent>
#include <QWidget>

EarlyClickGuard::EarlyClickGuard(QWidget& box, std::chrono::milliseconds interval)
    : QObject(&box), m_box(box), m_interval(interval)
{
    m_box.installEventFilter(this);
    for (QAbstractButton* button : m_box.findChildren<QAbstractButton*>())
        button->installEventFilter(this);
}

bool EarlyClickGuard::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_box) {
        if (event->type() == QEvent::Show)
            m_sinceShown.start();
        return false;
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        return !m_sinceShown.isValid() ||
               std::chrono::milliseconds(m_sinceShown.elapsed()) < m_interval;
    default:
        return false;
    }
}
