// Reading, fallbacks, body ends and writing of the header, current notes,
// cables, parameters, custom values, the three assignment maps, the keyboard
// assignment and the notes.
#include <gtest/gtest.h>

#include "TestHelpers.h"
#include "library/Errors.h"
#include "patch/PatchDefs.h"

using namespace permuto;
using namespace permuto::test;
using V = std::vector<std::string>;

namespace {

template <class TSection>
V SavedLines(const TSection& Section)
{
    TStringList Out;
    Section.SaveToStrings(Out);
    return ToVector(Out);
}

// Loads a per-area section of the poly area from body lines.
template <class TDump>
TDump PolyDumpOf(const std::string& Header, const V& Body)
{
    V All = {Header, "1"};
    All.insert(All.end(), Body.begin(), Body.end());
    TStringList L = MakeLines(All);
    TDump Dump;
    Dump.LoadFromStrings(AreaPoly, L);
    return Dump;
}

const std::string Defaults = "0 127 0 127 0 0 0 1 4000 2 0 0 0 0 0 0 1 1 1 1 1 1 1";

std::string HeaderNumbers(const std::string& Numbers)
{
    THeader H;
    TStringList L = MakeLines({"version=x", Numbers});
    H.LoadFromStrings(L);
    return SavedLines(H)[2];
}

} // namespace

TEST(Header, VersionLineAnywhereAnyCase)
{
    THeader H;
    TStringList L = MakeLines({"[Notes]", "VERSION=3.03 beta = x", "1 2 3"});
    H.LoadFromStrings(L);
    EXPECT_EQ(H.Version, "3.03 beta = x");
    EXPECT_EQ(SavedLines(H)[1], "Version=3.03 beta = x");

    TStringList Bare = MakeLines({"Version", ""});
    H.LoadFromStrings(Bare);
    EXPECT_EQ(SavedLines(H), (V{"[Header]", "Version=Version", Defaults, "[/Header]"}));
}

TEST(Header, NumbersStopAtTheFirstFailureWithTheReadersFallback)
{
    EXPECT_EQ(HeaderNumbers("1 2 3 4 5 6 1 8 9 3 1 1 -1 -2 7 8 0 0 0 0 0 0 0 99"),
              "1 2 3 4 5 6 1 8 9 3 1 1 -1 -2 7 8 0 0 0 0 0 0 0");
    EXPECT_EQ(HeaderNumbers("1 2 3 4 5 6 1 8 9 3 1 1 -1 -2 7 8 0 0 0 0 0 0"), // 22 numbers
              "1 2 3 4 5 6 1 8 9 3 1 1 -1 -2 7 8 0 0 0 0 0 0 0");
    EXPECT_EQ(HeaderNumbers("0 128 5"), "0 0 0 127 0 0 0 1 4000 2 0 0 0 0 0 0 1 1 1 1 1 1 1");
    EXPECT_EQ(HeaderNumbers("0 1 0 1 0 0 0 1 5 9 1"), "0 1 0 1 0 0 0 1 5 1 0 0 0 0 0 0 1 1 1 1 1 1 1");
    EXPECT_EQ(HeaderNumbers("0\t1  0 1 24 0 0 33"), "0 1 0 1 24 0 0 1 4000 2 0 0 0 0 0 0 1 1 1 1 1 1 1");
    EXPECT_EQ(HeaderNumbers("0 1 0 1 0 0 0 1 12z"), "0 1 0 1 0 0 0 1 12 2 0 0 0 0 0 0 1 1 1 1 1 1 1");
}

TEST(Header, MissingVersionOrNumbersLineRaisesTheListError)
{
    THeader H;
    TStringList None = MakeLines({"a", "b", "c"});
    try {
        H.LoadFromStrings(None);
        FAIL();
    } catch (const EListError& E) {
        EXPECT_STREQ(E.what(), "List index out of bounds (3)");
    }
    TStringList Last = MakeLines({"a", "Version=1"});
    EXPECT_THROW(H.LoadFromStrings(Last), EListError);
}

TEST(CurrentNotes, TriplesOnOneLine)
{
    TCurrentNoteDump D;
    TStringList L = MakeLines({"[CURRENTNOTEDUMP]", "60 100 0 62\t90  64 1", "1 2 3", "[/CurrentNoteDump]"});
    D.LoadFromStrings(L);
    EXPECT_EQ(SavedLines(D), (V{"[CurrentNoteDump]", "60 100 0 62 90 64", "[/CurrentNoteDump]"}));

    TStringList Bad = MakeLines({"[CurrentNoteDump]", "1 2 3 128 5 6"});
    D.LoadFromStrings(Bad);
    EXPECT_EQ(SavedLines(D)[1], "1 2 3");

    for (const V& Empty : {V{"[CurrentNoteDump]", "", "[/CurrentNoteDump]"}, V{"[CurrentNoteDump]"}, V{}}) {
        TStringList E = MakeLines(Empty);
        D.LoadFromStrings(E);
        EXPECT_TRUE(SavedLines(D).empty()); // the section is left out
    }
}

