// Reading and replacing files on POSIX systems: FIFOs and devices, links,
// permissions, owners, extended attributes and access lists, descriptors,
// and the order of the calls that make a save safe.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <thread>

#include "TestHelpers.h"
#include "base/Errors.h"
#include "base/Files.h"
#include "base/SaveCalls.h"

using namespace permuto;
using namespace permuto::test;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> GCalls; // what the replaced calls saw, in order

// Replaces some of the calls a save makes while it lives; what they see is
// recorded from its start.
class TCallsReplaced {
public:
    TCallsReplaced() { GCalls.clear(); }
    ~TCallsReplaced() { SaveCalls() = DefaultSaveCalls(); }
    TCallsReplaced(const TCallsReplaced&) = delete;
    TCallsReplaced& operator=(const TCallsReplaced&) = delete;
};

} // namespace

TEST(Reading, NeitherFifosNorDevices)
{
    TTempDir Dir;
    const std::string Fifo = Dir.File("fifo.pch");
    ASSERT_EQ(::mkfifo(Fifo.c_str(), 0600), 0); // would block forever if opened for waiting
    for (const std::string& File : {Fifo, std::string("/dev/zero")})
        EXPECT_EQ(MessageOf<EFOpenError>([&] { ReadFileBytes(File); }),
                  "Cannot open file \"" + File + "\". It is not a regular file");
}

