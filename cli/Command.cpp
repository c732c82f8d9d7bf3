#include "Command.h"

#include <cerrno>
#include <cstdio>

#include "modules/Descript.h"
#include "modules/LibraryPlaces.h"
#include "base/Numbers.h"
#include "patch/PatchFile.h"

namespace permuto::cli {

void TCommand::Register(CLI::App& Tool)
{
    FApp = Tool.add_subcommand(FName, FSummary);
    FApp->add_option("PATCH", FPatchFile, "The patch file (*.pch)")->required();
    AddArguments(*FApp);
    AddOptions(*FApp);
    FApp->add_option("--library", FLibrary, "Read module types from FILE instead of the usual places (see --version)")
        ->option_text("FILE");
    if (Writes())
    {
        FOutputOption = FApp->add_option("-o,--output", FOutput, "Write the result to OUT and leave PATCH as it is")
                            ->option_text("OUT");
        FApp->add_flag("--force", FForce,
                       "Write over PATCH even when the save changes more than module numbers (lines whose module "
                       "numbers cannot be read)");
    }
}

TModuleTypes TCommand::LoadLibrary()
{
    const TLibraryInUse InUse = LoadModuleLibrary(FLibrary);
    if (!InUse.Problem.empty())
        Warn(InUse.Problem);
    TModuleTypes Types(FPatch, ModuleDescriptors());
    if (const std::string Message =
            UndescribedTypesMessage(Types, "the synthesizer's own library can be given with --library FILE or "
                                           "$PERMUTO_LIBRARY (permuto-cli --version says where it is looked for)");
        !Message.empty())
        Warn(Message);
    return Types;
}

void TCommand::LoadPatch()
{
    // An empty -o (a script's unset variable) must not mean "replace PATCH".
    if (FOutputOption != nullptr && FOutputOption->count() > 0 && FOutput.empty())
        throw EUsageError("-o needs the name of the file to write");
    FPatch = ReadPatchFile(FPatchFile);
    // What the tool could not read whole, it would change without knowing.
    if (FPatch.NulAt() >= 0)
        throw EPermutoError(NulByteMessage(FPatchFile, FPatch.NulAt()));
    // A command that only reads needs no copy of the file's bytes.
    if (!Writes())
        FPatch.ForgetText();
}

void TCommand::SavePatch(bool Changed)
{
    std::vector<std::string> Warnings;
    const std::string Losses = SaveLossesMessage(FPatchFile, FPatch.SaveLosses());
    if (FOutput.empty() && !Changed)
        return; // nothing written, nothing changed
    if (FOutput.empty() && !Losses.empty() && !FForce)
        throw EPermutoError(Losses + "; nothing was written (--force writes it all the same)");
    if (!Losses.empty())
        Warnings.push_back(Losses);
    if (FOutput == "-") {
        // The patch on standard output, for a pipe.
        FPatch.WriteText([](std::string_view Bytes) { Print(Bytes); });
    } else {
        FPatch.SaveToFile(FOutput.empty() ? FPatchFile : FOutput, &Warnings);
    }
    for (const std::string& Warning : Warnings)
        Warn(Warning);
}

void TCommand::Warn(const std::string& Message)
{
    std::fprintf(stderr, "permuto-cli: warning: %s\n", EscapedName(Message).c_str());
}

void TCommand::Print(std::string_view Text)
{
    if (std::fwrite(Text.data(), 1, Text.size(), stdout) != Text.size() || std::fflush(stdout) != 0)
        throw EPermutoError("cannot write the output: " + SystemReason(errno));
}

TArea TCommand::ParseArea(const std::string& Text)
{
    if (const std::optional<TArea> Area = AreaNamed(Text))
        return *Area;
    throw EUsageError("unknown area \"" + Text + "\": the areas are poly and common");
}

int32_t TCommand::ParseIndex(const std::string& Text)
{
    // Decimal, as people write module indices and as the window takes them.
    int32_t Index = 0;
    if (!IsDecimalInteger(Text, &Index))
        throw EUsageError("\"" + Text + "\" is not a module index");
    return Index;
}

TIndexPairCommand::TIndexPairCommand(std::string Name, std::string Summary, TArgument First, TArgument Second)
    : TCommand(std::move(Name), std::move(Summary))
    , FFirst(std::move(First))
    , FSecond(std::move(Second))
{
}

void TIndexPairCommand::AddArguments(CLI::App& Command)
{
    Command.add_option("AREA", FAreaText, "poly or common")->required();
    Command.add_option(FFirst.Name, FFirstText, FFirst.Help)->required();
    Command.add_option(FSecond.Name, FSecondText, FSecond.Help)->required();
}

int TIndexPairCommand::Run()
{
    // Every argument is checked before the patch is read.
    const TArea Area = ParseArea(FAreaText);
    const int32_t First = ParseIndex(FFirstText), Second = ParseIndex(FSecondText);
    LoadPatch();
    SavePatch(Apply(Area, First, Second));
    return ExitSuccess;
}

} // namespace permuto::cli
