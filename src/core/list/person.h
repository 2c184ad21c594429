#pragma once

#include <string_view>

namespace sortivo
{

// The person an entry stands for, when a raffle sells several tickets to one person: the entry
// without its ticket mark, or the entry itself when it has none. The mark is exactly a space,
// "(billet ", one or more digits 0-9, "/", one or more digits 0-9 and ")" at the very end of the
// entry; the digits are text, so "(billet 0/0)" and "(billet 007/12)" are marks too. Only that
// one mark goes: "A (billet 1/2) (billet 1/2)" is the person "A (billet 1/2)". Nothing else is
// trimmed or folded: the checkers of a record redo this byte for byte.
std::string_view personOf(std::string_view entry);

} // namespace sortivo
