#include "app/iconholder.h"

#include <QPainter>

IconHolder::IconHolder(const QIcon& icon, QSize iconSize, QWidget* parent)
    : QLabel(parent), m_icon(icon), m_iconSize(iconSize)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setEnabled(false);
}

void IconHolder::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QRect target(QPoint(0, 0), m_iconSize);
    target.moveCenter(rect().center());
    m_icon.paint(&painter, target, Qt::AlignCenter, QIcon::Normal);
}
