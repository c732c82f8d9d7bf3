// Reading and replacing files: only regular files of a sane size are read,
// and a save either puts the whole new patch in place or leaves the old file
// exactly as it was, protected files included.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <thread>

#include "TestHelpers.h"
#include "library/Errors.h"
#include "library/Files.h"

using namespace permuto;
using namespace permuto::test;
namespace fs = std::filesystem;

namespace {

template <class TError, class TAction>
std::string MessageOf(TAction Action)
{
    try {
        Action();
    } catch (const TError& E) {
        return E.what();
    }
    return "no error";
}

size_t EntriesIn(const std::string& Folder)
{
    return static_cast<size_t>(std::distance(fs::directory_iterator(Folder), {}));
}

} // namespace

TEST(Reading, OnlyRegularFilesOfASaneSize)
{
    TTempDir Dir;
    const std::string Fifo = Dir.File("fifo.pch"), Big = Dir.File("big.pch");
    ASSERT_EQ(::mkfifo(Fifo.c_str(), 0600), 0); // would block forever if opened for waiting
    WriteText(Big, "");
    fs::resize_file(Big, MaxFileSize + 1); // sparse: costs no disk
    struct TCase {
        std::string File, Reason;
    };
    for (const TCase& C : {TCase{Dir.File("none.pch"), "No such file or directory"}, TCase{Dir.Path(), "Is a directory"},
                           TCase{Fifo, "It is not a regular file"}, TCase{"/dev/zero", "It is not a regular file"},
                           TCase{Big, "It is larger than 256 MiB, the most Permuto reads"}})
        EXPECT_EQ(MessageOf<EFOpenError>([&] { ReadFileBytes(C.File); }),
                  "Cannot open file \"" + C.File + "\". " + C.Reason);

    WriteText(Dir.File("ok.pch"), std::string("a\0b", 3));
    EXPECT_EQ(ReadFileBytes(Dir.File("ok.pch")), std::string("a\0b", 3));
}

TEST(Saving, ReplacesKeepingPermissionsAndLeavesNothingBehind)
{
    TTempDir Dir;
    const std::string Name = Dir.File("p.pch");
    WriteText(Name, "old");
    ::chmod(Name.c_str(), 0640);
    WriteFileBytes(Name, "new");
    EXPECT_EQ(ReadText(Name), "new");
    struct stat Info {};
    ASSERT_EQ(::stat(Name.c_str(), &Info), 0);
    EXPECT_EQ(Info.st_mode & 0777, 0640u);
    EXPECT_EQ(EntriesIn(Dir.Path()), 1u);

    // A new file gets the permissions the user's umask leaves.
    const mode_t Old = ::umask(027);
    WriteFileBytes(Dir.File("new.pch"), "x");
    ::umask(Old);
    ASSERT_EQ(::stat(Dir.File("new.pch").c_str(), &Info), 0);
    EXPECT_EQ(Info.st_mode & 0777, 0640u);
}

TEST(Saving, TwoSavesAtOnceNeitherMixNorLoseTheirFiles)
{
    TTempDir Dir;
    const std::string Name = Dir.File("p.pch"), A(3 << 20, 'a'), B(3 << 20, 'b');
    for (int Round = 0; Round < 4; ++Round) {
        std::thread Other([&] { WriteFileBytes(Name, A); });
        WriteFileBytes(Name, B);
        Other.join();
        const std::string Now = ReadText(Name);
        EXPECT_TRUE(Now == A || Now == B);
        EXPECT_EQ(EntriesIn(Dir.Path()), 1u);
    }
}

TEST(Saving, LinksAreFollowedToTheFileTheyName)
{
    TTempDir Dir;
    fs::create_directory(Dir.File("sub"));
    WriteText(Dir.File("sub/real.pch"), "old");
    fs::create_symlink("sub/real.pch", Dir.File("link.pch"));
    fs::create_symlink("link.pch", Dir.File("chain.pch"));
    fs::create_symlink("sub/later.pch", Dir.File("dangling.pch"));
    fs::create_symlink("loop2.pch", Dir.File("loop1.pch"));
    fs::create_symlink("loop1.pch", Dir.File("loop2.pch"));

    WriteFileBytes(Dir.File("chain.pch"), "through two links");
    EXPECT_EQ(ReadText(Dir.File("sub/real.pch")), "through two links");
    EXPECT_TRUE(fs::is_symlink(Dir.File("chain.pch")) && fs::is_symlink(Dir.File("link.pch")));
    WriteFileBytes(Dir.File("dangling.pch"), "created");
    EXPECT_EQ(ReadText(Dir.File("sub/later.pch")), "created");
    EXPECT_TRUE(fs::is_symlink(Dir.File("dangling.pch")));
    EXPECT_EQ(MessageOf<EFCreateError>([&] { WriteFileBytes(Dir.File("loop1.pch"), "x"); }),
              "Cannot create file \"" + Dir.File("loop1.pch") + "\". Too many levels of symbolic links");
}

