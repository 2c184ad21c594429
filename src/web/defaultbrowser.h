#pragma once

#include <QString>

// The desktop entry file of the application that the desktop opens `url` with: the default
// handler of the address's scheme, else the default application for HTML files. Empty when
// neither is known or its program cannot be found.
QString findDefaultBrowser(const QString& url);
