#include "core/drawrandom.h"

#include <array>

namespace sortivo
{

DrawRng seededFromSystem()
{
    std::random_device device;
    std::array<std::uint32_t, 8> words{};
    for (auto& w : words)
        w = device();
    std::seed_seq seq(words.begin(), words.end());
    return DrawRng(seq);
}

std::uint32_t uniformBelow(DrawRng& rng, std::uint32_t bound)
{
    std::uint64_t product = std::uint64_t(rng()) * bound;
    auto low = std::uint32_t(product);
    if (low < bound) {
        const std::uint32_t threshold = (0u - bound) % bound;
        while (low < threshold) {
            product = std::uint64_t(rng()) * bound;
            low = std::uint32_t(product);
        }
    }
    return std::uint32_t(product >> 32);
}

} // namespace sortivo
