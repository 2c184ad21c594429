#pragma once

#include "core/io/unreadlines.h"

#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace sortivo
{

struct DecodedList {
    enum class Status { Ok, NotText, TooManyLines, LineTooLong } status = Status::Ok;
    std::string listText; // UTF-8, lines joined by CR LF, none after the last
    std::optional<UnreadLines> unread = std::nullopt;
};

// What the caller can show: a list past these is refused before its text is built.
struct DecodeLimits {
    std::size_t maxLines = std::numeric_limits<std::size_t>::max();
    std::size_t maxLineChars = std::numeric_limits<std::size_t>::max(); // code points
};

// Reads the bytes of an opened file into a list text. UTF-16 when the file opens with a UTF-16
// byte-order mark (Notepad's "Unicode"), else UTF-8 when every byte of the file is valid UTF-8,
// Windows-1252 otherwise: old lists were saved by Notepad in the ANSI code page, and one stray
// byte must not turn a whole list into replacement characters. Reading stops at the first empty
// line, so notes kept below a blank line are not drawn. A DOS end-of-file mark as the very last
// character is not part of the list. Line and paragraph separators and the two characters that
// text boxes take for frame marks become spaces, so that a line of the file stays one entry.
DecodedList decodeListFile(std::string_view bytes, const DecodeLimits& limits = {});

// The whole text of a file as UTF-8, by the same choice of encoding as decodeListFile, its
// mark dropped and its lines as they are: a table's rows run past empty lines and its quoted
// cells hold line ends. Nothing when the bytes are not text.
std::optional<std::string> decodeTextFile(std::string_view bytes);

// The bytes Save writes for a result text: the text and one final CR LF, without a BOM so
// that other tools see the first entry as it is.
std::string encodeResultFile(std::string_view resultText);

} // namespace sortivo
