#pragma once

#include <chrono>
#include <cstddef>

// How much work the next slice on the main loop may do, from what the last one cost: a slice
// that took twice its time halves, one that took half doubles, so that a slice settles near
// `target` on any machine without one slow slice sending the next to nothing.
class SliceBudget
{
public:
    SliceBudget(std::chrono::milliseconds target, std::size_t floor)
        : m_target(target), m_floor(floor)
    {
    }

    // The size of the slice after one of `last` that took `spent`; never below the floor.
    std::size_t next(std::size_t last, std::chrono::nanoseconds spent) const;

private:
    std::chrono::milliseconds m_target;
    std::size_t m_floor;
};
