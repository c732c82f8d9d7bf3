// Finding per-area sections, the area line split, module and name dumps.
#include <gtest/gtest.h>

#include <tuple>

#include "TestHelpers.h"
#include "patch/ModuleDump.h"
#include "patch/NameDump.h"

using namespace permuto;
using namespace permuto::test;
using V = std::vector<std::string>;

namespace {

TModuleDump Modules(const TPatchText& Text, TArea Area = AreaPoly)
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

TEST(AreaSections, AreaLineCarryingTheFirstRecordIsSplit)
{
    const TPatchText L = MakeText({"[ModuleDump]", "1 1 112 0 3 ", "[/ModuleDump]"});
    EXPECT_EQ(ToVector(L.Lines()), (V{"[ModuleDump]", "1", "1 112 0 3 ", "[/ModuleDump]"}));
    TModuleDump Poly;
    Poly.LoadFromStrings(AreaPoly, L);
    EXPECT_EQ(SavedLines(Poly), (V{"[ModuleDump]", "1", "1 112 0 3", "[/ModuleDump]"}));
    // The module number stands where the file has it.
    std::vector<size_t> Places;
    TFieldSink Sink(L.Lines().Source(), [&Places](const TModuleField& Field) { Places.push_back(Field.Offset); });
    Poly.LocateModules(L.Lines().Source(), Sink);
    EXPECT_EQ(Places, std::vector<size_t>{std::string_view("[ModuleDump]\n1 ").size()});

    // Whatever follows the code is the first record, read or not; blanks alone are none.
    for (const auto& [Line, Count, Modules] : {std::tuple{"1 1 112 0", 4, 1}, {"1 1 112 0 3 4", 4, 2}, {"1 \t ", 3, 1}}) {
        const TPatchText M = MakeText({"[ModuleDump]", Line, "2 3 4 5"});
        Poly.LoadFromStrings(AreaPoly, M);
        EXPECT_EQ(M.Count(), Count) << Line;
        EXPECT_EQ(Poly.Count(), Modules) << Line;
    }
    // A second section of the area is read by nobody: its lines cannot follow a renumbering.
    Poly.LoadFromStrings(AreaPoly, MakeText({"[ModuleDump]", "1 1 112 0 3", "[/ModuleDump]", "[ModuleDump]", "0",
                                             "1 2 0 0", "[ModuleDump]", "1 2 3 0 0", "", "3 4 0 0", "[/ModuleDump]"}));
    EXPECT_EQ(Poly.Count(), 1);
    EXPECT_EQ(Poly.Fields().Unfollowed(), 2);
    // The same in a section of another kind: the first cable.
    TCableDump Cables;
    Cables.LoadFromStrings(AreaPoly, MakeText({"[CableDump]", "1 0 1 0 0 12 0 1 ", "0 1 2 0 10 0 1 ", "[/CableDump]"}));
    ASSERT_EQ(Cables.Count(), 2);
    EXPECT_EQ(Cables.Items(0).Module2, 12);
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
    // Names run to the end of the line, as the synthesizer's editor writes them.
    const TPatchText L = MakeText({"[NameDump]", "1", "2 Osc1", "3 \"Osc A\"", "4 Two  words ", "5", "x Dropped",
                                   "4 Again", "6 \"\"", "10\t2 Osc \xe9", "11 \"a\" b"});
    TNameDump Names;
    Names.LoadFromStrings(AreaPoly, L);
    EXPECT_EQ(Names.Count(), 8);
    for (const auto& [Index, Name] : {std::pair{2, "Osc1"}, {3, "Osc A"}, {4, "Two  words "}, {5, ""}, {42, ""},
                                      {10, "2 Osc \xe9"}, {11, "\"a\" b"}})
        EXPECT_EQ(Names.FindName(Index), Name) << Index;

    const TNameLookup Lookup(Names);
    ASSERT_TRUE(Lookup.Find(4) && Lookup.Find(6));
    EXPECT_EQ(*Lookup.Find(4), "Two  words "); // not "Again", the later entry of index 4
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
    // Bare as the editor writes them; quoted only where bare would read otherwise.
    EXPECT_EQ(First.FindName(4), "x\"\"y");
    EXPECT_EQ(First.FindName(9), "\"");
    EXPECT_EQ((V{std::string(Saved[2]), std::string(Saved[3]), std::string(Saved[5]), std::string(Saved[10])}),
              (V{"1 plain", "2 with blank", "4 x\"\"y", "9 \""}));
}
