#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sortivo
{

// How the thousands of a number are set apart. A narrow no-break space is French typography
// and never lets a line break inside a number; the audience screen shows a plain space, and a
// record and the command line write bare figures, which a script or a checker reads back.
enum class Thousands { NarrowSpace, Space, None };

// A count as French writes it: 125 000.
std::string frenchNumber(std::uint64_t n, Thousands thousands = Thousands::NarrowSpace);

// The count and its noun, in the plural past one as French has it (0 and 1 are singular):
// "1 entrée", "2 entrées", "0 équipe".
std::string frenchCount(std::uint64_t n, std::string_view one, std::string_view many,
                        Thousands thousands = Thousands::NarrowSpace);

} // namespace sortivo
