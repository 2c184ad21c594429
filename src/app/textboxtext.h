#pragma once

#include <string>
#include <string_view>

class QPlainTextEdit;

// The engine reads and writes list and result texts with CR LF between lines, in UTF-8; a
// text box keeps each line as a block of its own. These convert at the boundary.
std::string boxText(const QPlainTextEdit& box);
void setBoxText(QPlainTextEdit& box, std::string_view text);
