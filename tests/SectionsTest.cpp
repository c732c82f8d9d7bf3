// Reading, fallbacks, body ends and writing of the header, current notes,
// cables, parameters, custom values, the three assignment maps, the keyboard
// assignment and the notes.
#include <gtest/gtest.h>

#include <type_traits>

#include "TestHelpers.h"
#include "base/Errors.h"
#include "patch/PatchDefs.h"

using namespace permuto;
using namespace permuto::test;
using V = std::vector<std::string>;

namespace {

// Loads a section from Lines (the poly area of a per-area section), swaps
// modules A and B, and gives back what it writes between its header (and
// area line) and its closing line.
template <class TDump, int A = 0, int B = 0>
V Body(const V& Lines)
{
    constexpr bool PerArea = std::is_base_of_v<TSectionDump, TDump>;
    const TPatchText L = MakeText(Lines);
    TDump Dump;
    if constexpr (PerArea) {
        Dump.LoadFromStrings(AreaPoly, L);
        if constexpr (A != B)
            Dump.SwapModules(A, B);
    } else {
        Dump.LoadFromStrings(L);
    }
    const V Saved = SavedLines(Dump);
    if (Saved.empty())
        return {"(left out)"};
    return V(Saved.begin() + (PerArea ? 2 : 1), Saved.end() - 1);
}

} // namespace

TEST(Header, VersionLineAnywhereAnyCaseAndTheListErrorWhenLinesAreMissing)
{
    THeader H;
    H.LoadFromStrings(MakeText({"[Notes]", "VERSION=3.03 beta = x", "1 2 3"}));
    EXPECT_EQ(H.Version(), "3.03 beta = x");
    EXPECT_EQ(SavedLines(H)[1], "Version=3.03 beta = x");
    H.LoadFromStrings(MakeText({"Version", ""}));
    EXPECT_EQ(H.Version(), "Version");
    try {
        H.LoadFromStrings(MakeText({"a", "b", "c"}));
        FAIL();
    } catch (const EListError& E) {
        EXPECT_STREQ(E.what(), "List index out of bounds (3)");
    }
    EXPECT_THROW(H.LoadFromStrings(MakeText({"a", "Version=1"})), EListError);
}

TEST(Header, NumbersStopAtTheFirstFailureWithTheReadersFallback)
{
    const std::pair<const char*, const char*> Cases[] = {
        {"", "0 127 0 127 0 0 0 1 4000 2 0 0 0 0 0 0 1 1 1 1 1 1 1"}, // the defaults
        {"1 2 3 4 5 6 1 8 9 3 1 1 -1 -2 7 8 0 0 0 0 0 0 0 99", "1 2 3 4 5 6 1 8 9 3 1 1 -1 -2 7 8 0 0 0 0 0 0 0"},
        {"1 2 3 4 5 6 1 8 9 3 1 1 -1 -2 7 8 0 0 0 0 0 0", "1 2 3 4 5 6 1 8 9 3 1 1 -1 -2 7 8 0 0 0 0 0 0 0"},
        {"0 128 5", "0 0 0 127 0 0 0 1 4000 2 0 0 0 0 0 0 1 1 1 1 1 1 1"},
        {"0 1 0 1 0 0 0 1 5 9 1", "0 1 0 1 0 0 0 1 5 1 0 0 0 0 0 0 1 1 1 1 1 1 1"},
        {"0\t1  0 1 24 0 0 33", "0 1 0 1 24 0 0 1 4000 2 0 0 0 0 0 0 1 1 1 1 1 1 1"},
        {"0 1 0 1 0 0 0 1 12z", "0 1 0 1 0 0 0 1 12 2 0 0 0 0 0 0 1 1 1 1 1 1 1"},
    };
    for (const auto& [Numbers, Written] : Cases) {
        THeader H;
        H.LoadFromStrings(MakeText({"version=x", Numbers}));
        EXPECT_EQ(SavedLines(H)[2], Written) << Numbers;
    }
}

