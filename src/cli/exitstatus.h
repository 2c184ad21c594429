#pragma once

#include <string>

// What every command tells the shell, so that a script tests the same numbers whichever command
// it ran.
namespace exitstatus
{

constexpr int done = 0;
// The list, a file or a record refused, or a record that does not conform.
constexpr int badInput = 1;
// Options the command does not understand.
constexpr int usageError = 2;

} // namespace exitstatus

// A command's refusal: the sentence it writes on standard error and the status it ends with.
struct CommandRefusal {
    std::string text;
    int status = exitstatus::badInput;
};
