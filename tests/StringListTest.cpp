// The list of lines: line break rules, CR LF on writing, and saves that never
// destroy the old file.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <unistd.h>

#include <filesystem>

#include "TestHelpers.h"
#include "library/Errors.h"
#include "library/StringList.h"

using namespace permuto;
using namespace permuto::test;

namespace {
std::vector<std::string> Split(const std::string& Bytes)
{
    TStringList L;
    L.SetText(Bytes);
    return ToVector(L);
}
} // namespace

TEST(LineRules, BreaksOfEveryKind)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(Split(""), V{});
    EXPECT_EQ(Split("a"), V{"a"});
    EXPECT_EQ(Split("a\n"), V{"a"});
    EXPECT_EQ(Split("a\r\nb\rc\nd"), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(Split("a\r\n\r\n"), (V{"a", ""}));
    EXPECT_EQ(Split("\n"), V{""});
    EXPECT_EQ(Split("a\n\rb"), (V{"a", "", "b"})); // LF CR is two breaks
    EXPECT_EQ(Split(std::string("ab\0cd\nef", 8)), V{"ab"});
    EXPECT_EQ(Split("\xe9t\xe9\t\xff"), V{"\xe9t\xe9\t\xff"}); // bytes stay bytes
}

TEST(LineRules, WritesCrLfAfterEveryLine)
{
    EXPECT_EQ(MakeLines({"a", "", "b"}).Text(), "a\r\n\r\nb\r\n");
    EXPECT_EQ(MakeLines({}).Text(), "");
}

TEST(LineRules, CheckedAccess)
{
    TStringList L = MakeLines({"a"});
    try {
        (void)L[1];
        FAIL();
    } catch (const EListError& E) {
        EXPECT_STREQ(E.what(), "List index out of bounds (1)");
    }
    EXPECT_THROW((void)L[-1], EListError);
    L.Insert(1, "b");
    L.Insert(0, "c");
    EXPECT_EQ(ToVector(L), (std::vector<std::string>{"c", "a", "b"}));
}

TEST(Files, MissingFileRaisesTheOpenMessage)
{
    TTempDir Dir;
    TStringList L = MakeLines({"kept"});
    const std::string Name = Dir.File("nope.pch");
    try {
        L.LoadFromFile(Name);
        FAIL();
    } catch (const EFOpenError& E) {
        EXPECT_EQ(std::string(E.what()), "Cannot open file \"" + Name + "\". No such file or directory");
    }
    EXPECT_EQ(ToVector(L), std::vector<std::string>{"kept"});
    EXPECT_THROW(L.LoadFromFile(Dir.Path()), EFOpenError);
}

TEST(Files, SaveReplacesAndKeepsPermissions)
{
    TTempDir Dir;
    const std::string Name = Dir.File("p.pch");
    WriteText(Name, "old");
    ::chmod(Name.c_str(), 0640);
    MakeLines({"new", "text"}).SaveToFile(Name);
    EXPECT_EQ(ReadText(Name), "new\r\ntext\r\n");
    struct stat Info {};
    ASSERT_EQ(::stat(Name.c_str(), &Info), 0);
    EXPECT_EQ(Info.st_mode & 0777, 0640u);
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir.Path()), {}), 1);
}

TEST(Files, SaveThroughALinkWritesTheLinkedFile)
{
    TTempDir Dir;
    const std::string Real = Dir.File("real.pch");
    const std::string Link = Dir.File("link.pch");
    WriteText(Real, "old");
    ASSERT_EQ(::symlink(Real.c_str(), Link.c_str()), 0);
    MakeLines({"x"}).SaveToFile(Link);
    EXPECT_TRUE(std::filesystem::is_symlink(Link));
    EXPECT_EQ(ReadText(Real), "x\r\n");
}

TEST(Files, FailedSaveLeavesOldFileAndNoTemporary)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    TTempDir Dir;
    const std::string Name = Dir.File("p.pch");
    WriteText(Name, "old");
    ::chmod(Dir.Path().c_str(), 0500);
    try {
        MakeLines({"new"}).SaveToFile(Name);
        FAIL();
    } catch (const EFCreateError& E) {
        EXPECT_EQ(std::string(E.what()), "Cannot create file \"" + Name + "\". Permission denied");
    }
    ::chmod(Dir.Path().c_str(), 0700);
    EXPECT_EQ(ReadText(Name), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir.Path()), {}), 1);
}

TEST(Files, SaveIntoMissingFolderOrOverAFolderFails)
{
    TTempDir Dir;
    EXPECT_THROW(MakeLines({"x"}).SaveToFile(Dir.File("no/such/p.pch")), EFCreateError);
    EXPECT_THROW(MakeLines({"x"}).SaveToFile(Dir.Path()), EFCreateError);
    EXPECT_THROW(MakeLines({"x"}).SaveToFile(""), EFCreateError);
}

TEST(Files, WriteErrorMidwayLeavesOldFile)
{
    // A file-size limit makes the write fail halfway, for root as well.
    TTempDir Dir;
    const std::string Name = Dir.File("p.pch");
    WriteText(Name, "old");
    struct rlimit Old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &Old), 0);
    auto* OldHandler = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit Small = Old;
    Small.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &Small), 0);
    bool Raised = false;
    try {
        MakeLines({std::string(5000, 'x')}).SaveToFile(Name);
    } catch (const EFCreateError& E) {
        Raised = true;
        EXPECT_EQ(std::string(E.what()), "Cannot create file \"" + Name + "\". File too large");
    }
    ::setrlimit(RLIMIT_FSIZE, &Old);
    ::signal(SIGXFSZ, OldHandler);
    EXPECT_TRUE(Raised);
    EXPECT_EQ(ReadText(Name), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir.Path()), {}), 1);
}
