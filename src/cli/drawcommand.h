#pragma once

#include "cli/drawcommandoptions.h"

#include <string>

// Runs `sortivo tirer` once its options are read: reads the list, draws with the proof
// protocol's words, writes the results to the standard output and the record where asked.
// Returns the exit status: 0 done, 1 bad input (told in French on the standard error).
int runDrawCommand(const DrawCommandOptions& options, const std::string& software);
