// The module library: item lines, whole entries, the library reader, lookup
// and the library file we ship.
#include <gtest/gtest.h>

#include "TestHelpers.h"
#include "library/Descript.h"
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

TModuleDescriptors Load(const V& Lines)
{
    TModuleDescriptors Library;
    Library.LoadFromStrings(MakeLines(Lines));
    return Library;
}

} // namespace

TEST(ItemLines, KnobLinesAndTheirFallbacks)
{
    TKnobDescriptors Knobs;
    int32_t Index = 0;
    TStringList L = MakeLines({"0", "1 \"Cut off\" 0..127 64 \"Hz\"", "2 Res 9..2 7 text", "2 again", "3 x"});
    Knobs.LoadFromStrings(L, Index);
    ASSERT_EQ(Knobs.Count(), 3);
    EXPECT_EQ(Index, 3); // the second line numbered 2 ends the list
    EXPECT_EQ(Knobs.Items(0).Name, "");
    EXPECT_EQ(Knobs.Items(1).Name, "Cut off");
    EXPECT_EQ(Knobs.Items(1).High, 127);
    EXPECT_EQ(Knobs.Items(1).Number, 64);
    EXPECT_EQ(Knobs.Items(1).Text, "Hz");
    EXPECT_EQ(Knobs.Items(2).Low, 0); // the range failed
    EXPECT_EQ(Knobs.Items(2).High, 0);
    EXPECT_EQ(Knobs.Items(2).Number, 9);
    EXPECT_EQ(Knobs.Items(2).Text, "7");

    TStringList Out;
    Knobs.SaveToStrings(Out);
    EXPECT_EQ(ToVector(Out), (V{"0 \"\" 0..0 0 \"\"", "1 \"Cut off\" 0..127 64 \"Hz\"", "2 \"Res\" 0..0 9 \"7\""}));
}

TEST(ItemLines, ListsStopAtWrongNumbersAndNonIntegers)
{
    TCustomDescriptors Customs;
    int32_t Index = 0;
    TStringList L = MakeLines({"0 A 1..3 \"one\"", "0 B", "1 C"});
    Customs.LoadFromStrings(L, Index);
    EXPECT_EQ(Customs.Count(), 1);
    EXPECT_EQ(Index, 1);
    EXPECT_EQ(Customs.Items(0).High, 3);

    Index = 0;
    TStringList Words = MakeLines({"outputs", "0 A"});
    Customs.LoadFromStrings(Words, Index);
    EXPECT_EQ(Customs.Count(), 0);
    EXPECT_EQ(Index, 0);
}

TEST(ItemLines, ConnectorsTakeTheirKindFromTheList)
{
    TConnectorDescriptors Inputs(0), Outputs(1);
    TStringList L = MakeLines({"0 In Control", "1 Sync AUDIO", "2 Midi midi", "3 Late logic"});
    int32_t Index = 0;
    Inputs.LoadFromStrings(L, Index);
    ASSERT_EQ(Inputs.Count(), 2);
    EXPECT_EQ(Index, 2);
    EXPECT_EQ(Inputs.Items(0).ConnectorClass, 1);
    EXPECT_EQ(Inputs.Items(0).Kind, 0);

    TStringList O = MakeLines({"0 Out slave", "1 NoClass"});
    Index = 0;
    Outputs.LoadFromStrings(O, Index);
    ASSERT_EQ(Outputs.Count(), 1);
    EXPECT_EQ(Outputs.Items(0).Kind, 1);
    EXPECT_EQ(Index, 1);
    TStringList Out;
    Outputs.SaveToStrings(Out);
    EXPECT_EQ(Out[0], "0 \"Out\" slave");
}

TEST(ModuleEntries, MinimalEntryAndOptionalParts)
{
    auto Library = Load(Entry("12 Minimal", {"----------", "13 Second"}));
    ASSERT_EQ(Library.Count(), 1); // the second entry is incomplete
    const TModuleDescriptor& M = Library.Items(0);
    EXPECT_EQ(M.TypeNumber, 12);
    EXPECT_EQ(M.Name, "Minimal");
    EXPECT_EQ(M.Remarks, "");
    EXPECT_EQ(M.Height, 7);
    EXPECT_EQ(M.Customs.Count(), 0);
    EXPECT_EQ(M.Parameters.Count(), 0);

    V Full = {"; comment", "- rule", " indented", "20 \"Two words\"", "  REMARKS \"A remark\" ignored"};
    V Rest = Entry("x", {"CUSTOM", "0 C 0..1 \"t\"", "-", "21 Next"}, {}, {"0 Out audio"});
    Full.insert(Full.end(), Rest.begin() + 1, Rest.end());
    V Next = Entry("", {";trailing comment", "-"});
    Full.insert(Full.end(), Next.begin() + 1, Next.end());
    Library = Load(Full);
    ASSERT_EQ(Library.Count(), 2);
    EXPECT_EQ(Library.Items(0).Name, "Two words");
    EXPECT_EQ(Library.Items(0).Remarks, "A remark");
    EXPECT_EQ(Library.Items(0).Outputs.Count(), 1);
    EXPECT_EQ(Library.Items(0).Customs.Count(), 1);
    EXPECT_EQ(Library.Items(1).TypeNumber, 21);
}

