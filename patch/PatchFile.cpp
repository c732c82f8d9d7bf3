#include "PatchFile.h"

namespace permuto {

TPatchDef ReadPatchFile(const std::string& FileName)
{
    TPatchDef Patch;
    const std::string Name = Format("\"%s\"", EscapedName(FileName).c_str());
    try {
        Patch.LoadFromFile(FileName);
    } catch (const EListError&) {
        // The header reader asks for the line after the version line, which
        // a file without one does not have.
        if (FileIdentityOf(FileName).Size == 0)
            throw EPermutoError(Name + " is empty");
        throw EPermutoError(Name + " is no patch: it has no version line with a line after it");
    }
    if (Patch.OlderLayout())
        throw EPermutoError(Name + " is a patch in the synthesizer editor's older layout, which Permuto does not read; "
                                   "opening it in the synthesizer's editor and saving it once brings it to the current "
                                   "layout");
    if (!Patch.LooksLikePatch())
        throw EPermutoError(Name + " does not look like a patch: it holds no patch section");
    return Patch;
}

namespace {

// "2 cable lines of the poly area and 1 knob map line"
std::string UnfollowedList(const TSaveLosses& Losses)
{
    std::string Text;
    for (size_t I = 0; I < Losses.Unfollowed.size(); ++I) {
        const TUnfollowedLines& Lines = Losses.Unfollowed[I];
        if (I > 0)
            Text += I + 1 == Losses.Unfollowed.size() ? " and " : ", ";
        Text += Format("%d %.*s line%s", Lines.Count, static_cast<int>(Lines.LineWord.size()), Lines.LineWord.data(),
                       Lines.Count == 1 ? "" : "s");
        if (Lines.Area)
            Text += Format(" of the %s area", AreaName(*Lines.Area));
    }
    return Text;
}

// The verb for the lines: one line "holds", more "hold".
const char* Verb(const TSaveLosses& Losses, const char* One, const char* More)
{
    return Losses.Unfollowed.size() == 1 && Losses.Unfollowed[0].Count == 1 ? One : More;
}

} // namespace

std::string SaveLossesMessage(const std::string& FileName, const TSaveLosses& Losses)
{
    if (!Losses.Any())
        return {};
    std::string Text = Format("Saving \"%s\" changes more than module numbers: ", EscapedName(FileName).c_str());
    if (!Losses.Unfollowed.empty())
        Text += UnfollowedList(Losses) + Verb(Losses, " holds", " hold") + " module numbers that cannot be read, and " +
                Verb(Losses, "keeps", "keep") + " them although the modules were renumbered";
    if (Losses.NulAt >= 0)
        Text += Format("%swhat follows the NUL byte at byte %lld was never read and is not written",
                       Losses.Unfollowed.empty() ? "" : "; ", static_cast<long long>(Losses.NulAt));
    return Text;
}

std::string UnfollowedLinesMessage(const std::string& FileName, const TSaveLosses& Losses)
{
    if (Losses.Unfollowed.empty())
        return {};
    std::string Text = Format("\"%s\": ", EscapedName(FileName).c_str());
    Text += UnfollowedList(Losses);
    Text += Verb(Losses, " holds", " hold");
    Text += " module numbers that cannot be read; a renumbering leaves them as they are";
    return Text;
}

std::string LoadedText(const std::string& Shown, const TPatchDef& Patch)
{
    return "Loaded " + Shown + ": " + std::to_string(Patch.ModuleDumps[AreaPoly].Count()) + " + " +
           std::to_string(Patch.ModuleDumps[AreaCommon].Count()) + " modules";
}

std::string LoadWarningText(const std::string& Shown, const std::string& FileName, const TPatchDef& Patch)
{
    if (Patch.NulAt() >= 0)
        return Shown + " holds a NUL byte at byte " + std::to_string(Patch.NulAt()) +
               ": what follows it was not read, and saving would lose it. Saving asks before it replaces this file.";
    if (const std::string Unfollowed = UnfollowedLinesMessage(FileName, Patch.ReadLosses()); !Unfollowed.empty())
        return Unfollowed + ".\n\nSaving asks before it writes a patch whose modules were renumbered past those lines.";
    return {};
}

std::string NulByteMessage(const std::string& FileName, int64_t At)
{
    return Format("\"%s\" holds a NUL byte at byte %lld; what follows it cannot be read", EscapedName(FileName).c_str(),
                  static_cast<long long>(At));
}

} // namespace permuto
