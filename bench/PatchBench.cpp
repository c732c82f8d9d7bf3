// Load, swap and save of generated patches from about a thousand to about a
// million lines, beside the floor for the job: splitting the same bytes into
// lines and joining them again without parsing.
#include <benchmark/benchmark.h>

#include <string>

#include "SyntheticPatch.h"
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
        Patch.SwapModules(1, 3, ModulesFor(State) / 2);
    State.SetBytesProcessed(static_cast<int64_t>(State.iterations()) * static_cast<int64_t>(Bytes.size()));
    LinesOf(State);
}

void BM_Save(benchmark::State& State)
{
    TPatchDef Patch;
    const std::string Bytes = LoadGenerated(State, Patch);
    Patch.SwapModules(1, 3, ModulesFor(State) / 2); // a save of a changed patch
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
        const TRenumbering Map = Patch.OrderBySignalFlow(AreaPoly);
        State.PauseTiming();
        Patch.Renumber(AreaPoly, Map.Inverse());
        State.ResumeTiming();
    }
    State.counters["modules"] = ModulesFor(State);
    LinesOf(State);
}

// 100 modules per area is about a thousand lines; 100000 about a million.
#define PATCH_SIZES Arg(100)->Arg(1000)->Arg(10000)->Arg(30000)->Arg(100000)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_Floor_SplitAndJoin)->PATCH_SIZES;
BENCHMARK(BM_Load)->PATCH_SIZES->UseRealTime(); // large patches read on two threads
BENCHMARK(BM_Swap)->PATCH_SIZES;
BENCHMARK(BM_Save)->PATCH_SIZES;
BENCHMARK(BM_Order)->PATCH_SIZES;

} // namespace

BENCHMARK_MAIN();