TEST(SectionBodies, LinesReadFallBackDropAndEnd)
{
    struct {
        const char* Name;
        V (*Read)(const V&);
        V Lines;
        V Written;
    } const Cases[] = {
        {"current notes", Body<TCurrentNoteDump>,
         {"[CURRENTNOTEDUMP]", "60 100 0 62\t90  64 1", "1 2 3", "[/CurrentNoteDump]"}, {"60 100 0 62 90 64"}},
        {"current notes 128", Body<TCurrentNoteDump>, {"[CurrentNoteDump]", "1 2 3 128 5 6"}, {"1 2 3"}},
        {"no current notes", Body<TCurrentNoteDump>, {"[CurrentNoteDump]", "", "[/CurrentNoteDump]"}, {"(left out)"}},
        {"current notes header last", Body<TCurrentNoteDump>, {"[CurrentNoteDump]"}, {"(left out)"}},
        {"current notes none", Body<TCurrentNoteDump>, {}, {"(left out)"}},
        {"cables", Body<TCableDump>,
         {"[cabledump]", "1", "0 1 2 0 3 4 1", "\t6   1\t2 1 3 4 0 extra", "7 1 2 0 3 4 1", "1 1 2 2 3 4 1",
          "1 1 2 0 3 4 2", "1 1 2 0 3 4", " [ not an end", "2 1 1 1 1 1 1", "", "3 1 1 1 1 1 1"},
         {"0 1 2 0 3 4 1", "6 1 2 1 3 4 0", "2 1 1 1 1 1 1", "3 1 1 1 1 1 1"}}, // an empty line ends nothing
        {"cable swap", Body<TCableDump, 2, 5>, {"[CableDump]", "1", "1 2 0 1 5 3 0", "1 2 0 1 2 3 0", "1 4 0 1 6 3 0"},
         {"1 5 0 1 2 3 0", "1 5 0 1 5 3 0", "1 4 0 1 6 3 0"}},
        {"parameters", Body<TParameterDump>,
         {"[ParameterDump]", "1", "3 12 4 64 0 127 5", "3 12 4 64 0", "3 12 2 64 128", "3 12 2 -1 5", "3 12 2 64 0 99",
          "3 12 0", "3 12 -4 1 2", "   ", "abc", "7x", "4 5 2147483647 1 2 3", "9\t8\t1\t7"},
         {"3 12 4 64 0 127 5", "3 12 0", "3 12 0", "3 12 0", "3 12 2 64 0", "3 12 0", "3 12 -4", "0 0 0", "0 0 0",
          "7 0 0", "4 5 0", "9 8 1 7"}},
        {"custom values and swap", Body<TCustomDump, 4, 5>,
         {"[CustomDump]", "1", "4 2 1 0", "4 3 1 0", "4 1 128", "4 0", "4 1 7 9", " ", "abc", "5 2 3 4",
          "[/CustomDump]", "6 1 1"},
         {"5 2 1 0", "5 0", "5 0", "5 0", "5 1 7", "0 0", "0 0", "4 2 3 4"}},
        {"morph map", Body<TMorphMapDump>,
         {"[morphmapdump] x", "10 20 30 40", "1 5 2 0 -10", "1 5 2 4 64", "0\t3 1 3 127 extra", "  ", "",
          "1 1 1 1 1"},
         {"10 20 30 40", "1 5 2 0 -10 1 5 2 1 0 0 3 1 3 127 1 1 1 1 1"}},
        // The editor's own: every assignment on one line, ranges -127..127.
        {"morph map on one line", Body<TMorphMapDump>,
         {"[MorphMapDump]", "0 0 0 0 ", "1 1 3 0 22 1 5 0 0 -127 0 5 1 3 127 ", "[/MorphMapDump]"},
         {"0 0 0 0", "1 1 3 0 22 1 5 0 0 -127 0 5 1 3 127"}},
        // A knob values line that does not read whole is read again as assignments.
        {"morph short values", Body<TMorphMapDump>, {"[MorphMapDump]", "10 20 30", "[/MorphMapDump]"},
         {"0 0 0 0"}},
        {"morph no header", Body<TMorphMapDump>, {" [MorphMapDump]", "10 20 30 40"}, {"0 0 0 0"}},
        {"morph header last", Body<TMorphMapDump>, {"[MorphMapDump]"}, {"0 0 0 0"}},
        {"knob map", Body<TKnobMapDump>,
         {"[KnobMapDump]", "0\t3\t1\t21", "5 3 1 21", "1 2 3 128", "1 2 3 -1", "1 2 3", "", " \t", "1 1 1 1",
          "[KnobMapDump]", "1 9 9 9"},
         {"0 3 1 21", "1 0 0 0", "1 2 3 0", "1 2 3 0", "1 2 3 0", "1 1 1 1"}},
        {"control map", Body<TControlMapDump>, {"[CtrlMapDump]", "1\t2\t0\t7", "3 1 1 1", "2 1 0 1 ", "[/CtrlMapDump]"},
         {"1 2 0 7", "1 0 0 0", "2 1 0 1"}},
        {"control map of earlier versions", Body<TControlMapDump>, {"[CONTROLMAPDUMP]", "1 2 0 7", "[/ControlMapDump]"},
         {"1 2 0 7"}},
        {"control map none", Body<TControlMapDump>, {}, {}}, // an empty map is still written
        {"keyboard", Body<TKeyboardAssignment>, {"[keyboardassignment]", "1\t2\t0\t2 1"}, {"1 2 0 2 "}},
        {"keyboard 3", Body<TKeyboardAssignment>, {"[KeyboardAssignment]", "1 3 2 2"}, {"1 0 0 0 "}},
        {"keyboard header last", Body<TKeyboardAssignment>, {"[KeyboardAssignment]"}, {"0 0 0 0 "}},
        {"keyboard none", Body<TKeyboardAssignment>, {}, {"0 0 0 0 "}},
        {"notes", Body<TNotes>, {"x", "[Notes]", "one", "two", "[/Notes]"}, {"one", "two"}},
        {"notes section-like lines", Body<TNotes>, {"[Notes]", "", "[not a section]", "[/Notes]"},
         {"", "[not a section]"}},
        {"notes trailing empty line", Body<TNotes>, {"[Notes]", "one", "[/Notes]", ""}, {"one"}},
        {"notes then a section", Body<TNotes>,
         {"[Notes]", "one", "[/NOTES]", "[KnobMapDump]", "1 1 1 1", "[/KnobMapDump]"}, {"one"}},
        {"notes unclosed", Body<TNotes>, {"[Notes]", "one", "two"}, {"one", "two"}}, // loses nothing
        {"notes closed twice", Body<TNotes>, {"[Notes]", "a", "[/Notes]", "b", "[/Notes]"}, {"a", "[/Notes]", "b"}},
        {"notes header last", Body<TNotes>, {"[Notes]"}, {}},
        {"no notes", Body<TNotes>, {"no notes"}, {}},
    };
    for (const auto& C : Cases)
        EXPECT_EQ(C.Read(C.Lines), C.Written) << C.Name;
}

TEST(ParameterValues, CompleteOrEmptyAndCheckedPositions)
{
    TParameterValues Values;
    int32_t Pos = 1;
    Values.ReadList("2147483647 1 2 3", Pos); // a huge count on a short line allocates nothing large
    EXPECT_EQ(Values.Count(), 0);
    Values.SetCount(3);
    Values.SetItem(2, 9);
    Values.SetCount(5);
    EXPECT_EQ(Values.Items(2), 9);
    EXPECT_THROW(Values.SetItem(5, 1), EAssertionFailed);
    EXPECT_THROW(Values.Items(5), EAssertionFailed);
    Values.SetCount(-4);
    EXPECT_THROW(Values.Items(0), EAssertionFailed);
}
