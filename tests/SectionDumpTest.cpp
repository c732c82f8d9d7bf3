// Finding per-area sections, the area line split, module and name dumps.
#include <gtest/gtest.h>

#include "TestHelpers.h"
#include "patch/ModuleDump.h"
#include "patch/NameDump.h"

using namespace permuto;
using namespace permuto::test;
using V = std::vector<std::string>;

TEST(SectionText, StartsWithTextAndSectionEnd)
{
    EXPECT_TRUE(StartsWithText("[ModuleDump]", "[MODULEDUMP"));
    EXPECT_TRUE(StartsWithText("[moduledump]", "[MODULEDUMP"));
    EXPECT_TRUE(StartsWithText("[ModuleDump] trailing", "[MODULEDUMP"));
    EXPECT_FALSE(StartsWithText(" [ModuleDump]", "[MODULEDUMP"));
    EXPECT_FALSE(StartsWithText("[Module", "[MODULEDUMP"));
    EXPECT_FALSE(StartsWithText("[M\xd6" "DULEDUMP", "[M\xf6" "DULEDUMP")); // only a to z fold
    EXPECT_TRUE(IsSectionEnd(""));
    EXPECT_TRUE(IsSectionEnd("[/ModuleDump]"));
    EXPECT_FALSE(IsSectionEnd(" ["));
}

TEST(AreaSections, AreaLineDecidesNotPosition)
{
    TStringList L = MakeLines({"[ModuleDump]", "0", "1 7 0 0", "[/ModuleDump]", "[ModuleDump]", "1", "1 4 2 2",
                               "[/ModuleDump]"});
    TModuleDump Poly, Common;
    Poly.LoadFromStrings(AreaPoly, L);
    Common.LoadFromStrings(AreaCommon, L);
    ASSERT_EQ(Poly.Count(), 1);
    ASSERT_EQ(Common.Count(), 1);
    EXPECT_EQ(Poly.Items(0).ModuleType, 4);
    EXPECT_EQ(Common.Items(0).ModuleType, 7);
    EXPECT_EQ(Poly.Area, AreaPoly);
    EXPECT_EQ(Common.Area, AreaCommon);
}

TEST(AreaSections, FirstMatchingSectionWinsAndBadAreaLinesAreSkipped)
{
    TStringList L = MakeLines({"[MODULEDUMP]", "x", "5 5 5 5", "[moduledump]", "3", "[ModuleDump]", "1", "1 1 1 1",
                               "[ModuleDump]", "1", "2 2 2 2"});
    TModuleDump Poly;
    Poly.LoadFromStrings(AreaPoly, L);
    ASSERT_EQ(Poly.Count(), 1);
    EXPECT_EQ(Poly.Items(0).ModuleIndex, 1);

    TStringList Last = MakeLines({"[ModuleDump]"});
    Poly.LoadFromStrings(AreaPoly, Last);
    EXPECT_EQ(Poly.Count(), 0);
}

TEST(AreaSections, AreaLineCarryingAModuleLineIsSplit)
{
    TStringList L = MakeLines({"[ModuleDump]", "1 1 112 0 3", "[/ModuleDump]"});
    TModuleDump Poly;
    Poly.LoadFromStrings(AreaPoly, L);
    EXPECT_EQ(ToVector(L), (V{"[ModuleDump]", "1", " 1 112 0 3", "[/ModuleDump]"}));
    ASSERT_EQ(Poly.Count(), 1);
    EXPECT_EQ(Poly.Items(0).ModuleType, 112);
    EXPECT_EQ(Poly.Items(0).Y, 3);
    TStringList Out;
    Poly.SaveToStrings(Out);
    EXPECT_EQ(ToVector(Out), (V{"[ModuleDump]", "1", "1 112 0 3", "[/ModuleDump]"}));

    for (const char* NoSplit : {"1 1 112 0", "1 1 112 0 3 4"}) {
        TStringList M = MakeLines({"[ModuleDump]", NoSplit, "2 3 4 5"});
        Poly.LoadFromStrings(AreaPoly, M);
        EXPECT_EQ(M.Count(), 3) << NoSplit;
        ASSERT_EQ(Poly.Count(), 1) << NoSplit;
        EXPECT_EQ(Poly.Items(0).ModuleIndex, 2);
    }
}

