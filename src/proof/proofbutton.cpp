#include "proof/proofbutton.h"

#include "common/designunits.h"

#include <QEvent>
#include <QPushButton>

namespace
{

// The gap the bar keeps between its controls and at its ends.
constexpr double gapTwips = 120;

// Places the button each time the "Info" button moves or the bar changes size.
class ProofButtonPlacer : public QObject
{
public:
    ProofButtonPlacer(QPushButton* button, QWidget* link, QWidget* info)
        : QObject(button), m_button(button), m_link(link), m_info(info)
    {
        info->installEventFilter(this);
        place();
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Move || event->type() == QEvent::Resize)
            place();
        return QObject::eventFilter(watched, event);
    }

private:
    void place()
    {
        const int gap = twipsToPixels(gapTwips);
        const int left = m_info->x() - gap - m_button->width();
        m_button->move(left, m_info->y());
        m_button->setVisible(left >= m_link->geometry().right() + 1 + gap);
    }

    QPushButton* m_button;
    QWidget* m_link;
    QWidget* m_info;
};

} // namespace

QPushButton* addProofButton(QWidget* bar, QWidget* link, QWidget* info)
{
    auto* button = new QPushButton(QStringLiteral("Preuve du tirage"), bar);
    button->setObjectName(QStringLiteral("cmdPreuve"));
    button->setFont(info->font());
    button->resize(std::max(button->sizeHint().width(), info->width()), info->height());
    // Between the toolbar buttons and "Info", as the bar reads from left to right.
    QWidget::setTabOrder(info->previousInFocusChain(), button);
    new ProofButtonPlacer(button, link, info);
    return button;
}
