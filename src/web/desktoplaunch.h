#pragma once

#include <QString>

#include <functional>

// Starts the application of a desktop entry file on one address, the way the desktop does:
// its Exec line with field codes, wrappers, options and environment, no shell of ours and no
// program looked up in the current folder. False when it could not be started. When the
// program ends with an error within moments of starting, `failedEarly` runs later on this
// thread (through the GLib main loop that Qt's event loop drives on Linux).
bool launchDesktopEntry(const QString& entryFile, const QString& url,
                        std::function<void()> failedEarly);
