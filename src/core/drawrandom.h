#pragma once

#include <cstdint>
#include <random>

namespace sortivo
{

// mt19937's output sequence is fixed by the C++ standard, so a seed gives the same draw with
// every standard library; the seed itself comes from the operating system, once.
using DrawRng = std::mt19937;

DrawRng seededFromSystem();

// A uniform whole number in [0, bound) for bound > 0, without the bias that a modulo or a
// scaled float brings (Lemire's multiply-and-reject).
std::uint32_t uniformBelow(DrawRng& rng, std::uint32_t bound);

} // namespace sortivo
