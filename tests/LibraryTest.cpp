// The module library: item lines, whole entries, the library reader, lookup
// and the library file we ship.
#include <gtest/gtest.h>

#include <clocale>

#include <tuple>

#include "TestHelpers.h"
#include "modules/Descript.h"
#include "patch/ModuleDump.h"

using namespace permuto;
using namespace permuto::test;
using V = std::vector<std::string>;

namespace {

class DecimalSeparatorGuard {
public:
    explicit DecimalSeparatorGuard(char C) { SetDecimalSeparator(C); }
    ~DecimalSeparatorGuard() { SetDecimalSeparator(0); }
};

// A whole entry: the type line, six figures, height, no parameters, the given
// input and output lines, then Tail.
V Entry(const std::string& TypeLine, const V& Tail = {}, const V& Inputs = {}, const V& Outputs = {})
{
    V Lines = {TypeLine, "cycles 1.5", "PROGMEM 2", "XMem 3", "ymem 4", "zeropage 5", "dynmem 6", "height 7",
               "parameters", "inputs"};
    Lines.insert(Lines.end(), Inputs.begin(), Inputs.end());
    Lines.push_back("outputs");
    Lines.insert(Lines.end(), Outputs.begin(), Outputs.end());
    Lines.insert(Lines.end(), Tail.begin(), Tail.end());
    return Lines;
}

V operator+(V A, const V& B)
{
    A.insert(A.end(), B.begin(), B.end());
    return A;
}

TModuleDescriptors Load(const V& Lines)
{
    TModuleDescriptors Library;
    Library.LoadFromStrings(MakeLines(Lines));
    return Library;
}

template <class TList>
V Saved(const TList& List)
{
    return SavedLines(List);
}

// Reads an item list (of connectors of the given kind) from line 0: the line
// it stopped on and what it writes.
template <class TList, TConnectorKind... Kind>
std::pair<int32_t, V> Items(const V& Lines)
{
    TList List(Kind...);
    int32_t Index = 0;
    List.LoadFromStrings(MakeLines(Lines), Index);
    if constexpr (sizeof...(Kind) == 1) {
        for (int32_t I = 0; I < List.Count(); ++I) {
            EXPECT_EQ(List.Items(I).Kind, Kind...); // each list gives its items its kind
        }
    }
    return {Index, Saved(List)};
}

} // namespace

TEST(ItemLines, ListsEndAtTheFirstLineThatIsNotTheNextItem)
{
    const std::tuple<const char*, std::pair<int32_t, V> (*)(const V&), V, int32_t, V> Cases[] = {
        // A range that fails reads as 0..0 and its text as the number.
        {"knobs", Items<TKnobDescriptors>, {"0", "1 \"Cut off\" 0..127 64 \"Hz\"", "2 Res 9..2 7 text", "2 again"}, 3,
         {"0 \"\" 0..0 0 \"\"", "1 \"Cut off\" 0..127 64 \"Hz\"", "2 \"Res\" 0..0 9 \"7\""}},
        {"customs", Items<TCustomDescriptors>, {"0 A 1..3 \"one\"", "0 B", "1 C"}, 1, {"0 \"A\" 1..3 \"one\""}},
        {"a word", Items<TCustomDescriptors>, {"outputs", "0 A"}, 0, {}},
        // A class name that is none of the four ends the list.
        {"inputs", Items<TConnectorDescriptors, 0>, {"0 In Control", "1 Sync AUDIO", "2 Midi midi", "3 Late logic"}, 2,
         {"0 \"In\" control", "1 \"Sync\" audio"}},
        {"outputs", Items<TConnectorDescriptors, 1>, {"0 Out slave", "1 NoClass"}, 1, {"0 \"Out\" slave"}},
    };
    for (const auto& [Name, Read, Lines, Index, Written] : Cases)
        EXPECT_EQ(Read(Lines), std::pair(Index, Written)) << Name;
}

TEST(ModuleEntries, CommentLinesRemarksCustomValuesAndEntryEnds)
{
    V First = Entry("20 \"Two words\"", {"CUSTOM", "0 C 0..1 \"t\"", "-"}, {}, {"0 Out audio"});
    First.insert(First.begin() + 1, "  REMARKS \"A remark\" ignored");
    auto Library = Load(V{"; comment", "- rule", " indented"} + First + Entry("21 Next", {";trailing comment", "-"}));
    ASSERT_EQ(Library.Count(), 2);
    EXPECT_EQ(Library.Items(0).Name, "Two words");
    EXPECT_EQ(Library.Items(0).Remarks, "A remark");
    EXPECT_EQ(Library.Items(0).Outputs.Count(), 1);
    EXPECT_EQ(Library.Items(0).Customs.Count(), 1);
    EXPECT_EQ(Library.Items(1).TypeNumber, 21);
}

