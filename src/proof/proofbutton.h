#pragma once

class QPushButton;
class QWidget;

// Adds cmdPreuve to the bottom bar `bar`, just left of `info`, and keeps it there as the bar
// follows the window. When the window is too narrow for it to fit between `link` and `info` it
// is hidden rather than laid over either.
QPushButton* addProofButton(QWidget* bar, QWidget* link, QWidget* info);
