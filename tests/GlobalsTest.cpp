// Program paths, the integer test of the index fields, the settings file and
// the start-up load of the module library.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>

#include "base/Numbers.h"
#include "base/ProgramPaths.h"
#include "RecentFiles.h"
#include "Settings.h"
#include "TestHelpers.h"
#include "modules/Descript.h"
#include "base/Errors.h"

using namespace permuto;
using namespace permuto::test;

TEST(ExePaths, FolderAndSettingsFile)
{
    struct TCase {
        const char* Path;
        const char* Folder;
        const char* Ini;
    };
    for (const TCase& C : {TCase{"/usr/lib/permuto/permuto", "/usr/lib/permuto/", "/usr/lib/permuto/permuto.ini"},
                           TCase{"/opt/x/a.b.exe", "/opt/x/", "/opt/x/a.b.ini"},
                           TCase{"/a.dir/tool", "/a.dir/", "/a.dir/tool.ini"},
                           // Only "/" separates: "\" and ":" belong to the names.
                           TCase{"/opt/a\\b:c/tool", "/opt/a\\b:c/", "/opt/a\\b:c/tool.ini"},
                           TCase{"C:\\Tools\\tool.exe", "", "C:\\Tools\\tool.ini"}, TCase{"tool", "", "tool.ini"}}) {
        EXPECT_EQ(ComputeExePaths(C.Path).ExeDir, C.Folder) << C.Path;
        EXPECT_EQ(ComputeExePaths(C.Path).IniFileName, C.Ini) << C.Path;
    }
}

TEST(ExePaths, TheDataLiesBesideTheProgramOrInTheSharedFolderOfItsPrefix)
{
    EXPECT_EQ(DataDirFor("/home/u/build/app/", true), "/home/u/build/app/");
    EXPECT_EQ(DataDirFor("/usr/bin/", false), "/usr/share/permuto/");
    EXPECT_EQ(DataDirFor("/tmp/root/usr/bin/", false), "/tmp/root/usr/share/permuto/");
}

// The running program's own folder, as the build put the test program.
TEST(ExePaths, RunningExecutable)
{
    InitGlobals();
    EXPECT_EQ(ExeDir(), PERMUTO_TEST_BINARY_DIR "/");
    EXPECT_EQ(IniFileName(), PERMUTO_TEST_BINARY_DIR "/permuto_app_tests.ini");
}

TEST(IsInteger, AcceptsWhatTheScannerAccepts)
{
    for (const auto& [Text, Expected] : {std::pair{"12", 12}, {"-3", -3}, {"$10", 16}, {"007", 7}}) {
        int32_t V = 0;
        EXPECT_TRUE(IsInteger(Text, &V) && V == Expected) << Text;
    }
    for (const char* Bad : {"", "1.5", "abc", "12 ", "2147483648"})
        EXPECT_FALSE(IsInteger(Bad)) << Bad;
}

TEST(IsDecimalInteger, DigitsAndASignOnly)
{
    for (const auto& [Text, Expected] : {std::pair{"12", 12}, {"-3", -3}, {"+5", 5}, {"007", 7}, {"-2147483648", INT32_MIN}}) {
        int32_t V = 0;
        EXPECT_TRUE(IsDecimalInteger(Text, &V) && V == Expected) << Text;
    }
    for (const char* Bad : {"", "-", "+", "+-1", "$10", "0x10", "1.5", " 1", "2147483648"})
        EXPECT_FALSE(IsDecimalInteger(Bad)) << Bad;
}

TEST(SettingsFile, OnlyPatchNameSurvivesInItsSection)
{
    TTempDir Dir;
    const QString Ini = QString::fromStdString(Dir.File("config/Permuto/permuto.ini")); // the folder is made
    EXPECT_EQ(ReadPatchName(Ini, "/default/"), "/default/");
    WritePatchName(Ini, "/first.pch");
    EXPECT_EQ(ReadPatchName(Ini, ""), "/first.pch");
    WriteText(Ini.toStdString(), "[Settings]\nPatchName=/old.pch\nExtra=1\n[Other]\nKeep=yes\n");
    EXPECT_EQ(ReadPatchName(Ini, "/default/"), "/old.pch");
    WritePatchName(Ini, "/new/p\xc3\xa4tch.pch");
    const std::string Text = ReadText(Ini.toStdString());
    EXPECT_EQ(Text.find("Extra"), std::string::npos);
    EXPECT_NE(Text.find("Keep=yes"), std::string::npos);
    EXPECT_EQ(ReadPatchName(Ini, ""), "/new/p\xc3\xa4tch.pch");
}

TEST(SettingsFile, FailuresNameTheirRealCause)
{
    TTempDir Dir;
    const auto Message = [](const std::string& File) {
        try {
            WritePatchName(QString::fromStdString(File), "/some/patch.pch");
        } catch (const EFCreateError& E) {
            return std::string(E.what());
        }
        return std::string("written");
    };
    std::filesystem::create_directory(Dir.File("folder.ini")); // a folder where the file should be
    EXPECT_EQ(Message(Dir.File("folder.ini")), "Cannot create file \"" + Dir.File("folder.ini") + "\". Is a directory");

    // Text that is not INI is simply written over.
    WriteText(Dir.File("garbage.ini"), std::string("\0\1[[[ no ini", 13));
    EXPECT_EQ(Message(Dir.File("garbage.ini")), "written");
    EXPECT_EQ(ReadPatchName(QString::fromStdString(Dir.File("garbage.ini")), ""), "/some/patch.pch");

    // A disk that takes no more bytes, here by a file-size limit (root too).
    std::string Full;
    {
        TFileSizeLimit Limit(8);
        Full = Message(Dir.File("full.ini"));
    }
    EXPECT_EQ(Full, "Cannot create file \"" + Dir.File("full.ini") + "\". File too large");
}

TEST(SettingsFile, InstalledProgramKeepsItsSettingsInTheConfigFolder)
{
    EXPECT_EQ(ChooseSettingsFile("/usr/lib/permuto/permuto.ini", false, "/home/u/.config/Permuto"),
              "/home/u/.config/Permuto/permuto.ini");
    EXPECT_EQ(ChooseSettingsFile("/opt/p/permuto.ini", true, "/home/u/.config/Permuto"), "/opt/p/permuto.ini");
    EXPECT_EQ(ChooseSettingsFile("/opt/p/permuto.ini", false, ""), "/opt/p/permuto.ini");

    TTempDir Dir;
    InitGlobals(Dir.File("permuto"));
    EXPECT_EQ(SettingsFileName().toStdString(), Dir.File("permuto.ini")); // a writable folder keeps them beside
}

TEST(SettingsFile, RecentPatchesNewestFirstEachOnce)
{
    QStringList Recent;
    for (int I = 0; I < 10; ++I)
        Recent = WithRecent(Recent, QString::number(I));
    Recent = WithRecent(Recent, QStringLiteral("5"));
    EXPECT_EQ(Recent, (QStringList{"5", "9", "8", "7", "6", "4", "3", "2"}));
}
