#pragma once

#include <QLabel>

// A caption that acts as a web link: pointing hand, and a click anywhere on it. Like the
// window's other captions it takes no focus, so it has no keys of its own.
class LinkLabel : public QLabel
{
    Q_OBJECT
public:
    explicit LinkLabel(QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
