#include "benchlists.h"
#include "support/naivedraw.h"

#include "core/draw/drawpool.h"
#include "core/draw/drawrun.h"
#include "core/proof/proofrecord.h"
#include "core/proof/proofsession.h"
#include "core/proof/proofverify.h"

#include <benchmark/benchmark.h>

namespace
{

// Parse, draw every entry as a provable run, and build both texts the window receives and
// what the record keeps of the run.
void drawAllOnce(const std::string& listText, bool onePrizePerPerson)
{
    sortivo::ProofSession session(sortivo::sha256("bench"));
    session.setOnePrizePerPerson(onePrizePerPerson);
    sortivo::EntryList entries = sortivo::loadEntries(listText);
    const auto count = std::int32_t(entries.size());
    sortivo::DrawRun run =
        session.beginRun(std::move(entries), {}, {sortivo::DrawMode::All, count, 0}, "");
    run.drawAll();
    session.endRun(run);
    std::string rest = run.remainingListText();
    std::string result = run.releaseResultText();
    benchmark::DoNotOptimize(rest);
    benchmark::DoNotOptimize(result);
}

void BM_DrawAll(benchmark::State& state)
{
    const std::string listText = makeListText(int(state.range(0)));
    for (auto _ : state)
        drawAllOnce(listText, false);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Tickets of many persons, each person's scattered over the list: entry i is a ticket of
// person (i × 7919) mod persons, the five of each person numbered 1 to 5.
std::string ticketListText(std::size_t tickets, std::size_t persons)
{
    std::string text;
    text.reserve(tickets * 32);
    for (std::size_t i = 0; i < tickets; ++i) {
        const std::size_t person = (i * 7919) % persons;
        text += "Personne " + std::to_string(person) + " (billet " +
                std::to_string(i / persons + 1) + "/" + std::to_string(tickets / persons) + ")";
        if (i + 1 < tickets)
            text += "\r\n";
    }
    return text;
}

// A draw of all over 5,000,000 tickets of 1,000,000 persons, as the window makes it, without
// the rule (0) and with one prize per person (1): grouping by person and withdrawing each
// winner's other tickets must cost at most as much again as the draw itself.
void BM_DrawAllTickets(benchmark::State& state)
{
    const std::string listText = ticketListText(5'000'000, 1'000'000);
    for (auto _ : state)
        drawAllOnce(listText, state.range(0) != 0);
}

void BM_DrawAllNaive(benchmark::State& state)
{
    const std::string listText = makeListText(int(state.range(0)));
    unsigned label = 0;
    for (auto _ : state) {
        sortivo::EntryList entries = sortivo::loadEntries(listText);
        const auto count = int(entries.size());
        NaiveDrawResult out = naiveDraw(entries, std::string(), count, 0, testWords(++label));
        benchmark::DoNotOptimize(out);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The picks alone, every entry taken at the ranks a run's words give, as a run takes them.
void BM_PoolTakeAll(benchmark::State& state)
{
    const auto count = std::size_t(state.range(0));
    std::vector<std::uint32_t> ranks(count);
    sortivo::DrawWords words = testWords(1);
    for (std::size_t k = 0; k < count; ++k)
        ranks[k] = sortivo::uniformBelow(words, std::uint32_t(count - k));
    std::vector<std::size_t> indexes(count);
    for (auto _ : state) {
        sortivo::DrawPool pool(count);
        pool.takeInOrder(ranks, indexes);
        benchmark::DoNotOptimize(indexes.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The words alone: what the protocol's hashing costs a draw.
void BM_Words(benchmark::State& state)
{
    sortivo::DrawWords words = testWords(1);
    for (auto _ : state)
        benchmark::DoNotOptimize(words.next());
    state.SetItemsProcessed(state.iterations());
}

// A session whose one run drew every entry, as saving the record of a long draw starts from.
sortivo::ProofSession drawnSession(int count)
{
    sortivo::ProofSession session(sortivo::sha256("bench"));
    sortivo::DrawRun run =
        session.beginRun(sortivo::loadEntries(makeListText(count)), {},
                         {sortivo::DrawMode::All, count, 0}, "2026-12-07T20:00:00Z");
    run.drawAll();
    session.endRun(run);
    return session;
}

void BM_WriteRecord(benchmark::State& state)
{
    const sortivo::ProofSession session = drawnSession(int(state.range(0)));
    for (auto _ : state) {
        std::string json = sortivo::recordJson(session, "Sortivo");
        benchmark::DoNotOptimize(json);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_VerifyRecord(benchmark::State& state)
{
    const std::string json = sortivo::recordJson(drawnSession(int(state.range(0))), "Sortivo");
    for (auto _ : state) {
        sortivo::VerifyResult result = sortivo::verifyRecord(json);
        if (!result.conforming)
            state.SkipWithError(result.message.c_str());
        benchmark::DoNotOptimize(result);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

} // namespace

BENCHMARK(BM_DrawAll)->RangeMultiplier(10)->Range(1000, 1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawAllTickets)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DrawAllNaive)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PoolTakeAll)->Arg(1000000)->Arg(5000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Words);
BENCHMARK(BM_WriteRecord)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VerifyRecord)->Arg(1000000)->Unit(benchmark::kMillisecond);
