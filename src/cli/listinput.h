#pragma once

#include <string>

// The bytes of a list file, or of the standard input for "-", checked as Open checks a file:
// only a plain file, at most 256 MiB. `error` is the French message to show, or empty.
struct ListInput {
    std::string bytes;
    std::string error;
};

ListInput readListInput(const std::string& path);
