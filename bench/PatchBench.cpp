// Load, swap and save of generated patches from about a thousand to about a
// million lines, beside the floor for the job: splitting the same bytes into
// lines and joining them again without parsing.
#include <benchmark/benchmark.h>

#include <string>

#include "patch/PatchDefs.h"

using namespace permuto;

namespace {

// A patch with Modules modules in each area, every section filled: about
// five lines per module. Its cables chain each module into the next; with
// Backwards, each into the one before, so that every connection is late.
std::string GeneratePatch(int Modules, bool Backwards = false)
{
    std::string Text = "[Header]\r\nVersion=Benchmark\r\n0 127 0 127 0 0 0 1 4000 2 0 0 0 0 0 0 1 1 1 1 1 1 1\r\n"
                       "[/Header]\r\n";
    for (int Area : {1, 0}) {
        const std::string A = std::to_string(Area);
        Text += "[ModuleDump]\r\n" + A + "\r\n";
        for (int I = 1; I <= Modules; ++I)
            Text += std::to_string(I) + " " + std::to_string(I % 40 + 1) + " " + std::to_string(I % 7) + " " +
                    std::to_string(I % 50) + "\r\n";
        Text += "[/ModuleDump]\r\n[CableDump]\r\n" + A + "\r\n";
        for (int I = 1; I < Modules; ++I)
            Text += std::to_string(I % 7) + " " + std::to_string(Backwards ? I + 1 : I) + " 0 1 " +
                    std::to_string(Backwards ? I : I + 1) + " 1 0\r\n";
        Text += "[/CableDump]\r\n[ParameterDump]\r\n" + A + "\r\n";
        for (int I = 1; I <= Modules; ++I)
            Text += std::to_string(I) + " " + std::to_string(I % 40 + 1) + " 4 64 0 127 " + std::to_string(I % 128) +
                    "\r\n";
        Text += "[/ParameterDump]\r\n[CustomDump]\r\n" + A + "\r\n";
        for (int I = 1; I <= Modules; I += 2)
            Text += std::to_string(I) + " 2 1 0\r\n";
        Text += "[/CustomDump]\r\n[NameDump]\r\n" + A + "\r\n";
        for (int I = 1; I <= Modules; ++I)
            Text += std::to_string(I) + (I % 3 ? " Module" + std::to_string(I) : " \"Module " + std::to_string(I) + "\"") +
                    "\r\n";
        Text += "[/NameDump]\r\n";
    }
    Text += "[KnobMapDump]\r\n";
    for (int I = 1; I <= Modules; I += 10)
        Text += "1 " + std::to_string(I) + " 0 " + std::to_string(I % 128) + "\r\n";
    Text += "[/KnobMapDump]\r\n[Notes]\r\nGenerated.\r\n[/Notes]\r\n";
    return Text;
}

int ModulesFor(const benchmark::State& State)
{
    return static_cast<int>(State.range(0));
}

void LinesOf(benchmark::State& State)
{
    const std::string Bytes = GeneratePatch(ModulesFor(State));
    TStringList Lines;
    Lines.SetText(Bytes);
    State.counters["lines"] = Lines.Count();
    State.SetComplexityN(Lines.Count());
}

void BM_Floor_SplitAndJoin(benchmark::State& State)
{
    const std::string Bytes = GeneratePatch(ModulesFor(State));
    for (auto _ : State) {
        TStringList Lines;
        Lines.SetText(Bytes);
        std::string Out = Lines.Text();
        benchmark::DoNotOptimize(Out);
    }
    State.SetBytesProcessed(static_cast<int64_t>(State.iterations()) * static_cast<int64_t>(Bytes.size()) * 2);
    LinesOf(State);
}

void BM_Load(benchmark::State& State)
{
    const std::string Bytes = GeneratePatch(ModulesFor(State));
    TPatchDef Patch;
    for (auto _ : State) {
        TStringList Lines;
        Lines.SetText(Bytes);
        Patch.LoadFromStrings(Lines);
    }
    State.SetBytesProcessed(static_cast<int64_t>(State.iterations()) * static_cast<int64_t>(Bytes.size()));
    LinesOf(State);
}

// Loads the generated patch into Patch and gives its bytes.
std::string LoadGenerated(const benchmark::State& State, TPatchDef& Patch)
{
    std::string Bytes = GeneratePatch(ModulesFor(State));
    TStringList Lines;
    Lines.SetText(Bytes);
    Patch.LoadFromStrings(Lines);
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
    for (auto _ : State) {
        TStringList Out;
        Patch.SaveToStrings(Out);
        std::string Text = Out.Text();
        benchmark::DoNotOptimize(Text);
    }
    State.SetBytesProcessed(static_cast<int64_t>(State.iterations()) * static_cast<int64_t>(Bytes.size()));
    LinesOf(State);
}

// Ordering a poly area whose chain runs backwards: every module moves.
void BM_Order(benchmark::State& State)
{
    const std::string Bytes = GeneratePatch(ModulesFor(State), true);
    TStringList Lines;
    Lines.SetText(Bytes);
    TPatchDef Patch;
    Patch.LoadFromStrings(Lines);
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
BENCHMARK(BM_Load)->PATCH_SIZES;
BENCHMARK(BM_Swap)->PATCH_SIZES;
BENCHMARK(BM_Save)->PATCH_SIZES;
BENCHMARK(BM_Order)->PATCH_SIZES;

} // namespace

BENCHMARK_MAIN();