TEST(Cables, ReadWriteAndDrop)
{
    auto D = PolyDumpOf<TCableDump>("[cabledump]", {"0 1 2 0 3 4 1", "\t6   1\t2 1 3 4 0 extra", "7 1 2 0 3 4 1",
                                                    "1 1 2 2 3 4 1", "1 1 2 0 3 4 2", "1 1 2 0 3 4",
                                                    " [ not an end", "2 1 1 1 1 1 1", "", "3 1 1 1 1 1 1"});
    EXPECT_EQ(SavedLines(D), (V{"[CableDump]", "1", "0 1 2 0 3 4 1", "6 1 2 1 3 4 0", "2 1 1 1 1 1 1",
                                "[/CableDump]"}));
}

TEST(Cables, SwapRenumbersBothEnds)
{
    auto D = PolyDumpOf<TCableDump>("[CableDump]", {"1 2 0 1 5 3 0", "1 2 0 1 2 3 0", "1 4 0 1 6 3 0"});
    D.SwapModules(2, 5);
    EXPECT_EQ(SavedLines(D), (V{"[CableDump]", "1", "1 5 0 1 2 3 0", "1 5 0 1 5 3 0", "1 4 0 1 6 3 0",
                                "[/CableDump]"}));
}

TEST(ParameterLines, ValueListsAreCompleteOrEmpty)
{
    auto D = PolyDumpOf<TParameterDump>(
        "[ParameterDump]", {"3 12 4 64 0 127 5", "3 12 4 64 0", "3 12 2 64 128", "3 12 2 -1 5", "3 12 2 64 0 99",
                            "3 12 0", "3 12 -4 1 2", "   ", "abc", "7x", "4 5 2147483647 1 2 3", "9\t8\t1\t7"});
    EXPECT_EQ(SavedLines(D), (V{"[ParameterDump]", "1", "3 12 4 64 0 127 5", "3 12 0", "3 12 0", "3 12 0",
                                "3 12 2 64 0", "3 12 0", "3 12 -4", "0 0 0", "0 0 0", "7 0 0", "4 5 0", "9 8 1 7",
                                "[/ParameterDump]"}));
    const TParameterLine& Line = D.Items(0);
    EXPECT_EQ(Line.Count(), 4);
    EXPECT_EQ(Line.Values.Items(2), 127);
    EXPECT_THROW(Line.Values.Items(4), EAssertionFailed);
    EXPECT_THROW(D.Items(6).Values.Items(0), EAssertionFailed);
}

TEST(ParameterLines, HugeCountOnAShortLineAllocatesNothingLarge)
{
    TParameterValues Values;
    const std::string Line = "2147483647 1 2 3";
    int32_t Pos = 1;
    Values.ReadList(Line, Pos);
    EXPECT_EQ(Values.Count(), 0);
    Values.SetCount(3);
    Values.SetItem(2, 9);
    Values.SetCount(5);
    EXPECT_EQ(Values.Items(2), 9);
    try {
        Values.SetItem(5, 1);
        FAIL();
    } catch (const EAssertionFailed& E) {
        EXPECT_STREQ(E.what(), "TParameterValues : Mind indices please !");
    }
}

TEST(ParameterLines, SwapKeepsTypeValuesAndPlace)
{
    auto D = PolyDumpOf<TParameterDump>("[ParameterDump]", {"2 3 1 10", "5 7 2 1 2", "6 8 0"});
    D.SwapModules(2, 5);
    EXPECT_EQ(SavedLines(D), (V{"[ParameterDump]", "1", "5 3 1 10", "2 7 2 1 2", "6 8 0", "[/ParameterDump]"}));
}

TEST(CustomLines, ReadWriteAndSwap)
{
    auto D = PolyDumpOf<TCustomDump>("[CustomDump]", {"4 2 1 0", "4 3 1 0", "4 1 128", "4 0", "4 1 7 9", " ", "abc",
                                                      "5 2 3 4", "[/CustomDump]", "6 1 1"});
    D.SwapModules(4, 5);
    EXPECT_EQ(SavedLines(D), (V{"[CustomDump]", "1", "5 2 1 0", "5 0", "5 0", "5 0", "5 1 7", "0 0", "0 0",
                                "4 2 3 4", "[/CustomDump]"}));
}

TEST(ListSections, OnlyTheFirstSectionOfAnAreaIsRead)
{
    TStringList L = MakeLines({"[ParameterDump]", "1", "1 1 0", "[/ParameterDump]", "[ParameterDump]", "1", "2 2 0"});
    TParameterDump D;
    D.LoadFromStrings(AreaPoly, L);
    EXPECT_EQ(D.Count(), 1);
}

