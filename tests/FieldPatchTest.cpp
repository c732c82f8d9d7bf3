// Real patches, as the synthesizer's editor writes them (read from the shared
// folder of field patches beside the project): every one is kept byte for
// byte, and a renumbering changes exactly the module numbers it should. The
// expected text comes from a small oracle here that knows the editor's
// layout token by token, not from the code under test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "TestHelpers.h"
#include "modules/Descript.h"
#include "patch/ModuleTypes.h"
#include "patch/PatchDefs.h"
#include "patch/PatchFile.h"

using namespace permuto;
using namespace permuto::test;

namespace {

std::vector<std::string> FieldPatchFiles()
{
    std::vector<std::string> Files;
    if (std::filesystem::is_directory(PERMUTO_FIELD_PATCHES))
        for (const auto& Entry : std::filesystem::directory_iterator(PERMUTO_FIELD_PATCHES))
            if (Entry.path().extension() == ".pch")
                Files.push_back(Entry.path().string());
    std::sort(Files.begin(), Files.end());
    return Files;
}

bool InOlderLayout(const std::string& Text)
{
    return Text.find("\n[Module 1]") != std::string::npos;
}

// The patch's text with every module number of Area replaced by Map(number):
// module, parameter, custom and name lines (the first token), cables (the
// second and fifth), the knob and control maps (the second token where the
// first is Area) and the morph map's groups of five. The first line of a
// per-area section's body is its area line; tokens after the code are the
// area's first record.
std::string Renumbered(const std::string& Text, int Area, const std::function<int(int)>& Map)
{
    const std::map<std::string, std::vector<size_t>> PerArea = {
        {"ModuleDump", {0}}, {"CableDump", {1, 4}}, {"ParameterDump", {0}}, {"CustomDump", {0}}, {"NameDump", {0}}};
    std::string Out, Section;
    int SectionArea = -1, BodyLine = 0;
    for (size_t Start = 0; Start < Text.size();) {
        size_t End = Text.find('\n', Start);
        End = End == std::string::npos ? Text.size() : End + 1;
        std::string Line = Text.substr(Start, End - Start);
        Start = End;
        if (Line.starts_with("[")) {
            Section = Line.substr(1, Line.find_first_of("] \r\n") - 1);
            BodyLine = 0;
            Out += Line;
            continue;
        }
        struct TToken {
            size_t At, Size;
        };
        std::vector<TToken> Tokens;
        for (size_t I = 0; I < Line.size();) {
            if (Line[I] == ' ' || Line[I] == '\t' || Line[I] == '\r' || Line[I] == '\n') {
                ++I;
                continue;
            }
            const size_t From = I;
            while (I < Line.size() && Line[I] != ' ' && Line[I] != '\t' && Line[I] != '\r' && Line[I] != '\n')
                ++I;
            Tokens.push_back({From, I - From});
        }
        const auto Number = [&](size_t T) { return std::stoi(Line.substr(Tokens[T].At, Tokens[T].Size)); };
        std::vector<size_t> Modules; // token places to renumber
        if (PerArea.contains(Section)) {
            size_t First = 0;
            if (BodyLine == 0 && !Tokens.empty()) {
                SectionArea = Number(0);
                First = 1;
            }
            if (SectionArea == Area && Tokens.size() > First)
                for (const size_t Place : PerArea.at(Section))
                    if (First + Place < Tokens.size())
                        Modules.push_back(First + Place);
        } else if (Section == "KnobMapDump" || Section == "CtrlMapDump") {
            if (Tokens.size() >= 2 && Number(0) == Area)
                Modules.push_back(1);
        } else if (Section == "MorphMapDump" && BodyLine > 0) {
            for (size_t Group = 0; Group + 1 < Tokens.size(); Group += 5)
                if (Number(Group) == Area)
                    Modules.push_back(Group + 1);
        }
        ++BodyLine;
        for (auto Place = Modules.rbegin(); Place != Modules.rend(); ++Place)
            Line.replace(Tokens[*Place].At, Tokens[*Place].Size, std::to_string(Map(Number(*Place))));
        Out += Line;
    }
    return Out;
}

class FieldPatches : public testing::Test {
protected:
    void SetUp() override
    {
        Files = FieldPatchFiles();
        if (Files.empty())
            std::printf("no field patches in %s: only our own patch in the editor's style is checked\n",
                        PERMUTO_FIELD_PATCHES);
        Files.push_back(std::string(PERMUTO_TEST_DATA) + "/editor-style.pch");
    }
    std::vector<std::string> Files;
};

} // namespace

