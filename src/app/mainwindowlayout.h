#pragma once

#include <QSize>

struct MainWindowUi;

// The smallest client area for which the layout rules give no negative width or height.
QSize minimumClientSize();

// Moves and stretches the controls that follow the window's size, for a client area of
// `clientSize` logical pixels.
void applyWindowLayout(MainWindowUi& ui, QSize clientSize);
