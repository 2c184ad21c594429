#include "benchlists.h"
#include "support/naivedraw.h"

#include "core/drawrun.h"

#include <benchmark/benchmark.h>

namespace
{

// Parse, draw every entry, and build both texts the window receives.
void BM_DrawAll(benchmark::State& state)
{
    const std::string listText = makeListText(int(state.range(0)));
    sortivo::DrawRng rng(42);
    for (auto _ : state) {
        sortivo::EntryList entries = sortivo::loadEntries(listText);
        const auto count = std::int32_t(entries.size());
        sortivo::DrawRun run(std::move(entries), std::string(), count, 0);
        run.drawAll(rng);
        std::string rest = run.remainingListText();
        std::string result = run.releaseResultText();
        benchmark::DoNotOptimize(rest);
        benchmark::DoNotOptimize(result);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_DrawAllNaive(benchmark::State& state)
{
    const std::string listText = makeListText(int(state.range(0)));
    sortivo::DrawRng rng(42);
    for (auto _ : state) {
        sortivo::EntryList entries = sortivo::loadEntries(listText);
        const auto count = int(entries.size());
        NaiveDrawResult out = naiveDraw(entries, std::string(), count, 0, rng);
        benchmark::DoNotOptimize(out);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

} // namespace

BENCHMARK(BM_DrawAll)->RangeMultiplier(10)->Range(1000, 1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawAllNaive)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);