TEST_F(FieldPatches, EveryPatchKeepsItsBytesThroughSavesSwapsAndOrders)
{
    int Current = 0;
    for (const std::string& File : Files) {
        const std::string Bytes = ReadText(File);
        if (InOlderLayout(Bytes))
            continue;
        ++Current;
        TPatchDef Patch = ReadPatchFile(File);
        ASSERT_TRUE(Patch.Text() == Bytes) << File;
        EXPECT_FALSE(Patch.ReadLosses().Any()) << UnfollowedLinesMessage(File, Patch.ReadLosses());
        for (const TArea Area : {AreaPoly, AreaCommon}) {
            const TModuleDefs& Modules = Patch.ModuleDumps[Area].Modules();
            if (Modules.Count() < 2)
                continue;
            // The first two modules of the file, and one index no module has.
            for (const auto& [A, B] : {std::pair{Modules.Items(0).ModuleIndex, Modules.Items(1).ModuleIndex},
                                       {Modules.Items(Modules.Count() - 1).ModuleIndex, 99}}) {
                Patch.SwapModules(Area, A, B);
                const std::string Expected =
                    Renumbered(Bytes, CodeOf(Area), [A, B](int I) { return I == A ? B : I == B ? A : I; });
                EXPECT_TRUE(Patch.Text() == Expected) << File << " " << AreaName(Area) << " " << A << "<->" << B;
                EXPECT_FALSE(Patch.SaveLosses().Any());
                Patch.SwapModules(Area, A, B);
                EXPECT_TRUE(Patch.Text() == Bytes) << File << " swapped back";
            }
            // Ordering is a renumbering: every line stays where it stands.
            const TRenumbering Order = ApplyOrder(Patch, Area, true);
            EXPECT_TRUE(Patch.Text() == Renumbered(Bytes, CodeOf(Area), [&Order](int I) { return Order(I); }))
                << File << " ordered " << AreaName(Area);
            Patch.Renumber(Area, Order.Inverse());
            EXPECT_TRUE(Patch.Text() == Bytes) << File << " ordered back";
        }
    }
    EXPECT_GE(Current, Files.size() > 1 ? 20 : 1);
}

TEST_F(FieldPatches, WhatTheEditorWritesIsRead)
{
    const TPatchDef Own = ReadPatchFile(std::string(PERMUTO_TEST_DATA) + "/editor-style.pch");
    EXPECT_EQ(Own.ModuleDumps[AreaPoly].Count(), 4); // the first on the area line
    EXPECT_EQ(Own.NameDumps[AreaPoly].FindName(1), "Keys");
    EXPECT_EQ(Own.NameDumps[AreaPoly].FindName(2), "Pulse  Lead 2");
    EXPECT_EQ(Own.NameDumps[AreaPoly].FindName(3), "7th Filter ");
    EXPECT_EQ(Own.NameDumps[AreaCommon].FindName(2), "Echo");
    ASSERT_EQ(Own.MorphMapDump.Count(), 3);
    EXPECT_EQ(Own.MorphMapDump.Items(0).Range, -40);
    EXPECT_EQ(Own.MorphMapDump.Items(2).Range, -127);
    EXPECT_EQ(Own.ControlMapDump.Count(), 2);
    EXPECT_EQ(Own.CustomDumps[AreaPoly].Count(), 2);

    const std::string Dir = std::string(PERMUTO_FIELD_PATCHES) + "/";
    if (Files.size() == 1)
        GTEST_SKIP() << "no field patches in " << PERMUTO_FIELD_PATCHES;
    // Names to the end of the line, the first cable on the area line.
    const TPatchDef Patch = ReadPatchFile(Dir + "field-04.pch");
    EXPECT_EQ(Patch.NameDumps[AreaPoly].FindName(10), "Zuz Ravik");
    EXPECT_EQ(Patch.NameDumps[AreaPoly].FindName(4), "2 fuzepas1");
    const std::vector<TFeed> Late = LateConnections(Patch, AreaPoly);
    EXPECT_NE(std::find_if(Late.begin(), Late.end(), [](const TFeed& F) { return F.Source == 12 && F.Destination == 1; }),
              Late.end());
    // Every morph assignment of the one line, the control map under its own header.
    EXPECT_EQ(Patch.MorphMapDump.Count(), 3);
    EXPECT_EQ(Patch.ControlMapDump.Count(), 1);
    EXPECT_EQ(Patch.ControlMapDump.Items(0).Area, 2);

    EXPECT_THROW(
        {
            try {
                ReadPatchFile(Dir + "field-01.pch");
            } catch (const EPermutoError& Error) {
                EXPECT_NE(std::string(Error.what()).find("older layout"), std::string::npos) << Error.what();
                throw;
            }
        },
        EPermutoError);
}

