#include "proof/proofbutton.h"

#include "widgets/barbutton.h"

#include <QPushButton>

QPushButton* addProofButton(QWidget* bar, QWidget* link, QWidget* info)
{
    return addBarButton(bar, link, info, QStringLiteral("Preuve du tirage"),
                        QStringLiteral("cmdPreuve"));
}
