#pragma once

#include <cstdint>
#include <string>

namespace sortivo
{

// Progress as users read it: a whole percentage, halves away from zero, then "%".
std::int64_t percentOf(std::int64_t done, std::int64_t total);
std::string percentText(std::int64_t percent);

} // namespace sortivo
