// Program paths, the integer test of the index fields, the settings file and
// the start-up load of the module library.
#include <gtest/gtest.h>

#include <filesystem>

#include "Globals.h"
#include "Settings.h"
#include "Startup.h"
#include "TestHelpers.h"
#include "library/Descript.h"
#include "library/Errors.h"

using namespace permuto;
using namespace permuto::test;

TEST(ExePaths, FolderAndSettingsFileWithEitherSeparator)
{
    auto P = ComputeExePaths("C:\\Tools\\tool.exe");
    EXPECT_EQ(P.ExeDir, "C:\\Tools\\");
    EXPECT_EQ(P.IniFileName, "C:\\Tools\\tool.ini");
    EXPECT_EQ(ComputeExePaths("/opt/x/a.b.exe").IniFileName, "/opt/x/a.b.ini");
    EXPECT_EQ(ComputeExePaths("/usr/lib/permuto/permuto").IniFileName, "/usr/lib/permuto/permuto.ini");
    EXPECT_EQ(ComputeExePaths("/usr/lib/permuto/permuto").ExeDir, "/usr/lib/permuto/");
    EXPECT_EQ(ComputeExePaths("/a.dir/tool").IniFileName, "/a.dir/tool.ini");
    EXPECT_EQ(ComputeExePaths("C:tool.exe").ExeDir, "C:");
    EXPECT_EQ(ComputeExePaths("tool").IniFileName, "tool.ini");
}

TEST(ExePaths, RunningExecutable)
{
    InitGlobals();
    EXPECT_EQ(ExeDir().back(), '/');
    EXPECT_EQ(IniFileName(), ExeDir() + "permuto_app_tests.ini");
}

TEST(IsInteger, AcceptsWhatTheScannerAccepts)
{
    int32_t V = 0;
    EXPECT_TRUE(IsInteger("12", &V));
    EXPECT_EQ(V, 12);
    EXPECT_TRUE(IsInteger("-3", &V));
    EXPECT_EQ(V, -3);
    EXPECT_TRUE(IsInteger("$10", &V));
    EXPECT_EQ(V, 16);
    EXPECT_TRUE(IsInteger("007", &V));
    EXPECT_EQ(V, 7);
    for (const char* Bad : {"", "1.5", "abc", "12 ", "2147483648"})
        EXPECT_FALSE(IsInteger(Bad)) << Bad;
}

TEST(SettingsFile, OnlyPatchNameSurvivesASave)
{
    TTempDir Dir;
    const QString Ini = QString::fromStdString(Dir.File("permuto.ini"));
    EXPECT_EQ(ReadPatchName(Ini, "/default/"), "/default/");
    WriteText(Dir.File("permuto.ini"), "[Settings]\nPatchName=/old.pch\nExtra=1\n[Other]\nKeep=yes\n");
    EXPECT_EQ(ReadPatchName(Ini, "/default/"), "/old.pch");
    WritePatchName(Ini, "/new/p\xc3\xa4tch.pch");
    const std::string Text = ReadText(Dir.File("permuto.ini"));
    EXPECT_EQ(Text.find("Extra"), std::string::npos);
    EXPECT_NE(Text.find("Keep=yes"), std::string::npos);
    EXPECT_EQ(ReadPatchName(Ini, ""), "/new/p\xc3\xa4tch.pch");
}

TEST(SettingsFile, UnwritableFileRaises)
{
    TTempDir Dir;
    std::filesystem::create_directory(Dir.File("permuto.ini")); // a folder where the file should be
    EXPECT_THROW(WritePatchName(QString::fromStdString(Dir.File("permuto.ini")), "x"), EFCreateError);
}

TEST(StartUp, MissingLibraryIsReported)
{
    TTempDir Dir;
    InitGlobals(Dir.File("permuto"));
    const std::string Report = LoadModuleLibrary();
    EXPECT_NE(Report.find("Cannot open file \"" + Dir.File("resources/patch303.txt") + "\""), std::string::npos);

    std::filesystem::create_directory(Dir.File("resources"));
    std::filesystem::copy_file(std::string(PERMUTO_RESOURCES) + "/patch303.txt", Dir.File("resources/patch303.txt"));
    EXPECT_EQ(LoadModuleLibrary(), "");
    EXPECT_EQ(ModuleDescriptors().Count(), 42);
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

TEST(SettingsFile, WritingCreatesTheConfigFolder)
{
    TTempDir Dir;
    const QString Ini = QString::fromStdString(Dir.File("config/Permuto/permuto.ini"));
    WritePatchName(Ini, "/p.pch");
    EXPECT_EQ(ReadPatchName(Ini, ""), "/p.pch");
}
