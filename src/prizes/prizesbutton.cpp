#include "prizes/prizesbutton.h"

#include "widgets/barbutton.h"

#include <QPushButton>

QPushButton* addPrizesButton(QWidget* bar, QWidget* link, QPushButton* cmdEcran,
                             QPushButton* cmdPreuve)
{
    QPushButton* button =
        addBarButton(bar, link, cmdEcran, QStringLiteral("Lots…"), QStringLiteral("cmdLots"));
    for (QPushButton* other : {cmdEcran, cmdPreuve})
        other->resize(button->size());
    return button;
}