TEST(ModuleDump, LinesReadDroppedAndEndedAsTheyShould)
{
    TStringList L = MakeLines({"[ModuleDump]", "1", "3 17 0 5 word", "\t4  18\t-1 2", "5 19 1", "6 x 1 1",
                               "7 20 1 99999999999", " [not an end", "8 21 0 0", "", "9 22 0 0", "[/ModuleDump]"});
    TModuleDump Poly;
    Poly.LoadFromStrings(AreaPoly, L);
    TStringList Out;
    Poly.SaveToStrings(Out);
    EXPECT_EQ(ToVector(Out), (V{"[ModuleDump]", "1", "3 17 0 5", "4 18 -1 2", "8 21 0 0", "[/ModuleDump]"}));
    EXPECT_THROW(Poly.Items(3), EListError);
}

TEST(ModuleDump, EmptyDumpsWriteTheirThreeLines)
{
    TModuleDump Poly, Common;
    TStringList Empty;
    Poly.LoadFromStrings(AreaPoly, Empty);
    Common.LoadFromStrings(AreaCommon, Empty);
    TStringList Out;
    Poly.SaveToStrings(Out);
    Common.SaveToStrings(Out);
    EXPECT_EQ(ToVector(Out), (V{"[ModuleDump]", "1", "[/ModuleDump]", "[ModuleDump]", "0", "[/ModuleDump]"}));
}

TEST(ModuleDump, SwapExchangesIndicesInPlace)
{
    TStringList L = MakeLines({"[ModuleDump]", "1", "1 10 0 0", "2 20 0 1", "3 30 0 2"});
    TModuleDump Poly;
    Poly.LoadFromStrings(AreaPoly, L);
    Poly.SwapModules(1, 3);
    TStringList Out;
    Poly.SaveToStrings(Out);
    EXPECT_EQ(ToVector(Out), (V{"[ModuleDump]", "1", "3 10 0 0", "2 20 0 1", "1 30 0 2", "[/ModuleDump]"}));
    Poly.SwapModules(2, 9); // only one used
    EXPECT_EQ(Poly.Items(1).ModuleIndex, 9);
    Poly.SwapModules(3, 3);
    EXPECT_EQ(Poly.Items(0).ModuleIndex, 3);
}

TEST(NameDump, ReadsQuotedBareAndEmptyNames)
{
    TStringList L = MakeLines({"[NameDump]", "1", "2 Osc1", "3 \"Osc A\"", "4 Two words", "5", "x Dropped", "4 Again",
                               "6 \"\""});
    TNameDump Names;
    Names.LoadFromStrings(AreaPoly, L);
    EXPECT_EQ(Names.Count(), 6);
    EXPECT_EQ(Names.FindName(2), "Osc1");
    EXPECT_EQ(Names.FindName(3), "Osc A");
    EXPECT_EQ(Names.FindName(4), "Two"); // the first of two entries
    EXPECT_EQ(Names.FindName(5), "");
    EXPECT_EQ(Names.FindName(42), "");
    Names.SwapModules(2, 5);
    EXPECT_EQ(Names.FindName(5), "Osc1");
    EXPECT_EQ(Names.Items(0).ModuleIndex, 5);
}

TEST(NameDump, EveryNameTheReaderCanProduceReadsBackAfterASave)
{
    const V Written = {"1 plain", "2 \"with blank\"", "3 \"tab\there\"", "4 x\"\"y", "5 a\"b", "6 ", "7 \"\"",
                       "8 \"q", "9 \"\"\"\"", "10 end\"", "11 \xe9\xff"};
    V Section = {"[NameDump]", "0"};
    Section.insert(Section.end(), Written.begin(), Written.end());
    TStringList L = MakeLines(Section);
    TNameDump First;
    First.LoadFromStrings(AreaCommon, L);

    TStringList Saved;
    First.SaveToStrings(Saved);
    TNameDump Second;
    Second.LoadFromStrings(AreaCommon, Saved);
    ASSERT_EQ(Second.Count(), First.Count());
    for (int32_t I = 0; I < First.Count(); ++I) {
        EXPECT_EQ(Second.Items(I).ModuleIndex, First.Items(I).ModuleIndex);
        EXPECT_EQ(Second.Items(I).Name, First.Items(I).Name) << Written[static_cast<size_t>(I)];
    }
    // Names without blanks, tabs or quotes are written as the index, a blank and the name.
    EXPECT_EQ(Saved[2], "1 plain");
    EXPECT_EQ(Saved[7], "6 ");
    EXPECT_EQ(Saved[3], "2 \"with blank\"");
    EXPECT_EQ(First.FindName(4), "x\"y");
    EXPECT_EQ(Saved[5], "4 x\"\"y");
}
