#pragma once

#include <QString>

// The title of the program's windows and of every message box that names no other.
inline QString appTitle()
{
    return QStringLiteral("Sortivo");
}
