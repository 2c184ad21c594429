#pragma once

#include "core/draw/drawpool.h"
#include "core/draw/drawwords.h"
#include "core/draw/persongroups.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace sortivo
{

// The protocol's draw: `draws` positions from `words`, each taken out of `pool`, the same
// whoever draws, the window, the command line or the checker that replays a record. Calls
// take(index) for each entry drawn, in draw order.
//
// Positions are chosen a batch ahead so that the entries' memory is fetched for the whole
// batch at once rather than one cache miss after another: prefetchBounds(index) as soon as an
// index is known, then prefetchChars(index) for the batch, and the batch is taken only once the
// next one is chosen, which is the time those fetches need to arrive. A list that fetches
// nothing passes functions that do nothing. The outcome does not depend on the batch size, nor
// on how a run is cut into calls.
template <std::size_t batchSize, typename PrefetchBounds, typename PrefetchChars, typename Take>
void drawFromPool(DrawPool& pool, DrawWords& words, std::size_t draws,
                  PrefetchBounds prefetchBounds, PrefetchChars prefetchChars, Take take)
{
    // Taken a few at a time, so that where each entry starts is asked for as soon as it is
    // known and has come in by the time its characters are asked for.
    constexpr std::size_t takeChunk = 4;
    std::array<std::uint32_t, batchSize> ranks{};
    // The batch being chosen, and the one before it whose characters are on their way.
    std::array<std::array<std::size_t, batchSize>, 2> picked{};
    std::size_t waiting = 0;
    std::size_t side = 0;
    draws = std::min(draws, pool.remaining());
    while (draws > 0) {
        const std::size_t batch = std::min(batchSize, draws);
        const auto left = std::uint32_t(pool.remaining());
        for (std::size_t i = 0; i < batch; ++i)
            ranks[i] = uniformBelow(words, left - std::uint32_t(i));
        std::span<std::size_t> chosen(picked[side]);
        for (std::size_t i = 0; i < batch; i += takeChunk) {
            const std::size_t n = std::min(takeChunk, batch - i);
            pool.takeInOrder(std::span(ranks).subspan(i, n), chosen.subspan(i, n));
            for (std::size_t j = i; j < i + n; ++j)
                prefetchBounds(chosen[j]);
        }
        for (std::size_t i = 0; i < waiting; ++i)
            take(picked[1 - side][i]);
        for (std::size_t i = 0; i < batch; ++i)
            prefetchChars(chosen[i]);
        waiting = batch;
        side = 1 - side;
        draws -= batch;
    }
    for (std::size_t i = 0; i < waiting; ++i)
        take(picked[1 - side][i]);
}

// The same draw under the rule of one prize per person: each entry drawn withdraws at once,
// before the next draw, the entries of its person still in `pool`. Positions then depend on
// what each draw withdrew, so they are chosen one at a time. Calls withdrawn(index) for each
// entry withdrawn, after the take of its winner.
template <typename Take, typename Withdrawn>
void drawOnePerPerson(DrawPool& pool, DrawWords& words, std::size_t draws,
                      const PersonGroups& persons, Take take, Withdrawn withdrawn)
{
    for (; draws > 0 && pool.remaining() > 0; --draws) {
        const std::size_t index = pool.takeAt(uniformBelow(words, std::uint32_t(pool.remaining())));
        take(index);
        persons.forEachOtherTicket(index, [&](std::size_t other) {
            if (!pool.isTaken(other)) {
                pool.remove(other);
                withdrawn(other);
            }
        });
    }
}

} // namespace sortivo
