#pragma once

#include <string>

// What `sortivo tirer` was asked, checked for form: the command line is read with Qt, the draw
// itself runs without it.
struct DrawCommandOptions {
    enum class Mode { Count, One, All, Teams };

    std::string listPath; // "-" for the standard input; empty with `commitOnly`
    Mode mode = Mode::All;
    int count = 0;    // Mode::Count
    int teamSize = 0; // Mode::Teams
    std::string publicValue;
    std::string seedHex; // 64 lowercase hex digits to replay, or empty
    std::string seedFile;
    std::string recordPath;
    bool commitOnly = false;
    bool crlf = false;
};