TEST(ModuleEntries, AnEntryThatDoesNotReadOrAnEmptyLineEndsTheLoad)
{
    const auto With = [](size_t Line, const std::string& Text) {
        V E = Entry("1 A");
        E[Line] = Text;
        return E;
    };
    V Order = Entry("1 A");
    std::swap(Order[1], Order[2]);
    const std::pair<V, int32_t> Cases[] = {
        {With(8, "parameters "), 1}, // a whole-line keyword with a trailing blank
        {With(8, "parameters:"), 1},
        {With(7, "height x"), 1},
        {Order, 1}, // figures out of order
        {Entry("1 A", {}, {"0 In audio", "1 In midi"}), 1}, // the inputs end there; "outputs" is missing
        {Entry("1 A", {}, {"0 In audio", "1 In logic"}), 3},
        {{""}, 1},
    };
    for (const auto& [Middle, Count] : Cases)
        EXPECT_EQ(Load(Entry("5 Good") + Middle + Entry("6 After")).Count(), Count) << testing::PrintToString(Middle);
}

TEST(ModuleEntries, FirstEntryOfATypeWins)
{
    const auto Library = Load(Entry("3 Earlier") + Entry("3 Later"));
    EXPECT_EQ(Library.Count(), 2);
    ASSERT_NE(Library.FindByType(3), nullptr);
    EXPECT_EQ(Library.FindByType(3)->Name, "Earlier");
    EXPECT_EQ(Library.FindByType(4), nullptr);
}

TEST(ModuleEntries, FiguresFollowTheDecimalSeparator)
{
    V Lines = Entry("1 A");
    Lines[1] = "cycles 0,5";
    for (const char Separator : {'.', ','}) {
        DecimalSeparatorGuard Guard(Separator);
        auto Library = Load(Lines);
        ASSERT_EQ(Library.Count(), 1);
        EXPECT_EQ(Library.Items(0).Cycles, Separator == ',' ? 0.5L : 0);
        EXPECT_EQ(Saved(Library.Items(0))[2], Separator == ',' ? "cycles 0,50000" : "cycles 0.00000");
    }
}

TEST(ModuleEntries, FiguresReadWithTheLocalesOwnSeparatorWhenNotSet)
{
    // With no separator set, the user's locale gives it; ask the C library
    // for it, as another program on the machine would see it.
    std::setlocale(LC_NUMERIC, "");
    const char Separator = std::localeconv()->decimal_point[0];
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(DecimalSeparator(), Separator);
    V Lines = Entry("1 A");
    Lines[1] = std::string("cycles 1") + Separator + "5";
    EXPECT_EQ(Load(Lines).Items(0).Cycles, 1.5L);
}

TEST(ModuleEntries, WrittenFormReadsBack)
{
    DecimalSeparatorGuard Dot('.');
    const V Out = Saved(Load(Entry("8 Filter", {}, {"0 In audio", "1 Cut control"}, {"0 Out audio"})).Items(0));
    EXPECT_EQ(Out, (V{"8 Filter", "remarks \"\"", "cycles 1.50000", "progMem 2.00000", "xmem 3.00000",
                      "ymem 4.00000", "zeropage 5.00000", "dynmem 6.00000", "height 7", "parameters", "inputs",
                      "0 \"In\" audio", "1 \"Cut\" control", "outputs", "0 \"Out\" audio", "custom", "----------"}));
    EXPECT_EQ(Saved(Load(Out).Items(0)), Out);
}

TEST(ShippedLibrary, LoadsWholeAndNamesModuleTypes)
{
    ModuleDescriptors().LoadFromFile(std::string(PERMUTO_RESOURCES) + "/patch303.txt");
    EXPECT_EQ(ModuleDescriptors().Count(), 42); // an item line that failed would end the entries early
    for (int32_t I = 0; I < ModuleDescriptors().Count(); ++I)
        EXPECT_FALSE(ModuleDescriptors().Items(I).Name.empty() || ModuleDescriptors().Items(I).Remarks.empty()) << I;
}
