#pragma once
// The shared base of permuto-cli's commands: every command names its patch
// first, reads it like the window does, and writes it back either over
// itself (the same safe save as the window) or, with -o, to another file.
#include <CLI/CLI.hpp>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/Errors.h"
#include "base/SimpleTypes.h"
#include "patch/ModuleTypes.h"
#include "flow/PatchFlow.h"
#include "patch/PatchDefs.h"

namespace permuto::cli {

// Exit statuses of the tool.
inline constexpr int ExitSuccess = 0;
inline constexpr int ExitLateFound = 1; // "late" found late connections, "loops" feedback loops
inline constexpr int ExitError = 2;

// A mistake in the command line that the parser itself cannot see: an area
// or index that does not read.
class EUsageError : public EPermutoError {
public:
    using EPermutoError::EPermutoError;
};

class TCommand {
public:
    virtual ~TCommand() = default;
    // Adds the command's sub-command, its arguments and options to the tool.
    void Register(CLI::App& Tool);
    // Runs the command once the command line was parsed; gives the exit status.
    virtual int Run() = 0;
    bool WasChosen() const { return FApp != nullptr && FApp->parsed(); }

protected:
    TCommand(std::string Name, std::string Summary) : FName(std::move(Name)), FSummary(std::move(Summary)) {}
    // The arguments after PATCH, its options, and whether the command writes
    // the patch.
    virtual void AddArguments(CLI::App& Command) = 0;
    virtual void AddOptions(CLI::App& /*Command*/) {}
    virtual bool Writes() const { return true; }

    // Reads PATCH; raises on a file that cannot be read, is no patch, or
    // could not be read whole (a NUL byte).
    void LoadPatch();
    // Reads the module library (for type names and heights): the one given
    // with --library, or the first of the usual places (a library that cannot
    // be read is said in a warning, and the shipped one is used); raises when
    // not even the shipped one can be read. After LoadPatch, gives the
    // library held against the patch and warns of the types it does not
    // describe.
    TModuleTypes LoadLibrary();
    // Writes to standard output; raises when the output cannot be written.
    static void Print(std::string_view Text);
    // One line "permuto-cli: warning: ..." on standard error.
    static void Warn(const std::string& Message);
    // Writes the patch to -o OUT ("-" for standard output), or over PATCH
    // when there is none. Without -o, a patch that Changed nothing in is
    // left as it is, byte for byte. A save that would change more than
    // module numbers is refused over PATCH unless --force is given, and
    // said in a warning elsewhere; what of the replaced file could not be
    // kept is said in warnings.
    void SavePatch(bool Changed = true);

    static TArea ParseArea(const std::string& Text);
    static int32_t ParseIndex(const std::string& Text);

    TPatchDef FPatch;
    std::string FPatchFile;

private:
    std::string FName;
    std::string FSummary;
    std::string FOutput;
    std::string FLibrary;
    bool FForce = false;
    CLI::Option* FOutputOption = nullptr;
    CLI::App* FApp = nullptr;
};

// A command that only reads PATCH: nothing follows it, and there is no -o.
class TReadingCommand : public TCommand {
protected:
    using TCommand::TCommand;
    void AddArguments(CLI::App&) final {}
    bool Writes() const final { return false; }
};

// A command on two module indices of one area: PATCH AREA FIRST SECOND [-o OUT].
class TIndexPairCommand : public TCommand {
public:
    int Run() final;

protected:
    struct TArgument {
        std::string Name;
        std::string Help;
    };
    TIndexPairCommand(std::string Name, std::string Summary, TArgument First, TArgument Second);
    void AddArguments(CLI::App& Command) final;
    // Changes FPatch, which is saved afterwards; false when nothing changed.
    virtual bool Apply(TArea Area, int32_t First, int32_t Second) = 0;

private:
    TArgument FFirst, FSecond;
    std::string FAreaText, FFirstText, FSecondText;
};

// One of each command, in the order "permuto-cli --help" lists them.
std::vector<std::unique_ptr<TCommand>> MakeCommands();

} // namespace permuto::cli
