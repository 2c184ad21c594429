#pragma once

#include <string>
#include <string_view>

namespace sortivo
{

// A text box's document ends its paragraphs with U+2029 and breaks lines within one with
// U+2028; the engine's texts end lines with CR LF. Both run in one pass: with Qt's own
// character replacement a million lines took most of a second.

// `boxUtf8` is a document's raw text in UTF-8; every separator becomes CR LF, the marks that
// open and close a frame or a table cell too, so that each block of the document is a line.
std::string listTextFromBox(std::string boxUtf8);

// CR LF becomes LF, which a box reads as one line break where it would make two of CR LF.
std::string boxTextFromList(std::string_view listText);

} // namespace sortivo
