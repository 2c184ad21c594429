#pragma once

#include <QIcon>
#include <QPixmap>

// The pictures of the toolbar buttons. The desktop's icon theme draws them when it has them,
// so the buttons match the rest of the desktop; our own small drawings stand in otherwise.
enum class ToolIcon { Open, NumberedList, Save, Print, Clear };

QIcon toolIcon(ToolIcon which);
// The program's logo, 50 x 50 logical pixels, sharp on a screen of the given pixel ratio.
QPixmap logoPixmap(qreal devicePixelRatio = 1.0);
QIcon programIcon();
