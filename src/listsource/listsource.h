#pragma once

#include "core/io/textdecode.h"
#include "core/list/celltable.h"
#include "core/text/expected.h"
#include "listsource/listfilerefusal.h"
#include "sheets/sheetbook.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// A list file as the window's Open and `sortivo tirer` both take it: a plain file (or the
// standard input) of at most largestListFile bytes, a spreadsheet told by its content and a
// delimited file by its name. A text list comes back as its bytes, each front end decoding
// them its own way: the window for its list box, `tirer` in place for a draw of millions.
struct ListFile {
    // Stopped by a cancel; what was read is then to be dropped.
    bool cancelled = false;

    // A text list's bytes, as they are in the file.
    std::string text;
    // A spreadsheet's sheets, or a delimited file as one sheet; empty for a text list.
    std::vector<sortivo::Sheet> sheets;
    // A delimited file's text, to be read again at another separator.
    std::optional<std::string> delimitedText;
    char separator = sortivo::noSeparator;
};

struct ListFileRequest {
    // The file's name as the system spells it; empty for the standard input, which is never
    // taken for a delimited file.
    std::string path;
    // Looked at between pieces of the file and of a spreadsheet.
    const std::atomic<bool>* cancelled = nullptr;
    // Told the bytes read so far after each whole piece (a file read in one piece tells
    // nothing), on the reading thread.
    std::function<void(std::int64_t)> pieceRead;
};

// What is refused without reading: a folder, anything but a plain file (a pipe would wait for
// a writer and a device may never end), a file past the largest size. A file that cannot be
// looked at is left to the reading, which tells why.
std::optional<ListFileRefusal> refusalBeforeReading(const std::string& path);

// The file, or why both front ends refuse it.
sortivo::Expected<ListFile, ListFileRefusal> readListFile(const ListFileRequest& request);

// Why a text list that decodeListFile or ListFileEntries did not take is refused.
ListFileRefusal::Reason decodeRefusal(sortivo::DecodedList::Status status);