TEST(MorphMap, KnobValuesAndAssignments)
{
    TMorphMapDump M;
    TStringList L = MakeLines({"[morphmapdump] x", "10 20 30 40", "1 5 2 0 -10", "1 5 2 4 64", "0\t3 1 3 127 extra",
                               "  ", "", "1 1 1 1 1"});
    M.LoadFromStrings(L);
    EXPECT_EQ(SavedLines(M), (V{"[MorphMapDump]", "10 20 30 40", "1 5 2 0 0", "1 5 2 1 0", "0 3 1 3 127",
                                "1 0 0 0 0", "[/MorphMapDump]"}));

    TStringList Short = MakeLines({"[MorphMapDump]", "10 20 30", "[/MorphMapDump]"});
    M.LoadFromStrings(Short);
    EXPECT_EQ(SavedLines(M), (V{"[MorphMapDump]", "10 20 30 0", "1 0 0 0 0", "[/MorphMapDump]"}));

    TStringList None = MakeLines({" [MorphMapDump]", "10 20 30 40"});
    M.LoadFromStrings(None);
    EXPECT_EQ(SavedLines(M), (V{"[MorphMapDump]", "0 0 0 0", "[/MorphMapDump]"}));
    TStringList Last = MakeLines({"[MorphMapDump]"});
    M.LoadFromStrings(Last);
    EXPECT_EQ(M.Assignments.Count(), 0);
}

TEST(KnobAndControlMaps, FieldsFallbacksAndEmptySections)
{
    TKnobMapDump K;
    TStringList L = MakeLines({"[KnobMapDump]", "0\t3\t1\t21", "5 3 1 21", "1 2 3 128", "1 2 3 -1", "1 2 3", "",
                               "1 1 1 1", "[KnobMapDump]", "1 9 9 9"});
    K.LoadFromStrings(L);
    EXPECT_EQ(SavedLines(K), (V{"[KnobMapDump]", "0 3 1 21", "1 0 0 0", "1 2 3 0", "1 2 3 0", "1 2 3 0",
                                "[/KnobMapDump]"}));

    TControlMapDump C;
    TStringList CL = MakeLines({"[CONTROLMAPDUMP]", "1\t2\t0\t7", "3 1 1 1", "[/ControlMapDump]"});
    C.LoadFromStrings(CL);
    EXPECT_EQ(SavedLines(C), (V{"[ControlMapDump]", "1 2 0 7", "1 0 0 0", "[/ControlMapDump]"}));
    TStringList Empty;
    C.LoadFromStrings(Empty);
    EXPECT_EQ(SavedLines(C), (V{"[ControlMapDump]", "[/ControlMapDump]"}));
}

TEST(KeyboardAssignment, FourValuesAndTheirFallbacks)
{
    auto Read = [](const V& Lines) {
        TKeyboardAssignment A;
        TStringList L = MakeLines(Lines);
        A.LoadFromStrings(L);
        return SavedLines(A)[1];
    };
    EXPECT_EQ(Read({"[keyboardassignment]", "1\t2\t0\t2 1"}), "1 2 0 2 ");
    EXPECT_EQ(Read({"[KeyboardAssignment]", "1 3 2 2"}), "1 0 0 0 ");
    EXPECT_EQ(Read({"[KeyboardAssignment]", "2 1"}), "2 1 0 0 ");
    EXPECT_EQ(Read({"[KeyboardAssignment]", "[/KeyboardAssignment]"}), "0 0 0 0 ");
    EXPECT_EQ(Read({"[KeyboardAssignment]"}), "0 0 0 0 ");
    EXPECT_EQ(Read({}), "0 0 0 0 ");
}

TEST(Notes, EndAtTheirClosingLine)
{
    auto Notes = [](const V& Lines) {
        TNotes N;
        TStringList L = MakeLines(Lines);
        N.LoadFromStrings(L);
        return ToVector(N);
    };
    EXPECT_EQ(Notes({"x", "[Notes]", "one", "two", "[/Notes]"}), (V{"one", "two"}));
    EXPECT_EQ(Notes({"[Notes]", "", "[not a section]", "[/Notes]"}), (V{"", "[not a section]"}));
    EXPECT_EQ(Notes({"[Notes]", "one", "[/Notes]", ""}), V{"one"}); // a trailing empty line is no note
    EXPECT_EQ(Notes({"[Notes]", "one", "[/NOTES]", "[KnobMapDump]", "1 1 1 1", "[/KnobMapDump]"}), V{"one"});
    EXPECT_EQ(Notes({"[Notes]", "one", "two"}), (V{"one", "two"})); // no closing line loses nothing
    EXPECT_EQ(Notes({"[Notes]", "a", "[/Notes]", "b", "[/Notes]"}), (V{"a", "[/Notes]", "b"}));
    EXPECT_EQ(Notes({"[Notes]"}), V{});
    EXPECT_EQ(Notes({"no notes"}), V{});
}
