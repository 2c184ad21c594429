#include "core/percent.h"

#include <cmath>

namespace sortivo
{

std::int64_t percentOf(std::int64_t done, std::int64_t total)
{
    return std::llround(double(done) / double(total) * 100.0);
}

std::string percentText(std::int64_t percent)
{
    return std::to_string(percent) + "%";
}

} // namespace sortivo
