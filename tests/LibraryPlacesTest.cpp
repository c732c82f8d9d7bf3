// Which module library is read: the one the user chose, then
// $PERMUTO_LIBRARY, then the user's own data folder, then the shipped one; a
// library the user named that cannot be read is said, and the shipped one
// is used instead.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "TestHelpers.h"
#include "modules/Descript.h"
#include "base/Errors.h"
#include "modules/LibraryPlaces.h"
#include "base/Platform.h"
#include "base/ProgramPaths.h"

using namespace permuto;
using namespace permuto::test;

namespace {

// One module type, numbered after the place it stands for.
std::string OneTypeLibrary(int Type)
{
    return JoinLines(LibraryEntry(std::to_string(Type) + " Place", 2, {}, {}, {}));
}

class LibraryPlaces : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(Dir.File("bin/resources"));
        std::filesystem::copy_file(std::string(PERMUTO_RESOURCES) + "/patch303.txt", Dir.File("bin/resources/patch303.txt"));
        InitGlobals(Dir.File("bin/permuto"));
        IsolateLibraryPlaces(Dir.File("data"));
        std::filesystem::create_directories(Dir.File("data/permuto"));
        Own = UserDataDir() + "patch303.txt"; // as the system writes it there
    }
    void TearDown() override { IsolateLibraryPlaces(""); }

    TTempDir Dir;
    const std::string Flag = Dir.File("chosen.txt");
    const std::string Variable = Dir.File("variable.txt");
    std::string Own;
};

} // namespace

TEST_F(LibraryPlaces, TheFirstThatExistsIsRead)
{
    struct TCase {
        bool Flag, Variable, Own;
        TLibraryOrigin Expected;
        int Type; // the one type of the library read; 0: the shipped one
    };
    const TCase Cases[] = {
        {true, true, true, TLibraryOrigin::Chosen, 5001},
        {false, true, true, TLibraryOrigin::Environment, 5002},
        {false, false, true, TLibraryOrigin::UserFolder, 5003},
        {false, false, false, TLibraryOrigin::Shipped, 0},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(static_cast<int>(Case.Expected));
        std::filesystem::remove(Own);
        WriteText(Flag, OneTypeLibrary(5001));
        WriteText(Variable, OneTypeLibrary(5002));
        if (Case.Own)
            WriteText(Own, OneTypeLibrary(5003));
        SetEnvironment("PERMUTO_LIBRARY", Case.Variable ? Variable : "");
        const TLibraryInUse InUse = LoadModuleLibrary(Case.Flag ? Flag : "");
        EXPECT_EQ(InUse.Place.Origin, Case.Expected);
        EXPECT_EQ(InUse.Problem, "");
        EXPECT_EQ(ModuleLibraryInUse().Place.File, InUse.Place.File);
        if (Case.Type != 0) {
            EXPECT_EQ(ModuleDescriptors().Count(), 1);
            EXPECT_NE(ModuleDescriptors().FindByType(Case.Type), nullptr);
        } else {
            EXPECT_EQ(InUse.Place.File, LibraryFileName());
            EXPECT_EQ(ModuleDescriptors().Count(), 42);
        }
        EXPECT_NE(LibraryReport("", "--library FILE").find("module library: " + InUse.Place.File), std::string::npos);
    }
}

// What the user named and cannot be read is said, with its name, and the
// shipped library is read: not the next place, which the user did not ask for.
TEST_F(LibraryPlaces, AnUnreadableLibraryGivesWayToTheShippedOne)
{
    struct TCase {
        const char* What;
        TLibraryOrigin Origin;
        std::function<void(const std::string&)> Make;
        const char* Reason;
    };
    const auto Folder = [](const std::string& File) { std::filesystem::create_directory(File); };
    const auto NoLibrary = [](const std::string& File) { WriteText(File, "just some text\r\n"); };
    const auto Missing = [](const std::string&) {};
    const TCase Cases[] = {
        {"missing", TLibraryOrigin::Chosen, Missing, "No such file or directory"},
        {"a folder", TLibraryOrigin::Chosen, Folder, "Is a directory"},
        {"no entries", TLibraryOrigin::Chosen, NoLibrary, "describes no module type that can be read"},
        {"missing", TLibraryOrigin::Environment, Missing, "No such file or directory"},
        {"no entries", TLibraryOrigin::Environment, NoLibrary, "describes no module type that can be read"},
        {"a folder", TLibraryOrigin::UserFolder, Folder, "Is a directory"},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(std::string(Case.What) + " " + OriginName(Case.Origin));
        const std::string File = Case.Origin == TLibraryOrigin::Chosen        ? Flag
                                 : Case.Origin == TLibraryOrigin::Environment ? Variable
                                                                              : Own;
        std::filesystem::remove_all(File);
        Case.Make(File);
        // A readable library further down is passed over all the same.
        if (Case.Origin != TLibraryOrigin::UserFolder)
            WriteText(Own, OneTypeLibrary(5003));
        SetEnvironment("PERMUTO_LIBRARY", Case.Origin == TLibraryOrigin::Environment ? Variable : "");
        const TLibraryInUse InUse = LoadModuleLibrary(Case.Origin == TLibraryOrigin::Chosen ? Flag : "");
        EXPECT_EQ(InUse.Place.Origin, TLibraryOrigin::Shipped);
        EXPECT_NE(InUse.Problem.find("\"" + File + "\""), std::string::npos) << InUse.Problem;
#ifndef _WIN32 // the system's own words there
        EXPECT_NE(InUse.Problem.find(Case.Reason), std::string::npos) << InUse.Problem;
#endif
        EXPECT_NE(InUse.Problem.find("shipped with Permuto is used instead"), std::string::npos) << InUse.Problem;
        EXPECT_EQ(ModuleDescriptors().Count(), 42);
        std::filesystem::remove_all(File);
        std::filesystem::remove_all(Own);
    }
}

// Without its shipped library the program has none to fall back on; a
// library chosen by the user still serves.
TEST_F(LibraryPlaces, WithoutTheShippedLibrary)
{
    const std::string Shipped = LibraryFileName();
    std::filesystem::remove(Shipped);
    // The installed place is looked in when the program's folder holds no
    // library (on Windows the installation keeps it beside the program).
#ifdef _WIN32
    std::string Installed = Dir.File("bin/resources/patch303.txt");
    std::replace(Installed.begin(), Installed.end(), '/', '\\');
#else
    const std::string Installed = Dir.File("share/permuto/resources/patch303.txt");
#endif
    EXPECT_EQ(MessageOf<EPermutoError>([] { LoadModuleLibrary(); }).rfind("Cannot open file \"" + Installed + "\". ", 0), 0u);
    WriteText(Flag, OneTypeLibrary(5001));
    EXPECT_EQ(LoadModuleLibrary(Flag).Place.Origin, TLibraryOrigin::Chosen);
#ifndef _WIN32
    std::filesystem::create_directories(Dir.File("bin/resources"));
    InitGlobals(Dir.File("bin/permuto"));
    ASSERT_EQ(::mkfifo(Shipped.c_str(), 0600), 0); // start-up must not wait for a writer
    EXPECT_EQ(MessageOf<EPermutoError>([] { LoadModuleLibrary(); }),
              "Cannot open file \"" + Shipped + "\". It is not a regular file");
#endif
}
