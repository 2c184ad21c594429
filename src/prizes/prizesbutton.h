#pragma once

class QPushButton;
class QWidget;

// Adds cmdLots, "Lots…", to the bottom bar `bar` just left of `cmdEcran`, as wide as it and
// `cmdPreuve` (all three as wide as the widest), hidden rather than laid over `link` on a
// narrow window.
QPushButton* addPrizesButton(QWidget* bar, QWidget* link, QPushButton* cmdEcran,
                             QPushButton* cmdPreuve);
