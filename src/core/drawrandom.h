#pragma once

#include <cstdint>
#include <random>

namespace sortivo
{

// std::mt19937 to the bit: its output sequence is fixed by the C++ standard, so a seed gives
// the same draw with every standard library. Spelled out with 32-bit state words, where
// std::mt19937 takes uint_fast32_t (64 bits with glibc), which makes it four times slower.
// The seed itself comes from the operating system, once.
using DrawRng =
    std::mersenne_twister_engine<std::uint32_t, 32, 624, 397, 31, 0x9908b0df, 11, 0xffffffff, 7,
                                 0x9d2c5680, 15, 0xefc60000, 18, 1812433253>;

DrawRng seededFromSystem();

// A uniform whole number in [0, bound) for bound > 0, without the bias that a modulo or a
// scaled float brings (Lemire's multiply-and-reject).
std::uint32_t uniformBelow(DrawRng& rng, std::uint32_t bound);

} // namespace sortivo
