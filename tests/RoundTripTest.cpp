// Whole patches: our sample files and generated variants of them. After one
// save a load/save round is the identity, and a swap done twice undoes itself.
// A swap renumbers exactly the lines that refer to the two modules.
#include <gtest/gtest.h>

#include <array>
#include <random>

#include "TestHelpers.h"
#include "bench/SyntheticPatch.h"
#include "base/Errors.h"
#include "patch/PatchDefs.h"

using namespace permuto;
using namespace permuto::test;

namespace {

std::string Sample(const std::string& Name)
{
    return ReadText(std::string(PERMUTO_TEST_DATA) + "/" + Name);
}

std::string LoadSave(const std::string& Bytes, TPatchDef& Patch)
{
    Patch.LoadFromStrings(TPatchText(Bytes));
    return SavedText(Patch);
}

// A variant of a patch: line ends, separators, letter case and blanks changed,
// lines dropped or duplicated. Deterministic for a seed; seed 0 is the patch.
std::string Variant(const std::string& Bytes, unsigned Seed)
{
    if (Seed == 0)
        return Bytes;
    std::mt19937 Random(Seed);
    const TLineTable L(Bytes);
    std::string Out;
    const std::string Break = std::array{"\r\n", "\n", "\r"}[Random() % 3];
    for (const std::string_view Line : L) {
        std::string Changed;
        for (char C : Line)
            if (C == ' ' && Random() % 4 == 0)
                Changed += Random() % 2 ? "\t" : "  ";
            else
                Changed += C >= 'A' && C <= 'Z' && Random() % 3 == 0 ? static_cast<char>(C - 'A' + 'a') : C;
        const unsigned Roll = Random() % 40;
        if (Roll != 0) // else the line is dropped
            Out += Changed + Break;
        if (Roll == 1)
            Out += Changed + Break; // and once more
    }
    return Out;
}

} // namespace

TEST(RoundTrip, VariantsAreStableAfterOneSaveAndSwapsTwiceGiveItBack)
{
    int Checked = 0;
    for (const char* Name : {"full.pch", "shuffled.pch", "minimal.pch"}) {
        const std::string Bytes = Sample(Name);
        ASSERT_FALSE(Bytes.empty()) << Name;
        for (unsigned Seed = 0; Seed < 60; ++Seed) {
            TPatchDef Patch, Again;
            std::string First;
            try {
                First = LoadSave(Variant(Bytes, Seed), Patch);
            } catch (const EListError&) {
                continue; // a variant that lost its version line is refused
            }
            ++Checked;
            EXPECT_EQ(LoadSave(First, Again), First) << Name << " seed " << Seed;
            for (const TArea Area : BothAreas)
                for (auto [A, B] : {std::pair{1, 3}, {2, 6}, {4, 99}, {3, 3}}) {
                    Patch.SwapModules(Area, A, B);
                    Patch.SwapModules(Area, A, B);
                    EXPECT_EQ(SavedText(Patch), First) << Name << " seed " << Seed << " area " << AreaName(Area) << " " << A
                                                   << "<->" << B;
                }
        }
    }
    EXPECT_GT(Checked, 150);
    TPatchDef Patch;
    EXPECT_EQ(LoadSave(Sample("full.pch"), Patch), Sample("full.pch")); // our canonical sample, byte for byte
}

TEST(RoundTrip, SwapRenumbersEveryReferenceOfItsAreaAndNothingElse)
{
    TPatchDef Patch;
    const TLineTable Old(LoadSave(Sample("full.pch"), Patch));
    Patch.SwapModules(AreaPoly, 2, 5);
    const TLineTable Out(SavedText(Patch));
    ASSERT_EQ(Out.Count(), Old.Count());
    std::vector<std::pair<std::string, std::string>> Changed;
    for (int32_t I = 0; I < Out.Count(); ++I)
        if (Out[I] != Old[I])
            Changed.emplace_back(Old[I], Out[I]);
    const std::vector<std::pair<std::string, std::string>> Expected = {
        {"2 1003 0 2", "5 1003 0 2"},       {"5 1016 2 0", "2 1016 2 0"},   // modules
        {"0 2 0 1 3 0 0", "0 5 0 1 3 0 0"}, {"1 3 0 1 5 0 0", "1 3 0 1 2 0 0"}, // cables
        {"2 4 0 1 5 1 0", "2 4 0 1 2 1 0"}, {"3 6 0 1 2 1 0", "3 6 0 1 5 1 0"},
        {"2 1003 4 64 0 127 5", "5 1003 4 64 0 127 5"}, {"5 1016 1 100", "2 1016 1 100"}, // parameters
        {"2 2 1 0", "5 2 1 0"},                                                  // custom values
        {"1 2 0 0", "1 5 0 0"},                                                  // knob map
        {"2 \"Saw Osc\"", "5 \"Saw Osc\""},  {"5 \"VCA\tone\"", "2 \"VCA\tone\""}, // names
    };
    EXPECT_EQ(Changed, Expected);
}

