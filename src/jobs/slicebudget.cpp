#include "jobs/slicebudget.h"

#include <algorithm>

std::size_t SliceBudget::next(std::size_t last, std::chrono::nanoseconds spent) const
{
    // Below a millisecond the clock says more about the system than about the work.
    const double spentMs = std::max(1.0, std::chrono::duration<double, std::milli>(spent).count());
    const double ratio = std::clamp(double(m_target.count()) / spentMs, 0.5, 2.0);
    return std::max(m_floor, std::size_t(double(last) * ratio));
}