TEST(ModuleEntries, KeywordLinesThatEndTheLoad)
{
    V Bad = Entry("1 A");
    Bad[8] = "parameters "; // a whole-line keyword with a trailing blank
    V Lines = Entry("5 Good");
    Lines.insert(Lines.end(), Bad.begin(), Bad.end());
    EXPECT_EQ(Load(Lines).Count(), 1);

    Bad[8] = "parameters:";
    EXPECT_EQ(Load(Bad).Count(), 0);
    V NoHeight = Entry("1 A");
    NoHeight[7] = "height x";
    EXPECT_EQ(Load(NoHeight).Count(), 0);
    V Order = Entry("1 A");
    std::swap(Order[1], Order[2]);
    EXPECT_EQ(Load(Order).Count(), 0);

    // A connector class that is none of the four ends the inputs there; the
    // entry then fails at its next keyword.
    EXPECT_EQ(Load(Entry("1 A", {}, {"0 In audio", "1 In midi"})).Count(), 0);
    EXPECT_EQ(Load(Entry("1 A", {}, {"0 In audio", "1 In logic"})).Count(), 1);
}

TEST(ModuleEntries, EmptyLineEndsTheLibraryAndFirstTypeWins)
{
    V Lines = Entry("1 First");
    Lines.push_back("");
    V More = Entry("2 Lost");
    Lines.insert(Lines.end(), More.begin(), More.end());
    EXPECT_EQ(Load(Lines).Count(), 1);

    V Twice = Entry("3 Earlier");
    V Again = Entry("3 Later");
    Twice.insert(Twice.end(), Again.begin(), Again.end());
    auto Library = Load(Twice);
    ASSERT_EQ(Library.Count(), 2);
    EXPECT_EQ(Library.FindByType(3)->Name, "Earlier");
    EXPECT_EQ(Library.FindByType(4), nullptr);
    EXPECT_EQ(Load({""}).Count(), 0);
}

TEST(ModuleEntries, FiguresFollowTheDecimalSeparator)
{
    V Lines = Entry("1 A");
    Lines[1] = "cycles 0,5";
    {
        DecimalSeparatorGuard Dot('.');
        auto Library = Load(Lines);
        ASSERT_EQ(Library.Count(), 1);
        EXPECT_EQ(Library.Items(0).Cycles, 0);
        EXPECT_EQ(Library.Items(0).ProgMem, 2);
    }
    {
        DecimalSeparatorGuard Comma(',');
        auto Library = Load(Lines);
        EXPECT_EQ(Library.Items(0).Cycles, 0.5L);
        TStringList Out;
        Library.Items(0).SaveToStrings(Out);
        EXPECT_EQ(Out[2], "cycles 0,50000");
    }
}

TEST(ModuleEntries, WrittenFormReadsBack)
{
    DecimalSeparatorGuard Dot('.');
    auto Library = Load(Entry("8 Filter", {}, {"0 In audio", "1 Cut control"}, {"0 Out audio"}));
    ASSERT_EQ(Library.Count(), 1);
    TStringList Out;
    Library.Items(0).SaveToStrings(Out);
    EXPECT_EQ(ToVector(Out), (V{"8 Filter", "remarks \"\"", "cycles 1.50000", "progMem 2.00000", "xmem 3.00000",
                                "ymem 4.00000", "zeropage 5.00000", "dynmem 6.00000", "height 7", "parameters",
                                "inputs", "0 \"In\" audio", "1 \"Cut\" control", "outputs", "0 \"Out\" audio",
                                "custom", "----------"}));
    EXPECT_EQ(Load(ToVector(Out)).Count(), 1);
}

TEST(ShippedLibrary, LoadsWholeAndNamesModuleTypes)
{
    ModuleDescriptors().LoadFromFile(std::string(PERMUTO_RESOURCES) + "/patch303.txt");
    EXPECT_EQ(ModuleDescriptors().Count(), 42);
    int Parameters = 0, Connectors = 0, Customs = 0;
    for (int32_t I = 0; I < ModuleDescriptors().Count(); ++I) {
        const TModuleDescriptor& M = ModuleDescriptors().Items(I);
        EXPECT_FALSE(M.Name.empty());
        EXPECT_FALSE(M.Remarks.empty());
        Parameters += M.Parameters.Count();
        Connectors += M.Inputs.Count() + M.Outputs.Count();
        Customs += M.Customs.Count();
    }
    EXPECT_GT(Parameters, 100);
    EXPECT_GT(Connectors, 100);
    EXPECT_GT(Customs, 5);

    TModuleDef Module;
    Module.ModuleType = 7;
    EXPECT_EQ(Module.TypeName(), "FilterLP");
    Module.ModuleType = 4711;
    EXPECT_EQ(Module.TypeName(), "(unknown type 4711)");
}
