#pragma once

#include "cli/drawcommandoptions.h"

#include <QStringList>

#include <optional>

// Reads the arguments of `sortivo tirer` (the program's name and "tirer" first). Prints the
// help, or a mistake with the usage on the standard error, and then gives nothing and sets
// `exitStatus` (0 after help, 2 after a mistake). Needs a QCoreApplication.
std::optional<DrawCommandOptions> readDrawCommandLine(const QStringList& arguments,
                                                      int& exitStatus);
