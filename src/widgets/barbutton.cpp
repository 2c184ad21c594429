#include "widgets/barbutton.h"

#include "widgets/designunits.h"

#include <QEvent>
#include <QPushButton>

#include <algorithm>

namespace
{

// The gap the bar keeps between its controls and at its ends.
constexpr double gapTwips = 120;

// Places the button each time its neighbour moves or changes size. A hidden neighbour is still
// placed, so a row of these buttons hides from the left as the window narrows.
class BarButtonPlacer : public QObject
{
public:
    BarButtonPlacer(QPushButton* button, QWidget* link, QWidget* neighbour)
        : QObject(button), m_button(button), m_link(link), m_neighbour(neighbour)
    {
        neighbour->installEventFilter(this);
        button->installEventFilter(this);
        place();
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The button's own width counts too: a row of buttons is made as wide as its widest.
        if (event->type() == QEvent::Resize ||
            (watched == m_neighbour && event->type() == QEvent::Move))
            place();
        return QObject::eventFilter(watched, event);
    }

private:
    void place()
    {
        const int gap = twipsToPixels(gapTwips);
        const int left = m_neighbour->x() - gap - m_button->width();
        m_button->move(left, m_neighbour->y());
        m_button->setVisible(left >= m_link->geometry().right() + 1 + gap);
    }

    QPushButton* m_button;
    QWidget* m_link;
    QWidget* m_neighbour;
};

} // namespace

QPushButton* addBarButton(QWidget* bar, QWidget* link, QWidget* neighbour, const QString& text,
                          const QString& name)
{
    auto* button = new QPushButton(text, bar);
    button->setObjectName(name);
    button->setFont(neighbour->font());
    button->resize(std::max(button->sizeHint().width(), neighbour->width()), neighbour->height());
    QWidget::setTabOrder(neighbour->previousInFocusChain(), button);
    new BarButtonPlacer(button, link, neighbour);
    return button;
}
