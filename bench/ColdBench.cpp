// A patch as a user meets it: one fresh permuto-cli process loads a generated
// patch, renumbers it and saves it, timed against cp of the same file in the
// same run (the best of several runs each), with the process's peak memory.
//   permuto_cold_bench PERMUTO_CLI [MODULES_PER_AREA] [--linearity] [--rounds N]
// --linearity repeats the measurement with ten times the patch; --rounds
// sets how many runs of each the best is taken from (5 by default: on a
// shared virtual machine three were not enough for repeatable figures).
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "SyntheticPatch.h"

extern char** environ;

namespace {

struct TRun {
    double Milliseconds = 0;
    double PeakMiB = 0;
};

// Runs a program to its end: wall time and peak resident memory.
TRun RunOnce(const std::vector<std::string>& Arguments)
{
    std::vector<char*> Argv;
    for (const std::string& A : Arguments)
        Argv.push_back(const_cast<char*>(A.c_str()));
    Argv.push_back(nullptr);
    const auto Start = std::chrono::steady_clock::now();
    pid_t Child = 0;
    if (::posix_spawn(&Child, Argv[0], nullptr, nullptr, Argv.data(), environ) != 0) {
        std::perror(Argv[0]);
        std::exit(1);
    }
    int Status = 0;
    struct rusage Usage {};
    ::wait4(Child, &Status, 0, &Usage);
    const auto End = std::chrono::steady_clock::now();
    if (!WIFEXITED(Status) || WEXITSTATUS(Status) != 0) {
        std::fprintf(stderr, "%s failed\n", Argv[0]);
        std::exit(1);
    }
    return {std::chrono::duration<double, std::milli>(End - Start).count(), Usage.ru_maxrss / 1024.0};
}

struct TMeasure {
    double FileMiB;
    long Lines;
    TRun Copy, Swap, Order;
};

// The runs of cp, swap and order take turns, so that all three meet the
// machine in the same moods; the best run of each counts.
TMeasure Measure(const std::string& Cli, const std::string& Folder, int Modules, int Rounds)
{
    const std::string In = Folder + "/in.pch", Out = Folder + "/out.pch";
    const std::string Bytes = permuto::bench::GeneratePatch(Modules);
    std::ofstream(In, std::ios::binary) << Bytes;
    TMeasure M{};
    M.FileMiB = static_cast<double>(Bytes.size()) / (1 << 20);
    M.Lines = static_cast<long>(std::count(Bytes.begin(), Bytes.end(), '\n'));
    RunOnce({"/bin/cp", In, Out}); // the file is in the page cache for all that follows
    const auto Better = [](TRun& Best, const TRun& Run) {
        if (Best.Milliseconds == 0 || Run.Milliseconds < Best.Milliseconds)
            Best = Run;
    };
    for (int Round = 0; Round < Rounds; ++Round) {
        Better(M.Copy, RunOnce({"/bin/cp", In, Out}));
        Better(M.Swap, RunOnce({Cli, "swap", In, "poly", "3", std::to_string(Modules / 2), "-o", Out}));
        Better(M.Order, RunOnce({Cli, "order", In, "poly", "-o", Out}));
    }
    return M;
}

void Report(const char* Label, const TRun& Run, const TMeasure& M)
{
    std::printf("  %-28s %9.1f ms  %5.1fx cp   peak %7.1f MiB = %4.2fx the file\n", Label, Run.Milliseconds,
                Run.Milliseconds / M.Copy.Milliseconds, Run.PeakMiB, Run.PeakMiB / M.FileMiB);
}

} // namespace

int main(int Argc, char** Argv)
{
    if (Argc < 2) {
        std::fprintf(stderr, "usage: %s PERMUTO_CLI [MODULES_PER_AREA] [--linearity] [--rounds N]\n", Argv[0]);
        return 2;
    }
    const std::string Cli = Argv[1];
    int Modules = 100000;
    bool Linearity = false;
    int Rounds = 5;
    for (int I = 2; I < Argc; ++I) {
        if (std::strcmp(Argv[I], "--linearity") == 0)
            Linearity = true;
        else if (std::strcmp(Argv[I], "--rounds") == 0 && I + 1 < Argc)
            Rounds = std::max(1, std::atoi(Argv[++I]));
        else
            Modules = std::atoi(Argv[I]);
    }
    std::string Folder = (std::filesystem::temp_directory_path() / "permuto-cold-XXXXXX").string();
    if (::mkdtemp(Folder.data()) == nullptr)
        return 1;

    std::vector<int> Sizes = {Modules};
    if (Linearity)
        Sizes.push_back(Modules * 10);
    std::vector<TMeasure> Results;
    for (int Size : Sizes) {
        const TMeasure M = Measure(Cli, Folder, Size, Rounds);
        Results.push_back(M);
        std::printf("%d modules per area: %.1f MiB, %ld lines; cp %.1f ms\n", Size, M.FileMiB, M.Lines,
                    M.Copy.Milliseconds);
        Report("load + swap + save", M.Swap, M);
        Report("load + order + save", M.Order, M);
        std::printf("  order takes %.2fx the swap round trip\n", M.Order.Milliseconds / M.Swap.Milliseconds);
    }
    if (Results.size() == 2)
        std::printf("ten times the patch: swap round trip %.1fx the time, order %.1fx\n",
                    Results[1].Swap.Milliseconds / Results[0].Swap.Milliseconds,
                    Results[1].Order.Milliseconds / Results[0].Order.Milliseconds);
    std::filesystem::remove_all(Folder);
    return 0;
}