namespace {

// What a patch's text shows of its module types, read token by token: the
// parameter counts of each type, and each type's highest input and output
// connector that a cable uses.
struct TTypeEvidence {
    std::map<int, std::set<int>> Counts;
    std::map<int, int> Inputs, Outputs;
};

TTypeEvidence EvidenceOf(const std::string& Text)
{
    TTypeEvidence Evidence;
    std::map<std::pair<int, int>, int> TypeAt; // (area, index) -> type
    std::vector<std::pair<int, std::vector<int>>> Cables; // (area, numbers)
    std::string Section;
    int Area = -1, BodyLine = 0;
    std::istringstream Lines(Text);
    for (std::string Line; std::getline(Lines, Line);) {
        if (Line.starts_with("[")) {
            Section = Line.substr(1, Line.find_first_of("] \r\n") - 1);
            BodyLine = 0;
            continue;
        }
        std::istringstream Tokens(Line);
        std::vector<int> Numbers;
        for (int Number; Tokens >> Number;)
            Numbers.push_back(Number);
        if (Section != "ModuleDump" && Section != "ParameterDump" && Section != "CableDump")
            continue;
        if (BodyLine++ == 0 && !Numbers.empty()) {
            Area = Numbers.front();
            Numbers.erase(Numbers.begin());
        }
        if (Section == "ModuleDump" && Numbers.size() >= 4)
            TypeAt[{Area, Numbers[0]}] = Numbers[1];
        else if (Section == "ParameterDump" && Numbers.size() >= 3 && Numbers[2] > 0)
            Evidence.Counts[Numbers[1]].insert(Numbers[2]);
        else if (Section == "CableDump" && Numbers.size() == 7)
            Cables.emplace_back(Area, Numbers);
    }
    for (const auto& [CableArea, N] : Cables)
        for (const size_t End : {1u, 4u})
            if (const auto Type = TypeAt.find({CableArea, N[End]}); Type != TypeAt.end()) {
                int& Highest = (N[End + 2] == 1 ? Evidence.Outputs : Evidence.Inputs)[Type->second];
                Highest = std::max(Highest, N[End + 1] + 1);
            }
    return Evidence;
}

} // namespace

// No field patch shows a name its own lines contradict, with a library
// written for other patches (the shipped one numbered as the editor numbers
// its types); with the shipped library as it is, no type of the synthesizer
// has a name at all.
TEST_F(FieldPatches, NoModuleShowsANameThePatchContradicts)
{
    const std::string Shipped = ReadText(std::string(PERMUTO_RESOURCES) + "/patch303.txt");
    TModuleDescriptors AsShipped, Foreign;
    AsShipped.LoadFromStrings(TLineTable(Shipped));
    Foreign.LoadFromStrings(TLineTable(std::regex_replace(Shipped, std::regex("(^|\n)10([0-9][0-9]) "), "$1$2 ")));
    ASSERT_NE(Foreign.FindByType(7), nullptr);
    int Named = 0, Hidden = 0;
    for (const std::string& File : Files) {
        const std::string Bytes = ReadText(File);
        if (InOlderLayout(Bytes))
            continue;
        const TPatchDef Patch = ReadPatchFile(File);
        TTypeEvidence Evidence = EvidenceOf(Bytes);
        const TModuleTypes Types(Patch, Foreign);
        EXPECT_EQ(TModuleTypes(Patch, AsShipped).Undescribed(), TModuleTypes(Patch, TModuleDescriptors()).Undescribed())
            << File;
        for (const TArea Area : BothAreas)
            for (int32_t I = 0; I < Patch.ModuleDumps[Area].Count(); ++I) {
                const int32_t Type = Patch.ModuleDumps[Area].Modules().Items(I).ModuleType;
                const TModuleDescriptor* Entry = Types.Find(Type);
                if (Entry == nullptr) {
                    EXPECT_EQ(Types.Name(Type), "type " + std::to_string(Type));
                    Hidden += Foreign.FindByType(Type) != nullptr;
                    continue;
                }
                ++Named;
                for (const int Count : Evidence.Counts[Type])
                    EXPECT_EQ(Count, Entry->Parameters.Count()) << File << " type " << Type;
                EXPECT_LE(Evidence.Inputs[Type], Entry->Inputs.Count()) << File << " type " << Type;
                EXPECT_LE(Evidence.Outputs[Type], Entry->Outputs.Count()) << File << " type " << Type;
            }
    }
    if (Files.size() > 1) {
        EXPECT_GT(Named, 0);  // some entries fit what the patches show ...
        EXPECT_GT(Hidden, 0); // ... and others are caught
    }
}
