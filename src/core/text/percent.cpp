#include "core/text/percent.h"

#include <cmath>

namespace sortivo
{

std::int64_t percentOf(std::int64_t done, std::int64_t total)
{
    // 0 / 0 would show as the lowest 64-bit number; a run with nothing to do is complete.
    if (total <= 0)
        return 100;
    return std::llround(double(done) / double(total) * 100.0);
}

std::string percentText(std::int64_t percent)
{
    return std::to_string(percent) + "%";
}

} // namespace sortivo
