#include "benchlists.h"

#include "core/proof/proofsession.h"
#include "journal/journalreader.h"
#include "journal/journalstore.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace
{

// A folder of its own on the disk the journals would be on, gone with the benchmark.
class BenchFolder
{
public:
    BenchFolder()
    {
        std::string name = (std::filesystem::temp_directory_path() / "bench_journal.XXXXXX");
        if (!::mkdtemp(name.data()))
            throw std::runtime_error("mkdtemp");
        m_path = name;
    }
    ~BenchFolder() { std::filesystem::remove_all(m_path); }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

sortivo::JournalRunStart runStart(std::int64_t number, std::size_t entries, bool onLeftover)
{
    return {number,  "2026-12-07T20:00:00Z", {sortivo::DrawMode::Chosen, 1000, 0}, true, onLeftover,
            entries, "fingerprint"};
}

// One progress written as the window writes it between two slices of draws: a transaction
// that reaches the disk (synchronous=FULL), which bounds how often the window may write one.
void BM_JournalProgress(benchmark::State& state)
{
    BenchFolder folder;
    auto store = sortivo::JournalStore::create(folder.path(), sortivo::sha256("bench"),
                                               "2026-12-07T20:00:00Z");
    store.beginRun(runStart(1, 1000, false), std::string("a"), std::nullopt);
    std::int32_t draws = 0;
    for (auto _ : state)
        store.progress(1, ++draws);
    state.SetItemsProcessed(state.iterations());
}

// A click on a list the journal does not have yet: the list text goes with the run's start.
void BM_JournalBeginRunWithList(benchmark::State& state)
{
    BenchFolder folder;
    const std::string list = makeListText(int(state.range(0)));
    auto store = sortivo::JournalStore::create(folder.path(), sortivo::sha256("bench"),
                                               "2026-12-07T20:00:00Z");
    std::int64_t number = 0;
    for (auto _ : state) {
        ++number;
        store.beginRun(runStart(number, std::size_t(state.range(0)), false), list, std::nullopt);
        store.endRun(number, 1000);
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(list.size()));
}

// Reading back a crashed session of one long list drawn from click after click, and replaying
// it: what the start of the next window waits for.
void BM_JournalReadAndReplay(benchmark::State& state)
{
    BenchFolder folder;
    const std::string list = makeListText(int(state.range(0)));
    const int runs = 20;
    std::string path;
    {
        sortivo::ProofSession proof(sortivo::sha256("bench"));
        auto store =
            sortivo::JournalStore::create(folder.path(), proof.seed(), "2026-12-07T20:00:00Z");
        path = store.path();
        std::string text = list;
        for (std::int64_t number = 1; number <= runs; ++number) {
            const sortivo::DrawRequest request{sortivo::DrawMode::Chosen, 1000, 0};
            const bool onLeftover = number > 1;
            sortivo::DrawRun run =
                onLeftover ? proof.beginRunOnLeftover({true}, request, "2026-12-07T20:00:00Z")
                           : proof.beginRun(sortivo::loadEntries(text), {true}, request,
                                            "2026-12-07T20:00:00Z");
            const sortivo::RunRecord& open = *proof.openRun();
            store.beginRun(
                {number, open.date, request, true, onLeftover, open.entryCount, open.fingerprint},
                onLeftover ? std::nullopt : std::optional<std::string_view>(text), std::nullopt);
            run.drawAll();
            store.endRun(number, run.drawsDone());
            proof.endRun(run);
        }
    }
    for (auto _ : state) {
        const sortivo::ResumedSession resumed =
            sortivo::replayJournal(sortivo::readJournal(path).value()).value();
        benchmark::DoNotOptimize(resumed.resultCount);
    }
    state.SetItemsProcessed(state.iterations() * runs);
}

} // namespace

BENCHMARK(BM_JournalProgress)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JournalBeginRunWithList)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JournalReadAndReplay)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
