// A patch as a user meets it: one fresh permuto-cli process loads a generated
// patch and renumbers, orders or lists it, timed against cp of the same file
// in the same run (the best of several runs each), with the process's peak
// memory. Two patches: the chain patch (each module feeds the next) and one
// with two random cables per module (large feedback groups, many late
// pairs). Then hostile inputs: one net of many outputs and inputs, whose
// late pairs grow with the square of the file, and a file of lines holding
// only "[".
//   permuto_cold_bench PERMUTO_CLI [MODULES_PER_AREA] [--linearity] [--rounds N] [--no-hostile]
// --linearity repeats the measurement with ten times the patch; --rounds
// sets how many runs of each the best is taken from (5 by default: on a
// shared virtual machine three were not enough for repeatable figures).
#include <fcntl.h>
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

// Runs a program to its end, its output to /dev/null: wall time and peak
// resident memory. Exit statuses other than those allowed end the bench.
// (A child started from here counts the most memory this process ever held
// as its own, so the bench makes its patches in a child of their own.)
TRun RunOnce(const std::vector<std::string>& Arguments, std::vector<int> Allowed = {0})
{
    std::vector<char*> Argv;
    for (const std::string& A : Arguments)
        Argv.push_back(const_cast<char*>(A.c_str()));
    Argv.push_back(nullptr);
    posix_spawn_file_actions_t Actions;
    posix_spawn_file_actions_init(&Actions);
    posix_spawn_file_actions_addopen(&Actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&Actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const auto Start = std::chrono::steady_clock::now();
    pid_t Child = 0;
    if (::posix_spawn(&Child, Argv[0], &Actions, nullptr, Argv.data(), environ) != 0) {
        std::perror(Argv[0]);
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&Actions);
    int Status = 0;
    struct rusage Usage {};
    ::wait4(Child, &Status, 0, &Usage);
    const auto End = std::chrono::steady_clock::now();
    if (!WIFEXITED(Status) || std::find(Allowed.begin(), Allowed.end(), WEXITSTATUS(Status)) == Allowed.end()) {
        std::fprintf(stderr, "%s %s failed\n", Argv[0], Argv[1]);
        std::exit(1);
    }
    return {std::chrono::duration<double, std::milli>(End - Start).count(), Usage.ru_maxrss / 1024.0};
}

// Writes a generated file from a child process, which alone holds its text.
template <class TWrite>
void WriteInChild(TWrite&& Write)
{
    const pid_t Child = ::fork();
    if (Child == 0) {
        Write();
        ::_exit(0);
    }
    int Status = 0;
    ::waitpid(Child, &Status, 0);
}

void KeepBetter(TRun& Best, const TRun& Run)
{
    if (Best.Milliseconds == 0 || Run.Milliseconds < Best.Milliseconds)
        Best = Run;
}

struct TMeasure {
    double FileMiB;
    long Lines;
    TRun Copy, Swap, Order, Late;
};

// The runs of cp, swap, order and late take turns, so that all four meet
// the machine in the same moods; the best run of each counts.
TMeasure Measure(const std::string& Cli, const std::string& Folder, bool Random, int Modules, int Rounds)
{
    const std::string In = Folder + "/in.pch", Out = Folder + "/out.pch";
    WriteInChild([&] {
        std::ofstream(In, std::ios::binary) << (Random ? permuto::bench::GenerateRandomCablePatch(Modules, 2 * Modules)
                                                       : permuto::bench::GeneratePatch(Modules));
    });
    TMeasure M{};
    M.FileMiB = static_cast<double>(std::filesystem::file_size(In)) / (1 << 20);
    {
        std::ifstream Read(In, std::ios::binary);
        M.Lines = static_cast<long>(std::count(std::istreambuf_iterator<char>(Read), {}, '\n'));
    }
    RunOnce({"/bin/cp", In, Out}); // the file is in the page cache for all that follows
    for (int Round = 0; Round < Rounds; ++Round) {
        KeepBetter(M.Copy, RunOnce({"/bin/cp", In, Out}));
        KeepBetter(M.Swap, RunOnce({Cli, "swap", In, "poly", "3", std::to_string(Modules / 2), "-o", Out}));
        KeepBetter(M.Order, RunOnce({Cli, "order", In, "-o", Out}));
        KeepBetter(M.Late, RunOnce({Cli, "late", In}, {0, 1}));
    }
    return M;
}

void Report(const char* Label, const TRun& Run, const TMeasure& M)
{
    std::printf("  %-24s %9.1f ms  %5.1fx cp  %5.2fx swap   peak %7.1f MiB = %4.2fx the file\n", Label,
                Run.Milliseconds, Run.Milliseconds / M.Copy.Milliseconds, Run.Milliseconds / M.Swap.Milliseconds,
                Run.PeakMiB, Run.PeakMiB / M.FileMiB);
}

// One net: Side outputs (modules Side+1 .. 2 Side) and Side inputs (modules
// 1 .. Side), every output fed to every input through a chain of cables, so
// that every one of the Side² pairs is late.
std::string OneBigNet(int Side)
{
    std::string T = "Version=net\r\n0\r\n[ModuleDump]\r\n1\r\n";
    for (int I = 1; I <= 2 * Side; ++I)
        T += std::to_string(I) + " 1 0 0\r\n";
    T += "[/ModuleDump]\r\n[CableDump]\r\n1\r\n";
    for (int I = 2; I <= 2 * Side; ++I) // each end joined to module 1's input
        T += "0 1 0 0 " + std::to_string(I) + " 0 " + (I > Side ? "1" : "0") + "\r\n";
    return T + "[/CableDump]\r\n";
}

void Hostile(const std::string& Cli, const std::string& Folder, int Rounds)
{
    const std::string Net = Folder + "/net.pch", Brackets = Folder + "/brackets.pch";
    std::printf("hostile inputs (the best of %d runs):\n", Rounds);
    for (const int Side : {2000, 20000}) {
        std::ofstream(Net, std::ios::binary) << OneBigNet(Side);
        const double FileMiB = static_cast<double>(std::filesystem::file_size(Net)) / (1 << 20);
        TRun Count, List;
        for (int Round = 0; Round < Rounds; ++Round) {
            KeepBetter(Count, RunOnce({Cli, "late", "-c", Net}, {1}));
            if (Side == 2000)
                KeepBetter(List, RunOnce({Cli, "late", Net}, {1}));
        }
        std::printf("  one net of %d outputs x %d inputs (%.1f MiB, %lld late pairs)\n", Side, Side, FileMiB,
                    static_cast<long long>(Side) * Side);
        std::printf("    late -c    %9.1f ms   peak %7.1f MiB\n", Count.Milliseconds, Count.PeakMiB);
        if (Side == 2000)
            std::printf("    late       %9.1f ms   peak %7.1f MiB (every pair listed, %.0f MiB of output)\n",
                        List.Milliseconds, List.PeakMiB, static_cast<double>(Side) * Side * 14 / (1 << 20));
    }
    {
        std::ofstream Out(Brackets, std::ios::binary);
        const std::string Line = "[\r\n";
        for (int I = 0; I < 10 << 20 >> 1; ++I) // 20 MiB
            Out << Line;
    }
    TRun Load;
    for (int Round = 0; Round < Rounds; ++Round)
        KeepBetter(Load, RunOnce({Cli, "list", Brackets}, {2})); // read whole, then refused: no version line
    std::printf("  20 MiB of lines holding only \"[\": read and refused in %.1f ms, peak %.1f MiB\n", Load.Milliseconds,
                Load.PeakMiB);
}

} // namespace