TEST(Saving, RefusalsLeaveTheOldFileAsItWas)
{
    TTempDir Dir;
    const std::string ReadOnly = Dir.File("ro.pch"), Fifo = Dir.File("fifo.pch"), NotAFolder = Dir.File("file");
    WriteText(ReadOnly, "protected");
    ::chmod(ReadOnly.c_str(), 0444); // refused even for root: made read-only on purpose
    ASSERT_EQ(::mkfifo(Fifo.c_str(), 0600), 0);
    WriteText(NotAFolder, "a file where a folder should be");
    fs::create_symlink("/dev/null", Dir.File("device.pch"));
    struct TCase {
        std::string File, Reason;
    };
    for (const TCase& C : {TCase{ReadOnly, "Permission denied"}, TCase{Fifo, "It is not a regular file"},
                           TCase{Dir.File("device.pch"), "It is not a regular file"},
                           TCase{Dir.Path(), "Is a directory"}, TCase{NotAFolder + "/p.pch", "Not a directory"},
                           TCase{Dir.File("no/such/p.pch"), "No such file or directory"},
                           TCase{"", "No such file or directory"}})
        EXPECT_EQ(MessageOf<EFCreateError>([&] { WriteFileBytes(C.File, "new"); }),
                  "Cannot create file \"" + C.File + "\". " + C.Reason);
    EXPECT_EQ(ReadText(ReadOnly), "protected");
    EXPECT_TRUE(fs::is_fifo(Fifo));
    EXPECT_EQ(EntriesIn(Dir.Path()), 4u); // no temporary file left anywhere
}

TEST(Saving, AFailedWriteLeavesTheOldFile)
{
    // A file-size limit makes the write fail halfway, for root as well.
    TTempDir Dir;
    const std::string Name = Dir.File("p.pch");
    WriteText(Name, "old");
    const std::string Message = MessageOf<EFCreateError>([&] {
        TFileSizeLimit Limit(1000);
        WriteFileBytes(Name, std::string(5000, 'x'));
    });
    EXPECT_EQ(Message, "Cannot create file \"" + Name + "\". File too large");
    EXPECT_EQ(ReadText(Name), "old");
    EXPECT_EQ(EntriesIn(Dir.Path()), 1u);
}

TEST(Saving, OtherUsersFilesAndFoldersAsAnOrdinaryUser)
{
    TTempDir Dir;
    ::chmod(Dir.Path().c_str(), 0755);
    fs::create_directory(Dir.File("locked"));
    const std::string Theirs = Dir.File("theirs.pch"), InLocked = Dir.File("locked/open.pch");
    WriteText(Theirs, "theirs");
    ::chmod(Theirs.c_str(), 0644); // readable, not writable by others
    WriteText(InLocked, "open");
    ::chmod(InLocked.c_str(), 0666); // writable by all, in a folder only its owner may write
    ::chmod(Dir.File("locked").c_str(), 0755);
    const int Result = RunUnprivileged([&] {
        if (MessageOf<EFCreateError>([&] { WriteFileBytes(Theirs, "mine"); }) !=
            "Cannot create file \"" + Theirs + "\". Permission denied")
            return 1;
        const std::string Message = MessageOf<EFCreateError>([&] { WriteFileBytes(InLocked, "mine"); });
        if (Message.find("The folder \"" + Dir.File("locked/") + "\" cannot be written (Permission denied)") ==
            std::string::npos)
            return 2;
        return 0;
    });
    EXPECT_EQ(Result, 0);
    EXPECT_EQ(ReadText(Theirs), "theirs");
    EXPECT_EQ(ReadText(InLocked), "open");
}

TEST(Saving, AReplacedFileKeepsItsOwner)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root may give a file to another user";
    TTempDir Dir;
    const std::string Name = Dir.File("p.pch");
    WriteText(Name, "old");
    ASSERT_EQ(::chown(Name.c_str(), 65534, 65534), 0);
    WriteFileBytes(Name, "new");
    struct stat Info {};
    ASSERT_EQ(::stat(Name.c_str(), &Info), 0);
    EXPECT_EQ(Info.st_uid, 65534u);
    EXPECT_EQ(Info.st_gid, 65534u);
}
