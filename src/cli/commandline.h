#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What the command line asks for: either an answer printed at once (help, version, a mistake),
// after which the program ends with `exitStatus`, or the window, with a list file to open.
struct StartRequest {
    std::optional<int> exitStatus;
    QString listFile;
};

// Reads the arguments (the program's name first) and prints any answer on the standard output
// or, for a mistake, on the standard error. Needs a QCoreApplication, none with a display.
StartRequest readCommandLine(const QStringList& arguments);

// "Sortivo, version 1.30"
QString versionLine();
// "Sortivo 1.30", as records name the program that wrote them.
QString softwareName();
