#pragma once

#include <string>
#include <string_view>

namespace sortivo
{

struct DecodedList {
    enum class Status { Ok, NotText } status = Status::Ok;
    std::string listText; // UTF-8, lines joined by CR LF, none after the last
};

// Reads the bytes of an opened file into a list text. UTF-8 when every byte of the file is
// valid UTF-8, Windows-1252 otherwise: old lists were saved by Notepad in the ANSI code page,
// and one stray byte must not turn a whole list into replacement characters. Reading stops at
// the first empty line, so notes kept below a blank line are not drawn.
DecodedList decodeListFile(std::string_view bytes);

// The bytes Save writes for a result text: the text and one final CR LF, without a BOM so
// that other tools see the first entry as it is.
std::string encodeResultFile(std::string_view resultText);

} // namespace sortivo
