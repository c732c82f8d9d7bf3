// The module library held against a patch: a type keeps its name only while
// nothing in the patch contradicts the library's entry for it.
#include <gtest/gtest.h>

#include "TestHelpers.h"
#include "modules/Descript.h"
#include "patch/ModuleTypes.h"
#include "patch/PatchDefs.h"

using namespace permuto;
using namespace permuto::test;

namespace {

// Osc (1001): two parameters, one input, two outputs. Out (1002): one
// parameter, two inputs, no output.
std::vector<std::string> LibraryLines()
{
    std::vector<std::string> Lines =
        LibraryEntry("1001 Osc", 3, {"0 \"Pitch\" 0..127 64 \"\"", "1 \"Fine\" 0..127 64 \"\""},
                     {"0 \"Pitch\" control"}, {"0 \"Out\" audio", "1 \"Sync\" logic"});
    const std::vector<std::string> Out =
        LibraryEntry("1002 Out", 2, {"0 \"Level\" 0..127 100 \"\""}, {"0 \"L\" audio", "1 \"R\" audio"}, {});
    Lines.insert(Lines.end(), Out.begin(), Out.end());
    return Lines;
}

struct TCase {
    const char* What;
    std::vector<std::string> Modules, Parameters, Cables, CommonParameters;
    const char* Osc; // what the patch shows for 1001 and 1002
    const char* Out;
    int Undescribed, Contradicted;
};

std::vector<std::string> PatchLines(const TCase& Case)
{
    std::vector<std::string> Lines = {"[Header]", "Version=test", "[/Header]", "[ModuleDump]", "1"};
    Lines.insert(Lines.end(), Case.Modules.begin(), Case.Modules.end());
    Lines.insert(Lines.end(), {"[/ModuleDump]", "[ModuleDump]", "0", "1 1002 0 0", "[/ModuleDump]", "[CableDump]", "1"});
    Lines.insert(Lines.end(), Case.Cables.begin(), Case.Cables.end());
    Lines.insert(Lines.end(), {"[/CableDump]", "[ParameterDump]", "1"});
    Lines.insert(Lines.end(), Case.Parameters.begin(), Case.Parameters.end());
    Lines.insert(Lines.end(), {"[/ParameterDump]", "[ParameterDump]", "0"});
    Lines.insert(Lines.end(), Case.CommonParameters.begin(), Case.CommonParameters.end());
    Lines.push_back("[/ParameterDump]");
    return Lines;
}

} // namespace

TEST(ModuleTypes, WhatThePatchShowsDecidesWhetherANameIsUsed)
{
    TModuleDescriptors Library;
    Library.LoadFromStrings(MakeLines(LibraryLines()));
    ASSERT_EQ(Library.Count(), 2);
    const std::vector<std::string> Two = {"1 1001 0 0", "2 1002 1 0"};
    const std::vector<std::string> Agree = {"1 1001 2 64 70", "2 1002 1 100"};
    const TCase Cases[] = {
        {"agrees", Two, Agree, {"0 1 1 1 2 1 0", "0 1 0 1 1 0 0"}, {"1 1002 1 90"}, "Osc", "Out", 0, 0},
        {"parameter count", Two, {"1 1001 3 1 2 3", "2 1002 1 100"}, {}, {}, "type 1001", "Out", 1, 1},
        {"parameter count in the other area", Two, Agree, {}, {"1 1002 2 1 2"}, "Osc", "type 1002", 1, 1},
        {"connector number", Two, Agree, {"0 1 2 1 2 0 0"}, {}, "type 1001", "Out", 1, 1},
        {"connector below 0", Two, Agree, {"0 2 0 0 1 -1 0"}, {}, "type 1001", "Out", 1, 1},
        {"connector kind", Two, Agree, {"0 2 0 1 1 0 0"}, {}, "Osc", "type 1002", 1, 1},
        {"both", Two, {"1 1001 1 5"}, {"0 2 0 1 1 0 0"}, {}, "type 1001", "type 1002", 2, 2},
        {"a type the library lacks", {"1 1001 0 0", "2 77 1 0"}, {}, {"0 2 5 1 1 0 0"}, {}, "Osc", "Out", 1, 0},
        // A shared index tells nothing about its cables; a line without
        // values may be one that did not read.
        {"shared index", {"1 1001 0 0", "1 1002 0 4"}, {}, {"0 1 1 1 1 1 0"}, {}, "Osc", "Out", 0, 0},
        {"no values", Two, {"1 1001 3 1 2"}, {}, {}, "Osc", "Out", 0, 0},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.What);
        TPatchDef Patch;
        Patch.LoadFromStrings(MakeText(PatchLines(Case)));
        const TModuleTypes Types(Patch, Library);
        EXPECT_EQ(Types.Name(1001), Case.Osc);
        EXPECT_EQ(Types.Name(1002), Case.Out);
        EXPECT_EQ(Types.Undescribed(), Case.Undescribed);
        EXPECT_EQ(Types.Contradicted(), Case.Contradicted);
        EXPECT_EQ(Types.Find(1001) != nullptr, Case.Osc == std::string("Osc"));
        EXPECT_EQ(UndescribedTypesMessage(Types, "choose another").empty(), Case.Undescribed == 0);
    }
    EXPECT_EQ(TModuleTypes().Name(5), "type 5");
}

TEST(ModuleTypes, TheMessageSaysHowManyAndHowToChooseAnother)
{
    TModuleDescriptors Library;
    Library.LoadFromStrings(MakeLines(LibraryLines()));
    TPatchDef Patch;
    Patch.LoadFromStrings(MakeText(PatchLines({"", {"1 1001 0 0", "2 77 1 0", "3 78 1 2"}, {"1 1001 1 5"}, {}, {}, "", "", 0, 0})));
    EXPECT_EQ(UndescribedTypesMessage(TModuleTypes(Patch, Library), "use --library FILE"),
              "3 module types of this patch are not described by the module library (1 contradicted by the patch) and "
              "show as \"type N\"; use --library FILE");
}
