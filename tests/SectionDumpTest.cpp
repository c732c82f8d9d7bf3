// Finding per-area sections, the area line split, module and name dumps.
#include <gtest/gtest.h>

#include "TestHelpers.h"
#include "patch/ModuleDump.h"
#include "patch/NameDump.h"

using namespace permuto;
using namespace permuto::test;
using V = std::vector<std::string>;

namespace {

TModuleDump Modules(const TPatchText& Text, TAreaCode Area = AreaPoly)
{
    TModuleDump Dump;
    Dump.LoadFromStrings(Area, Text);
    return Dump;
}

} // namespace

TEST(SectionText, StartsWithTextAndSectionEnd)
{
    EXPECT_TRUE(StartsWithText("[moduledump]", "[MODULEDUMP"));
    EXPECT_TRUE(StartsWithText("[ModuleDump] trailing", "[MODULEDUMP"));
    EXPECT_FALSE(StartsWithText(" [ModuleDump]", "[MODULEDUMP"));
    EXPECT_FALSE(StartsWithText("[Module", "[MODULEDUMP"));
    EXPECT_FALSE(StartsWithText("[M\xd6" "DULEDUMP", "[M\xf6" "DULEDUMP")); // only a to z fold
    EXPECT_FALSE(IsSectionEnd(""));
    EXPECT_TRUE(IsSectionEnd("[/ModuleDump]"));
    EXPECT_FALSE(IsSectionEnd(" ["));
}

TEST(AreaSections, AreaLineDecidesFirstMatchWinsBadAreaLinesSkipped)
{
    const V Both = {"[ModuleDump]", "0", "1 7 0 0", "[/ModuleDump]", "[ModuleDump]", "1", "1 4 2 2"};
    EXPECT_EQ(SavedLines(Modules(MakeText(Both), AreaCommon))[2], "1 7 0 0");
    EXPECT_EQ(SavedLines(Modules(MakeText(Both)))[2], "1 4 2 2");
    EXPECT_EQ(SavedLines(Modules(MakeText({"[MODULEDUMP]", "x", "5 5 5 5", "[moduledump]", "3", "[ModuleDump]",
                                                "1", "1 1 1 1", "[ModuleDump]", "1", "2 2 2 2"}))),
              (V{"[ModuleDump]", "1", "1 1 1 1", "[/ModuleDump]"}));
    EXPECT_EQ(Modules(MakeText({"[ModuleDump]"})).Count(), 0);
}

TEST(AreaSections, AreaLineCarryingAModuleLineIsSplit)
{
    const TPatchText L = MakeText({"[ModuleDump]", "1 1 112 0 3", "[/ModuleDump]"});
    EXPECT_EQ(ToVector(L.Lines()), (V{"[ModuleDump]", "1", " 1 112 0 3", "[/ModuleDump]"}));
    TModuleDump Poly;
    Poly.LoadFromStrings(AreaPoly, L);
    EXPECT_EQ(SavedLines(Poly), (V{"[ModuleDump]", "1", "1 112 0 3", "[/ModuleDump]"}));

    for (const char* NoSplit : {"1 1 112 0", "1 1 112 0 3 4"}) {
        const TPatchText M = MakeText({"[ModuleDump]", NoSplit, "2 3 4 5"});
        Poly.LoadFromStrings(AreaPoly, M);
        EXPECT_EQ(M.Count(), 3) << NoSplit; // not split
        EXPECT_EQ(SavedLines(Poly), (V{"[ModuleDump]", "1", "2 3 4 5", "[/ModuleDump]"})) << NoSplit;
    }
}

TEST(ModuleDump, LinesReadDroppedAndEndedAsTheyShould) // at a "[" line; an empty line is passed over
{
    const TModuleDump Poly =
        Modules(MakeText({"[ModuleDump]", "1", "3 17 0 5 word", "\t4  18\t-1 2", "5 19 1", "6 x 1 1",
                               "7 20 1 99999999999", " [not an end", "8 21 0 0", "", "9 22 0 0", "[/ModuleDump]"}));
    EXPECT_EQ(SavedLines(Poly),
              (V{"[ModuleDump]", "1", "3 17 0 5", "4 18 -1 2", "8 21 0 0", "9 22 0 0", "[/ModuleDump]"}));
    EXPECT_THROW(Poly.Items(4), EListError);

    // Without a section each area still writes its header, area line and closer.
    EXPECT_EQ(SavedLines(Modules(TPatchText())), (V{"[ModuleDump]", "1", "[/ModuleDump]"}));
    EXPECT_EQ(SavedLines(Modules(TPatchText(), AreaCommon)), (V{"[ModuleDump]", "0", "[/ModuleDump]"}));
}

TEST(NameDump, ReadsQuotedBareAndEmptyNamesFirstEntryWins)
{
    const TPatchText L = MakeText({"[NameDump]", "1", "2 Osc1", "3 \"Osc A\"", "4 Two words", "5", "x Dropped",
                               "4 Again", "6 \"\""});
    TNameDump Names;
    Names.LoadFromStrings(AreaPoly, L);
    EXPECT_EQ(Names.Count(), 6);
    for (const auto& [Index, Name] : {std::pair{2, "Osc1"}, {3, "Osc A"}, {4, "Two"}, {5, ""}, {42, ""}})
        EXPECT_EQ(Names.FindName(Index), Name) << Index;

    const TNameLookup Lookup(Names);
    ASSERT_TRUE(Lookup.Find(4) && Lookup.Find(6));
    EXPECT_EQ(*Lookup.Find(4), "Two"); // not "Again", the later entry of index 4
    EXPECT_EQ(*Lookup.Find(6), "");
    EXPECT_EQ(Lookup.Find(42), nullptr);

    Names.SwapModules(2, 5);
    EXPECT_EQ(Names.FindName(5), "Osc1");
    EXPECT_EQ(Names.Items(0).ModuleIndex, 5);
}

TEST(NameDump, EveryNameTheReaderCanProduceReadsBackAfterASave)
{
    const V Written = {"[NameDump]", "0", "1 plain", "2 \"with blank\"", "3 \"tab\there\"", "4 x\"\"y", "5 a\"b", "6 ",
                       "7 \"\"", "8 \"q", "9 \"\"\"\"", "10 end\"", "11 \xe9\xff"};
    TNameDump First, Second;
    First.LoadFromStrings(AreaCommon, MakeText(Written));
    const TPatchText Saved(SavedText(First));
    Second.LoadFromStrings(AreaCommon, Saved);
    ASSERT_EQ(Second.Count(), First.Count());
    for (int32_t I = 0; I < First.Count(); ++I)
        EXPECT_EQ(Second.FindName(I + 1), First.FindName(I + 1)) << Written[static_cast<size_t>(I) + 2];
    // Quoted only with a blank or a tab inside; otherwise bare, each quote doubled.
    EXPECT_EQ(First.FindName(4), "x\"y");
    EXPECT_EQ((V{std::string(Saved[2]), std::string(Saved[3]), std::string(Saved[5]), std::string(Saved[7])}),
              (V{"1 plain", "2 \"with blank\"", "4 x\"\"y", "6 "}));
}
