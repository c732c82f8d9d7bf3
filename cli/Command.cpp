#include "Command.h"

#include <cerrno>
#include <cstdio>

#include "library/ProgramPaths.h"
#include "patch/PatchFile.h"

namespace permuto::cli {

void TCommand::Register(CLI::App& Tool)
{
    FApp = Tool.add_subcommand(FName, FSummary);
    FApp->add_option("PATCH", FPatchFile, "The patch file (*.pch)")->required();
    AddArguments(*FApp);
    AddOptions(*FApp);
    if (Writes())
        FOutputOption = FApp->add_option("-o,--output", FOutput, "Write the result to OUT and leave PATCH as it is")
                            ->option_text("OUT");
}

void TCommand::LoadLibrary()
{
    if (const std::string Problem = LoadModuleLibrary(); !Problem.empty())
        throw EPermutoError("the module library cannot be read: " + Problem);
}

void TCommand::LoadPatch()
{
    // An empty -o (a script's unset variable) must not mean "replace PATCH".
    if (FOutputOption != nullptr && FOutputOption->count() > 0 && FOutput.empty())
        throw EUsageError("-o needs the name of the file to write");
    // A patch that is written back is compared with what a save writes, so
    // that nothing is changed without a word.
    FPatch = ReadPatchFile(FPatchFile, Writes());
    // What the tool could not read whole, it would change without knowing.
    if (FPatch.NulAt() >= 0)
        throw EPermutoError(NulByteMessage(FPatchFile, FPatch.NulAt()));
}

void TCommand::SavePatch(bool Changed)
{
    std::vector<std::string> Warnings;
    if (FOutput == "-") {
        // The patch on standard output, for a pipe.
        TLineWriter Lines([](std::string_view Bytes) { Print(Bytes); });
        FPatch.SaveToStrings(Lines);
        Lines.Flush();
    } else if (!FOutput.empty()) {
        FPatch.SaveToFile(FOutput, &Warnings);
    } else if (Changed) {
        FPatch.SaveToFile(FPatchFile, &Warnings);
    } else {
        return; // nothing written, nothing changed
    }
    if (const std::string Unsaved = UnsavedLinesMessage(FPatchFile, FPatch.Unsaved()); !Unsaved.empty())
        Warnings.insert(Warnings.begin(), Unsaved);
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

TAreaCode TCommand::ParseArea(const std::string& Text)
{
    if (Text == "poly")
        return AreaPoly;
    if (Text == "common")
        return AreaCommon;
    throw EUsageError("unknown area \"" + Text + "\": the areas are poly and common");
}

int32_t TCommand::ParseIndex(const std::string& Text)
{
    int32_t Index = 0;
    if (!IsInteger(Text, &Index))
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
    const TAreaCode Area = ParseArea(FAreaText);
    const int32_t First = ParseIndex(FFirstText), Second = ParseIndex(FSecondText);
    LoadPatch();
    SavePatch(Apply(Area, First, Second));
    return ExitSuccess;
}

} // namespace permuto::cli
