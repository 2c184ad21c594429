#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace sortivo
{

// Width of a piece of text in the printer's units; the caller measures with the printer font.
using MeasureText = std::function<float(std::string_view)>;

// Breaks a result text into the lines printed on paper. Lines of the text are cut only at CR LF
// and, when one does not fit, only at single spaces, the way the old program printed: a word
// wider than the page is printed whole rather than cut, because a name cut in two is worse
// than a name running into the margin.
std::vector<std::string> wrapLines(std::string_view text, float maxWidth,
                                   const MeasureText& measure);

} // namespace sortivo
