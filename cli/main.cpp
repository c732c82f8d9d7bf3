// permuto-cli: the patch operations of Permuto for scripts and collections
// of patches. Exit status 0 on success, 1 when "late" found late
// connections or "loops" feedback loops, 2 for every error (with one line on
// standard error, and no file written).
#include <cerrno>
#include <cstdio>
#include <exception>

#include "Command.h"
#include "modules/LibraryPlaces.h"
#include "base/Platform.h"
#include "base/ProgramPaths.h"

namespace permuto::cli {

std::unique_ptr<TCommand> MakeListCommand();
std::unique_ptr<TCommand> MakeSwapCommand();
std::unique_ptr<TCommand> MakeMoveCommand();
std::unique_ptr<TCommand> MakeOrderCommand();
std::unique_ptr<TCommand> MakeLateCommand();
std::unique_ptr<TCommand> MakeLoopsCommand();
std::unique_ptr<TCommand> MakeDrawCommand();

std::vector<std::unique_ptr<TCommand>> MakeCommands()
{
    std::vector<std::unique_ptr<TCommand>> Commands;
    Commands.push_back(MakeListCommand());
    Commands.push_back(MakeSwapCommand());
    Commands.push_back(MakeMoveCommand());
    Commands.push_back(MakeOrderCommand());
    Commands.push_back(MakeLateCommand());
    Commands.push_back(MakeLoopsCommand());
    Commands.push_back(MakeDrawCommand());
    return Commands;
}

} // namespace permuto::cli

namespace {

// A message on one line: control characters in a file name or argument are
// shown escaped, so that a script reading one line per error gets one line.
void Report(const std::string& Message)
{
    std::fprintf(stderr, "permuto-cli: %s\n", permuto::EscapedName(Message).c_str());
}

// Whether everything printed reached standard output; says why not.
bool Written()
{
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return true;
    Report("cannot write the output: " + permuto::SystemReason(errno));
    return false;
}

} // namespace

int main(int RawArgc, char** RawArgv)
{
    using namespace permuto::cli;
    permuto::PrepareProcess();
    const std::vector<std::string> Arguments = permuto::ProgramArguments(RawArgc, RawArgv);
    std::vector<char*> Pointers;
    for (const std::string& Argument : Arguments)
        Pointers.push_back(const_cast<char*>(Argument.c_str()));
    Pointers.push_back(nullptr);
    const int Argc = static_cast<int>(Arguments.size());
    char** const Argv = Pointers.data();
    permuto::InitGlobals();
    CLI::App Tool("Reorders the modules of synthesizer patch files (*.pch).", "permuto-cli");
    Tool.set_version_flag("--version", "permuto-cli " PERMUTO_VERSION);
    Tool.allow_windows_style_options(false); // "/x" is a file name on every system
    Tool.require_subcommand(1);
    Tool.footer("Exit status: 0 success, 1 \"late\" found late connections or \"loops\" feedback loops, 2 error.\n"
                "See permuto-cli(1) for more.");
    const auto Commands = MakeCommands();
    for (const auto& Command : Commands)
        Command->Register(Tool);

    // What stands where the command belongs is named as what it is.
    const auto Named = [&](CLI::App* Sub) { return Sub->get_name() == Argv[1]; };
    if (Argc > 1 && Argv[1][0] != '-' && Tool.get_subcommands(Named).empty()) {
        Report(std::string("unknown command \"") + Argv[1] + "\": the commands are list, swap, move, order, late, loops and draw");
        return ExitError;
    }
    const std::string First = Argc > 1 ? Argv[1] : "";
    if (!First.empty() && First[0] == '-' && First != "-h" && First != "--help" && First != "--version") {
        Report("unknown option \"" + First + "\": options follow the command (see permuto-cli --help)");
        return ExitError;
    }
    try {
        Tool.parse(Argc, Argv);
    } catch (const CLI::CallForVersion& Version) {
        // With the module library that a command would read, and where it
        // is looked for.
        std::string Problem;
        try {
            Problem = permuto::LoadModuleLibrary().Problem;
        } catch (const std::exception& Error) {
            Problem = Error.what();
        }
        std::printf("%s\n%s\n", Version.what(), permuto::LibraryReport({}, "--library FILE").c_str());
        if (!Problem.empty())
            std::printf("%s\n", permuto::EscapedName(Problem).c_str());
        return Written() ? ExitSuccess : ExitError;
    } catch (const CLI::ParseError& Error) {
        if (Error.get_exit_code() == 0) { // --help
            Tool.exit(Error);
            return Written() ? ExitSuccess : ExitError;
        }
        Report(Error.what());
        return ExitError;
    }
    try {
        for (const auto& Command : Commands)
            if (Command->WasChosen())
                return Command->Run();
    } catch (const std::exception& Error) {
        Report(Error.what());
        return ExitError;
    }
    return ExitError;
}