TEST(Saving, AReplacedFileKeepsItsPermissions)
{
    TTempDir Dir;
    const std::string Name = Dir.File("p.pch");
    WriteText(Name, "old");
    ::chmod(Name.c_str(), 0640);
    WriteFileBytes(Name, "new");
    struct stat Info {};
    ASSERT_EQ(::stat(Name.c_str(), &Info), 0);
    EXPECT_EQ(Info.st_mode & 0777, 0640u);

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

TEST(Saving, NoFifoDeviceOrPathThroughAFileIsWritten)
{
    TTempDir Dir;
    const std::string Fifo = Dir.File("fifo.pch"), NotAFolder = Dir.File("file");
    ASSERT_EQ(::mkfifo(Fifo.c_str(), 0600), 0);
    WriteText(NotAFolder, "a file where a folder should be");
    fs::create_symlink("/dev/null", Dir.File("device.pch"));
    struct TCase {
        std::string File, Reason;
    };
    for (const TCase& C : {TCase{Fifo, "It is not a regular file"}, TCase{Dir.File("device.pch"), "It is not a regular file"},
                           TCase{NotAFolder + "/p.pch", "Not a directory"}})
        EXPECT_EQ(MessageOf<EFCreateError>([&] { WriteFileBytes(C.File, "new"); }),
                  "Cannot create file \"" + C.File + "\". " + C.Reason);
    EXPECT_TRUE(fs::is_fifo(Fifo));
    EXPECT_EQ(EntriesIn(Dir.Path()), 3u); // no temporary file left anywhere
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

// Once renamed, the folder that holds the new name is synced too; where that
// fails, the save says so.
TEST(Saving, TheFolderIsSyncedAfterTheRename)
{
    TTempDir Dir;
    const std::string Name = Dir.File("p.pch");
    WriteText(Name, "old");
    TCallsReplaced Replaced;
    SaveCalls().Fsync = [](int Fd) {
        struct stat Info {};
        const bool Folder = ::fstat(Fd, &Info) == 0 && S_ISDIR(Info.st_mode);
        GCalls.push_back(Folder ? "fsync folder" : "fsync");
        if (Folder) {
            errno = EIO;
            return -1;
        }
        return DefaultSaveCalls().Fsync(Fd);
    };
    SaveCalls().Rename = [](const char* From, const char* To) {
        GCalls.push_back("rename");
        return DefaultSaveCalls().Rename(From, To);
    };
    std::vector<std::string> Warnings;
    WriteFile(Name, [](const TByteSink& Write) { Write("new"); }, &Warnings);
    EXPECT_EQ(GCalls, (std::vector<std::string>{"fsync", "rename", "fsync folder"}));
    EXPECT_EQ(ReadText(Name), "new");
    ASSERT_EQ(Warnings.size(), 1u);
    EXPECT_NE(Warnings[0].find("the folder could not be synced"), std::string::npos) << Warnings[0];
}

// The new file is on the disk before it gets a name and before it takes the
// old one's place; a rename that fails leaves the old file and no other.
TEST(Saving, TheNewFileIsSyncedBeforeItIsNamedAndRenamed)
{
    TTempDir Dir;
    const std::string Name = Dir.File("p.pch");
    WriteText(Name, "old");
    TCallsReplaced Replaced;
    SaveCalls().Fsync = [](int Fd) {
        GCalls.push_back("fsync");
        return DefaultSaveCalls().Fsync(Fd);
    };
    SaveCalls().Linkat = [](int A, const char* From, int B, const char* To, int Flags) {
        GCalls.push_back("name");
        return DefaultSaveCalls().Linkat(A, From, B, To, Flags);
    };
    SaveCalls().Rename = [](const char*, const char*) {
        GCalls.push_back("rename");
        errno = EBUSY;
        return -1;
    };
    EXPECT_EQ(MessageOf<EFCreateError>([&] { WriteFileBytes(Name, "new"); }),
              "Cannot create file \"" + Name + "\". Device or resource busy");
    EXPECT_EQ(GCalls, (std::vector<std::string>{"fsync", "name", "rename"}));
    EXPECT_EQ(ReadText(Name), "old");
    EXPECT_EQ(EntriesIn(Dir.Path()), 1u);
}

// Where the file system makes no unnamed files, or /proc is not mounted, a
// save still replaces the patch, and leaves no other file behind.
TEST(Saving, WithoutUnnamedFilesOrProcASaveStillWorks)
{
    TTempDir Dir;
    const std::string Name = Dir.File("p.pch");
    for (const bool NoUnnamed : {true, false}) {
        WriteText(Name, "old");
        TCallsReplaced Replaced;
        if (NoUnnamed) {
            SaveCalls().Open = [](const char* File, int Flags, mode_t Mode) {
                if ((Flags & O_TMPFILE) == O_TMPFILE) {
                    errno = EOPNOTSUPP;
                    return -1;
                }
                return DefaultSaveCalls().Open(File, Flags, Mode);
            };
        } else {
            // Naming by the descriptor alone (AT_EMPTY_PATH) is for root on
            // older kernels; CI runs as root.
            if (::geteuid() != 0)
                continue;
            SaveCalls().Linkat = [](int A, const char* From, int B, const char* To, int Flags) {
                if (std::string(From).rfind("/proc/", 0) == 0) {
                    errno = ENOENT;
                    return -1;
                }
                return DefaultSaveCalls().Linkat(A, From, B, To, Flags);
            };
        }
        WriteFileBytes(Name, "new");
        EXPECT_EQ(ReadText(Name), "new") << NoUnnamed;
        EXPECT_EQ(EntriesIn(Dir.Path()), 1u) << NoUnnamed;
    }
}

// In a shared folder whose sticky bit lets only a file's owner replace it,
// the rename is refused: said in words, with the old file whole.
TEST(Saving, ARenameRefusedInAStickyFolderIsExplained)
{
    TTempDir Dir;
    const std::string Shared = Dir.File("shared"), Name = Dir.File("shared/p.pch");
    ::chmod(Dir.Path().c_str(), 0755);
    fs::create_directory(Shared);
    ::chmod(Shared.c_str(), 01777);
    WriteText(Name, "theirs");
    ::chmod(Name.c_str(), 0666); // anyone may write it, only its owner replace it
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs a file of another user";
    const int Result = RunUnprivileged([&] {
        const std::string Message = MessageOf<EFCreateError>([&] { WriteFileBytes(Name, "mine"); });
        return Message.find("lets only a file's owner replace it") != std::string::npos ? 0 : 1;
    });
    EXPECT_EQ(Result, 0);
    EXPECT_EQ(ReadText(Name), "theirs");
    EXPECT_EQ(EntriesIn(Shared), 1u);
}

TEST(Saving, AttributesAndAccessListsAreKeptOrTheLossIsSaid)
{
    TTempDir Dir;
    const std::string Name = Dir.File("p.pch");
    WriteText(Name, "old");
    ::chmod(Name.c_str(), 0640);
    ASSERT_EQ(::setxattr(Name.c_str(), "user.origin", "studio", 6, 0), 0);
    const std::string Long(1000, 'n'); // longer than a first guess of its size
    ASSERT_EQ(::setxattr(Name.c_str(), "user.notes", Long.data(), Long.size(), 0), 0);
    // A colleague (user 65534) may read and write it: an access list entry.
    struct TEntry {
        uint16_t Tag, Permissions;
        uint32_t Id;
    };
    const TEntry Entries[] = {{0x01, 6, UINT32_MAX}, {0x02, 6, 65534}, {0x04, 4, UINT32_MAX},
                              {0x10, 6, UINT32_MAX}, {0x20, 0, UINT32_MAX}};
    std::string Acl(4, '\0');
    Acl[0] = 2; // version
    Acl.append(reinterpret_cast<const char*>(Entries), sizeof Entries);
    ASSERT_EQ(::setxattr(Name.c_str(), "system.posix_acl_access", Acl.data(), Acl.size(), 0), 0);

    std::vector<std::string> Warnings;
    WriteFileBytes(Name, "new", &Warnings);
    EXPECT_TRUE(Warnings.empty());
    char Value[64] = {};
    EXPECT_EQ(::getxattr(Name.c_str(), "user.origin", Value, sizeof Value), 6);
    EXPECT_EQ(std::string(Value, 6), "studio");
    std::string Notes(2000, '\0');
    EXPECT_EQ(::getxattr(Name.c_str(), "user.notes", Notes.data(), Notes.size()), 1000);
    EXPECT_EQ(Notes.substr(0, 1000), Long);
    std::string Kept(256, '\0');
    const ssize_t Size = ::getxattr(Name.c_str(), "system.posix_acl_access", Kept.data(), Kept.size());
    ASSERT_GT(Size, 0);
    EXPECT_EQ(Kept.substr(0, static_cast<size_t>(Size)), Acl);

    // Where the new file cannot take an attribute, the save still happens
    // and says which was lost.
    TCallsReplaced Replaced;
    SaveCalls().Fsetxattr = [](int Fd, const char* Attribute, const void* Data, size_t Length, int Flags) {
        if (std::string(Attribute) != "user.origin")
            return DefaultSaveCalls().Fsetxattr(Fd, Attribute, Data, Length, Flags);
        errno = ENOTSUP;
        return -1;
    };
    Warnings.clear();
    WriteFileBytes(Name, "newer", &Warnings);
    EXPECT_EQ(ReadText(Name), "newer");
    EXPECT_EQ(Warnings, std::vector<std::string>{Name + ": its extended attribute user.origin was not kept "
                                                        "(Operation not supported)"});
}

TEST(Saving, AReadOnlyFileSystemIsNamedAsSuch)
{
    TTempDir Dir;
    const std::string Name = Dir.File("p.pch");
    WriteText(Name, "old");
    TCallsReplaced Replaced;
    SaveCalls().Faccessat = [](int, const char*, int, int) {
        errno = EROFS;
        return -1;
    };
    EXPECT_EQ(MessageOf<EFCreateError>([&] { WriteFileBytes(Name, "new"); }),
              "Cannot create file \"" + Name + "\". Read-only file system");
    SaveCalls().Open = [](const char*, int, mode_t) {
        errno = EROFS;
        return -1;
    };
    EXPECT_EQ(MessageOf<EFCreateError>([&] { WriteFileBytes(Dir.File("new.pch"), "new"); }),
              "Cannot create file \"" + Dir.File("new.pch") + "\". The folder \"" + Dir.Path() +
                  "/\" is on a read-only file system");
    EXPECT_EQ(ReadText(Name), "old");
}

// A name for an open descriptor is written through it: a log opened for
// appending gets the patch appended, not replaced.
TEST(Saving, DescriptorsAreWrittenThroughNotReplaced)
{
    TTempDir Dir;
    const std::string Log = Dir.File("run.log");
    WriteText(Log, "earlier lines\n");
    const int Fd = ::open(Log.c_str(), O_WRONLY | O_APPEND);
    ASSERT_GE(Fd, 0);
    WriteFileBytes("/proc/self/fd/" + std::to_string(Fd), "the patch\n");
    WriteFileBytes("/dev/fd/" + std::to_string(Fd), "again\n");
    ::close(Fd);
    EXPECT_EQ(ReadText(Log), "earlier lines\nthe patch\nagain\n");
    EXPECT_EQ(EntriesIn(Dir.Path()), 1u);
    // A descriptor that is not open names no file there.
    EXPECT_NE(MessageOf<EFCreateError>([&] { WriteFileBytes("/dev/fd/987", "x"); }), "no error");

    // The patch itself, opened for reading and writing: a shorter patch
    // leaves none of the old bytes behind it.
    const std::string Patch = Dir.File("p.pch");
    WriteText(Patch, "a longer old patch\n");
    const int Both = ::open(Patch.c_str(), O_RDWR);
    ASSERT_GE(Both, 0);
    WriteFileBytes("/dev/fd/" + std::to_string(Both), "short\n");
    ::close(Both);
    EXPECT_EQ(ReadText(Patch), "short\n");
}
