#include "core/draw/drawpool.h"
#include "core/draw/drawrun.h"
#include "core/draw/drawwords.h"
#include "core/list/entrylist.h"
#include "core/text/percent.h"
#include "fuzzcheck.h"
#include "support/naivedraw.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <numeric>
#include <string>
#include <string_view>
#include <vector>

namespace
{

enum Mode { DrawOne, DrawAll, DrawChosen, DrawTeams };

constexpr std::size_t headerSize = 10;

struct Request {
    std::uint32_t seed;
    std::int32_t drawCount;
    int teamSize;
    std::int32_t stopAfter; // 0 when the user never presses stop
    bool finishAtOnce;      // the draws after the first stopAfter go through drawAll instead
    std::string initialResult;
    std::string_view listText;
};

// Bytes 0-3 pick the draw's words, byte 4 is the button, bytes 5-6 the chosen count, byte 7 the
// team size, byte 8 the draw after which stop is pressed, bit 0 of byte 9 whether results are
// already there, bit 1 of byte 9 whether the run then goes on at once through drawAll; the
// rest is the list.
Request readRequest(const std::uint8_t* data, std::size_t size, std::size_t entryCount)
{
    Request r;
    r.seed = std::uint32_t(data[0]) | std::uint32_t(data[1]) << 8 | std::uint32_t(data[2]) << 16 |
             std::uint32_t(data[3]) << 24;
    r.drawCount = std::int32_t(entryCount);
    r.teamSize = 0;
    switch (data[4] % 4) {
    case DrawOne:
        r.drawCount = 1;
        break;
    case DrawChosen:
        // Chosen counts may run past the list, and 0 is tried though the window never offers it.
        r.drawCount = std::int32_t(data[5] | data[6] << 8);
        break;
    case DrawTeams:
        r.teamSize = 2 + data[7] % 9;
        break;
    default:
        break;
    }
    r.stopAfter = data[8];
    r.finishAtOnce = (data[9] & 2) != 0;
    if ((data[9] & 1) != 0)
        r.initialResult = "old - result\r\n\r\nold";
    r.listText =
        std::string_view(reinterpret_cast<const char*>(data + headerSize), size - headerSize);
    return r;
}

// The pool against erasing from an array of indices, rank for rank: nothing may be lost,
// nothing drawn twice, and the entries left must keep their order.
void checkPool(std::size_t n, std::int32_t draws, std::uint32_t seed)
{
    std::vector<std::size_t> left(n);
    std::iota(left.begin(), left.end(), std::size_t(0));
    sortivo::DrawPool pool(n);
    std::vector<std::size_t> drawn;
    sortivo::DrawWords words = testWords(seed);
    for (std::int32_t i = 0; i < draws && !left.empty(); ++i) {
        const auto rank = sortivo::uniformBelow(words, std::uint32_t(left.size()));
        const std::size_t index = pool.takeAt(rank);
        FUZZ_CHECK(index == left[rank]);
        FUZZ_CHECK(pool.isTaken(index));
        drawn.push_back(index);
        left.erase(left.begin() + std::ptrdiff_t(rank));
        FUZZ_CHECK(pool.remaining() == left.size());
    }

    std::vector<int> seen(n, 0);
    for (std::size_t index : drawn)
        ++seen[index];
    std::size_t next = 0;
    for (std::size_t i = 0; i < n; ++i) {
        FUZZ_CHECK(pool.isTaken(i) == (seen[i] == 1));
        if (!pool.isTaken(i)) {
            FUZZ_CHECK(next < left.size() && left[next] == i);
            ++next;
        }
        FUZZ_CHECK(seen[i] <= 1);
    }
    FUZZ_CHECK(next == left.size());
    FUZZ_CHECK(drawn.size() + left.size() == n);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < headerSize)
        return 0;
    const std::string_view listText(reinterpret_cast<const char*>(data + headerSize),
                                    size - headerSize);
    const std::size_t entryCount = sortivo::loadEntries(std::string(listText)).size();
    const Request r = readRequest(data, size, entryCount);

    // Driven one draw at a time, as the window does right after letting events in, and then
    // possibly in one go, which takes the batched path.
    sortivo::DrawRun run(sortivo::loadEntries(std::string(r.listText)), r.initialResult,
                         r.drawCount, r.teamSize, testWords(r.seed));
    const bool stops = r.stopAfter != 0 || r.finishAtOnce;
    while (!run.finished() && !(stops && run.drawsDone() >= r.stopAfter)) {
        run.drawMany(1);
        FUZZ_CHECK(run.remainingCount() + std::size_t(run.drawsDone()) == entryCount);
        if (r.drawCount > 0) {
            const std::int64_t percent = sortivo::percentOf(run.drawsDone(), r.drawCount);
            FUZZ_CHECK(percent >= 0 && percent <= 100);
        }
    }
    if (r.finishAtOnce)
        run.drawAll();
    const std::int32_t draws = run.drawsDone();
    const std::int32_t wanted =
        r.stopAfter != 0 && !r.finishAtOnce ? std::min(r.drawCount, r.stopAfter) : r.drawCount;
    FUZZ_CHECK(draws == std::min<std::int32_t>(std::max(wanted, 0), std::int32_t(entryCount)));

    checkPool(entryCount, draws, r.seed);

    const NaiveDrawResult expected =
        naiveDraw(sortivo::loadEntries(std::string(r.listText)), r.initialResult, draws, r.teamSize,
                  testWords(r.seed));
    FUZZ_CHECK(run.resultText() == expected.resultText);
    FUZZ_CHECK(run.remainingListText() == expected.listText);
    return 0;
}
