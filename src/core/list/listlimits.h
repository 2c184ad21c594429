#pragma once

#include "core/io/textdecode.h"

#include <cstddef>

namespace sortivo
{

// What a list file may hold, for the window's Open and for `sortivo tirer` alike: a list read
// by a script must be one the window could open. A list is names, not a disk image: past
// 256 MiB a file is refused rather than read into memory. Five million lines (about 100 MB)
// open in about 23 s, the window answering all along, and the list box keeps about 1 GB for
// them (bench_window BM_WindowOpen, bench_window_memory). A key typed in a line costs about
// 1 ms per thousand characters of the line, so at 100,000 characters the box still answers
// within a tenth of a second (bench_window BM_KeyInLongLine).
inline constexpr std::size_t largestListFile = std::size_t(256) * 1024 * 1024;
inline constexpr DecodeLimits listFileLimits{5'000'000, 100'000};

// What a table read from a spreadsheet or a delimited file may hold, counted as it is built so
// that a small hostile file is refused before it takes gigabytes: the lines of a list and a
// row of titles; the columns of a spreadsheet, A to XFD; in one cell, the bytes of a list's
// longest line at four bytes a character; in all cells together, a text repeated or shared
// counted each time it shows, the bytes of the largest list file, so that no list made of
// them can be longer; and cells whose index, four bytes each, weighs no more than that file.
struct TableLimits {
    std::size_t rows;
    std::size_t columns;
    std::size_t cellBytes;
    std::size_t textBytes;
    std::size_t cells;
};
inline constexpr TableLimits tableLimits{listFileLimits.maxLines + 1, 16384,
                                         4 * listFileLimits.maxLineChars, largestListFile,
                                         largestListFile / 4};

} // namespace sortivo
