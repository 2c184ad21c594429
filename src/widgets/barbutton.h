#pragma once

class QPushButton;
class QString;
class QWidget;

// Adds a button named `name` to the bottom bar `bar`, just left of `neighbour`, as wide as
// `neighbour` at least, and keeps it there as the bar follows the window. When the window is too
// narrow for it to fit right of `link` it is hidden rather than laid over the link. It comes
// just before `neighbour` in the tab order, as the bar reads from left to right.
QPushButton* addBarButton(QWidget* bar, QWidget* link, QWidget* neighbour, const QString& text,
                          const QString& name);
