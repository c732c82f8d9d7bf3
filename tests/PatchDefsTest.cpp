// The patch document: loading from files, the canonical layout, swaps in both
// areas, and loads or saves that fail without harm.
#include <gtest/gtest.h>

#include <filesystem>

#include "TestHelpers.h"
#include "base/Errors.h"
#include "patch/PatchDefs.h"

using namespace permuto;
using namespace permuto::test;
using V = std::vector<std::string>;

namespace {

const char* const TwoAreas = "[Header]\r\nVersion=Test 1\r\n"
                             "0 127 0 127 0 0 0 1 4000 2 0 0 0 0 0 0 1 1 1 1 1 1 1\r\n[/Header]\r\n"
                             "[NameDump]\r\n0\r\n1 Out\r\n[/NameDump]\r\n"
                             "[ModuleDump]\r\n0\r\n1 7 0 0\r\n2 8 1 0\r\n[/ModuleDump]\r\n"
                             "[moduledump]\n1\n1 4 0 0\n2 5 0 1\n3 6 0 2\n[/ModuleDump]\n"
                             "[NameDump]\n1\n1 \"Osc A\"\n3 Filter\n[/NameDump]\n";

} // namespace

TEST(PatchDocument, LoadsAnyOrderAndSavesItsOwnTextOrTheFixedLayoutForAPatchMadeFromNothing)
{
    TTempDir Dir;
    WriteText(Dir.File("a.pch"), TwoAreas);
    TPatchDef Patch;
    Patch.LoadFromFile(Dir.File("a.pch"));
    const auto Layout = [](const TPatchDef& P) {
        return ToVector(TLineTable(WrittenText([&P](TLineWriter& Lines) { P.SaveToStrings(Lines); })));
    };
    EXPECT_EQ(Layout(Patch),
              (V{"[Header]", "Version=Test 1", "0 127 0 127 0 0 0 1 4000 2 0 0 0 0 0 0 1 1 1 1 1 1 1", "[/Header]",
                 "[ModuleDump]", "1", "1 4 0 0", "2 5 0 1", "3 6 0 2", "[/ModuleDump]",
                 "[ModuleDump]", "0", "1 7 0 0", "2 8 1 0", "[/ModuleDump]",
                 "[CableDump]", "1", "[/CableDump]", "[CableDump]", "0", "[/CableDump]",
                 "[ParameterDump]", "1", "[/ParameterDump]", "[ParameterDump]", "0", "[/ParameterDump]",
                 "[CustomDump]", "1", "[/CustomDump]", "[CustomDump]", "0", "[/CustomDump]",
                 "[MorphMapDump]", "0 0 0 0", "[/MorphMapDump]",
                 "[KeyboardAssignment]", "0 0 0 0 ", "[/KeyboardAssignment]",
                 "[KnobMapDump]", "[/KnobMapDump]", "[CtrlMapDump]", "[/CtrlMapDump]",
                 "[NameDump]", "1", "1 Osc A", "3 Filter", "[/NameDump]",
                 "[NameDump]", "0", "1 Out", "[/NameDump]", "[Notes]", "[/Notes]"}));
    Patch.SaveToFile(Dir.File("b.pch"));
    EXPECT_EQ(ReadText(Dir.File("b.pch")), TwoAreas);
    // The layout reads back as the same patch.
    TPatchDef Again;
    Again.LoadFromStrings(TPatchText(JoinLines(Layout(Patch))));
    EXPECT_EQ(Layout(Again), Layout(Patch));
    EXPECT_EQ(Again.NameDumps[AreaPoly].FindName(1), "Osc A");
    // A patch made from nothing is written in the layout.
    TPatchDef Empty;
    EXPECT_EQ(Empty.Text(), JoinLines(Layout(Empty)));
    // A reader that let go of the text read cannot write the patch in
    // another layout by mistake.
    Patch.ForgetText();
    EXPECT_THROW(Patch.SaveToFile(Dir.File("c.pch")), EPermutoError);
    EXPECT_FALSE(std::filesystem::exists(Dir.File("c.pch")));
    Patch.LoadFromFile(Dir.File("a.pch"));
    EXPECT_EQ(Patch.Text(), TwoAreas);
}

TEST(PatchDocument, SecondLoadLeavesNothingOfTheFirst)
{
    TPatchDef Patch;
    Patch.LoadFromStrings(TPatchText(TwoAreas));
    Patch.LoadFromStrings(MakeText({"Version=B", "", "[ModuleDump]", "0", "9 9 9 9"}));
    EXPECT_EQ(Patch.ModuleDumps[AreaPoly].Count(), 0);
    EXPECT_EQ(Patch.ModuleDumps[AreaCommon].Count(), 1);
    EXPECT_EQ(Patch.NameDumps[AreaPoly].Count(), 0);
    EXPECT_EQ(Patch.NameDumps[AreaCommon].Count(), 0);
    EXPECT_EQ(Patch.Header.Version(), "B");
}
