// Load, swap and save of generated patches from about a thousand to about a
// million lines, beside the floor for the job: splitting the same bytes into
// lines and joining them again without parsing.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <set>
#include <string>

#include "SyntheticPatch.h"
#include "flow/FewestLate.h"
#include "flow/PatchFlow.h"
#include "patch/PatchDefs.h"

using namespace permuto;
using permuto::bench::GeneratePatch;

namespace {

int ModulesFor(const benchmark::State& State)
{
    return static_cast<int>(State.range(0));
}

void LinesOf(benchmark::State& State)
{
    const std::string Bytes = GeneratePatch(ModulesFor(State));
    const TLineTable Lines(Bytes);
    State.counters["lines"] = Lines.Count();
    State.SetComplexityN(Lines.Count());
}

void BM_Floor_SplitAndJoin(benchmark::State& State)
{
    const std::string Bytes = GeneratePatch(ModulesFor(State));
    for (auto _ : State) {
        const TLineTable Lines(Bytes);
        TLineWriter Out([](std::string_view Piece) { benchmark::DoNotOptimize(Piece.data()); });
        for (const std::string_view Line : Lines)
            Out.Add(Line);
        Out.Flush();
    }
    State.SetBytesProcessed(static_cast<int64_t>(State.iterations()) * static_cast<int64_t>(Bytes.size()) * 2);
    LinesOf(State);
}

void BM_Load(benchmark::State& State)
{
    const std::string Bytes = GeneratePatch(ModulesFor(State));
    TPatchDef Patch;
    for (auto _ : State) {
        Patch.LoadFromStrings(TPatchText(Bytes));
    }
    State.SetBytesProcessed(static_cast<int64_t>(State.iterations()) * static_cast<int64_t>(Bytes.size()));
    LinesOf(State);
}

// Loads the generated patch into Patch and gives its bytes.
std::string LoadGenerated(const benchmark::State& State, TPatchDef& Patch)
{
    std::string Bytes = GeneratePatch(ModulesFor(State));
    Patch.LoadFromStrings(TPatchText(Bytes));
    return Bytes;
}

void BM_Swap(benchmark::State& State)
{
    TPatchDef Patch;
    const std::string Bytes = LoadGenerated(State, Patch);
    for (auto _ : State)
        Patch.SwapModules(AreaPoly, 3, ModulesFor(State) / 2);
    State.SetBytesProcessed(static_cast<int64_t>(State.iterations()) * static_cast<int64_t>(Bytes.size()));
    LinesOf(State);
}

void BM_Save(benchmark::State& State)
{
    TPatchDef Patch;
    const std::string Bytes = LoadGenerated(State, Patch);
    Patch.SwapModules(AreaPoly, 3, ModulesFor(State) / 2); // a save of a changed patch
    for (auto _ : State) {
        // As a save makes its text: piece by piece, each handed on (here to nothing).
        Patch.WriteText([](std::string_view Piece) { benchmark::DoNotOptimize(Piece.data()); });
    }
    State.SetBytesProcessed(static_cast<int64_t>(State.iterations()) * static_cast<int64_t>(Bytes.size()));
    LinesOf(State);
}

// Ordering a poly area whose chain runs backwards: every module moves.
void BM_Order(benchmark::State& State)
{
    const std::string Bytes = GeneratePatch(ModulesFor(State), true);
    TPatchDef Patch;
    Patch.LoadFromStrings(TPatchText(Bytes));
    for (auto _ : State) {
        const TRenumbering Map = SignalFlowOrder(Patch, AreaPoly);
        Patch.Renumber(AreaPoly, Map);
        State.PauseTiming();
        Patch.Renumber(AreaPoly, Map.Inverse());
        State.ResumeTiming();
    }
    State.counters["modules"] = ModulesFor(State);
    LinesOf(State);
}

// One feedback loop of N modules in a random order, each feeding the next,
// two random others and back to the first: the fewest-late arrangement by
// local search, whose work is bounded.
void BM_FewestLateLoop(benchmark::State& State)
{
    const uint32_t N = static_cast<uint32_t>(State.range(0));
    std::mt19937 Random(5);
    std::vector<uint32_t> Label(N);
    std::iota(Label.begin(), Label.end(), 0u);
    std::shuffle(Label.begin(), Label.end(), Random);
    std::set<std::pair<uint32_t, uint32_t>> Unique;
    for (uint32_t I = 0; I < N; ++I) {
        Unique.insert({Label[I], Label[(I + 1) % N]});
        for (int Extra = 0; Extra < 2; ++Extra)
            if (const uint32_t J = Random() % N; J != I)
                Unique.insert({Label[I], Label[J]});
    }
    const TFeedPairs Feeds(Unique.begin(), Unique.end());
    std::vector<uint32_t> Kept(N);
    std::iota(Kept.begin(), Kept.end(), 0u);
    uint64_t Late = 0;
    for (auto _ : State)
        Late = LateFeeds(FewestLateOrder(N, Feeds).Order, Feeds);
    State.counters["late before"] = static_cast<double>(LateFeeds(Kept, Feeds));
    State.counters["late after"] = static_cast<double>(Late);
}

// 100 modules per area is about a thousand lines; 100000 about a million.
#define PATCH_SIZES Arg(100)->Arg(1000)->Arg(10000)->Arg(30000)->Arg(100000)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_Floor_SplitAndJoin)->PATCH_SIZES;
BENCHMARK(BM_Load)->PATCH_SIZES->UseRealTime(); // large patches read on two threads
BENCHMARK(BM_Swap)->PATCH_SIZES;
BENCHMARK(BM_Save)->PATCH_SIZES;
BENCHMARK(BM_Order)->PATCH_SIZES;
BENCHMARK(BM_FewestLateLoop)->Arg(200)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