TEST(RoundTrip, ShuffledSampleReadsEverySection)
{
    TPatchDef Patch;
    LoadSave(Sample("shuffled.pch"), Patch);
    EXPECT_EQ(Patch.Header.Version(), "Shuffled");
    EXPECT_EQ(Patch.Header.Value(1), 1);
    EXPECT_EQ(Patch.ModuleDumps[AreaPoly].Count(), 3);
    ASSERT_EQ(Patch.ModuleDumps[AreaCommon].Count(), 2); // from the split area line
    EXPECT_EQ(Patch.ModuleDumps[AreaCommon].Items(0).ModuleType, 1002);
    EXPECT_EQ(Patch.CableDumps[AreaPoly].Count(), 2);
    EXPECT_EQ(Patch.CableDumps[AreaCommon].Count(), 1);
    EXPECT_EQ(Patch.ParameterDumps[AreaPoly].Count(), 3);
    EXPECT_EQ(Patch.KnobMapDump.Count(), 2);
    EXPECT_EQ(Patch.ControlMapDump.Count(), 1);
    EXPECT_EQ(Patch.MorphMapDump.KnobValues().Values[3], 4);
    EXPECT_EQ(Patch.KeyboardAssignment.Values()[2], 2);
    EXPECT_EQ(Patch.NameDumps[AreaCommon].FindName(1), "Ausgang \xe9");
    EXPECT_EQ(Patch.NameDumps[AreaPoly].FindName(3), "Env 1");
    EXPECT_EQ(ToVector(Patch.Notes.Lines()), std::vector<std::string>{"Notes come first in this file."});
}

// Notes are free text; a note line that looks like a section header must stay
// a note after a save, whether or not the patch has current notes.
TEST(RoundTrip, NoteLinesThatLookLikeCurrentNotesStayNotes)
{
    const std::string Head = "[Header]\r\nVersion=x\r\n0 127 0 127 0 0 0 1 4000 2 0 0 0 0 0 0 1 1 1 1 1 1 1\r\n"
                             "[/Header]\r\n";
    const std::string Notes = "[Notes]\r\n[CurrentNoteDump]\r\n60 100 0\r\n[/Notes]\r\n";
    const std::pair<std::string, size_t> Cases[] = {
        {Head + "[CurrentNoteDump]\r\n\r\n[/CurrentNoteDump]\r\n" + Notes, 0}, // an empty section
        {Head + "[CurrentNoteDump]\r\n61 90 1\r\n[/CurrentNoteDump]\r\n" + Notes, 1},
        {Head + "[CurrentNoteDump]\r\n" + Notes, 0}, // the header is a note line's
    };
    for (const auto& [Bytes, CurrentNotes] : Cases) {
        TPatchDef Patch, Again;
        const std::string First = LoadSave(Bytes, Patch);
        EXPECT_EQ(LoadSave(First, Again), First) << Bytes;
        EXPECT_EQ(Again.CurrentNoteDump.NoteDefs().size(), CurrentNotes) << Bytes;
        EXPECT_EQ(ToVector(Again.Notes.Lines()), (std::vector<std::string>{"[CurrentNoteDump]", "60 100 0"})) << Bytes;
    }
}

// A large load reads the values on a second thread; an area line that also
// carries the first module line is split before either thread reads. Both
// give the same patch.
TEST(RoundTrip, BigPatchReadsTheSameWhetherOrNotAnAreaLineIsSplit)
{
    const std::string Plain = bench::GeneratePatch(20000);
    std::string Joined = Plain; // the common area line also carries the first module line
    const std::string CommonModules = "[ModuleDump]\r\n0\r\n";
    Joined.replace(Joined.find(CommonModules) + CommonModules.size() - 2, 2, " ");
    TPatchDef Patch, FromJoined;
    EXPECT_TRUE(LoadSave(Plain, Patch) == Plain);
    EXPECT_EQ(Patch.ParameterDumps[AreaCommon].Count(), 20000);
    EXPECT_EQ(Patch.CustomDumps[AreaPoly].Count(), 20000);
    EXPECT_TRUE(LoadSave(Joined, FromJoined) == Joined);
    const auto Layout = [](const TPatchDef& P) { return WrittenText([&P](TLineWriter& L) { P.SaveToStrings(L); }); };
    EXPECT_TRUE(Layout(Patch) == Layout(FromJoined));
}