int main(int Argc, char** Argv)
{
    if (Argc < 2) {
        std::fprintf(stderr, "usage: %s PERMUTO_CLI [MODULES_PER_AREA] [--linearity] [--rounds N] [--no-hostile]\n",
                     Argv[0]);
        return 2;
    }
    const std::string Cli = Argv[1];
    int Modules = 100000;
    bool Linearity = false, Hostiles = true;
    int Rounds = 5;
    for (int I = 2; I < Argc; ++I) {
        if (std::strcmp(Argv[I], "--linearity") == 0)
            Linearity = true;
        else if (std::strcmp(Argv[I], "--no-hostile") == 0)
            Hostiles = false;
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
    for (const bool Random : {false, true}) {
        std::vector<TMeasure> Results;
        for (const int Size : Sizes) {
            const TMeasure M = Measure(Cli, Folder, Random, Size, Rounds);
            Results.push_back(M);
            std::printf("%s, %d modules per area: %.1f MiB, %ld lines; cp %.1f ms\n",
                        Random ? "random cables (two per module)" : "chain patch", Size, M.FileMiB, M.Lines,
                        M.Copy.Milliseconds);
            Report("load + swap + save", M.Swap, M);
            Report("load + order + save", M.Order, M);
            Report("load + late", M.Late, M);
        }
        if (Results.size() == 2)
            std::printf("  ten times the patch: swap %.1fx the time, order %.1fx, late %.1fx\n",
                        Results[1].Swap.Milliseconds / Results[0].Swap.Milliseconds,
                        Results[1].Order.Milliseconds / Results[0].Order.Milliseconds,
                        Results[1].Late.Milliseconds / Results[0].Late.Milliseconds);
    }
    if (Hostiles)
        Hostile(Cli, Folder, Rounds);
    std::filesystem::remove_all(Folder);
    return 0;
}
