// Reading and replacing files, as on every system: only regular files of a
// sane size are read, and a save either puts the whole new patch in place or
// leaves the old file exactly as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "TestHelpers.h"
#include "base/Errors.h"
#include "base/Files.h"

using namespace permuto;
using namespace permuto::test;
namespace fs = std::filesystem;

TEST(Reading, WholeRegularFilesOfASaneSize)
{
    TTempDir Dir;
    const std::string Big = Dir.File("big.pch");
    WriteText(Big, "");
    fs::resize_file(Big, MaxFileSize + 1); // sparse: costs no disk
    struct TCase {
        std::string File, Reason;
    };
    for (const TCase& C : {TCase{Dir.File("none.pch"), "No such file or directory"}, TCase{Dir.Path(), "Is a directory"},
                           TCase{Big, "It is larger than 256 MiB, the most Permuto reads"}})
        EXPECT_EQ(MessageOf<EFOpenError>([&] { ReadFileBytes(C.File); }),
                  "Cannot open file \"" + C.File + "\". " + C.Reason);

    WriteText(Dir.File("ok.pch"), std::string("a\0b\r\n\xff", 6));
    TFileIdentity Identity;
    EXPECT_EQ(ReadFileBytes(Dir.File("ok.pch"), &Identity), std::string("a\0b\r\n\xff", 6));
    EXPECT_EQ(Identity, FileIdentityOf(Dir.File("ok.pch")));
    EXPECT_EQ(Identity.Size, 6);
}

TEST(Saving, ReplacesTheFileAndLeavesNothingBehind)
{
    TTempDir Dir;
    const std::string Name = Dir.File("p.pch");
    WriteText(Name, "old");
    const TFileIdentity Before = FileIdentityOf(Name);
    const TFileIdentity After = WriteFileBytes(Name, "new\r\n");
    EXPECT_EQ(ReadText(Name), "new\r\n");
    EXPECT_EQ(After, FileIdentityOf(Name));
    EXPECT_NE(After, Before);
    EXPECT_EQ(EntriesIn(Dir.Path()), 1u);

    // Content that fails while it is produced leaves the old file whole.
    EXPECT_THROW(WriteFile(Name,
                           [](const TByteSink& Write) {
                               Write("half a patch");
                               throw std::runtime_error("out of memory");
                           }),
                 std::runtime_error);
    EXPECT_EQ(ReadText(Name), "new\r\n");
    EXPECT_EQ(EntriesIn(Dir.Path()), 1u);
}

TEST(Saving, RefusalsLeaveTheOldFileAsItWas)
{
    TTempDir Dir;
    const std::string ReadOnly = Dir.File("ro.pch");
    WriteText(ReadOnly, "protected");
    // Refused even for root: made read-only on purpose.
    fs::permissions(ReadOnly, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    struct TCase {
        std::string File, Reason;
    };
    for (const TCase& C : {TCase{ReadOnly, "Permission denied"}, TCase{Dir.Path(), "Is a directory"},
                           TCase{Dir.File("no/such/p.pch"), "No such file or directory"},
                           TCase{"", "No such file or directory"}})
        EXPECT_EQ(MessageOf<EFCreateError>([&] { WriteFileBytes(C.File, "new"); }),
                  "Cannot create file \"" + C.File + "\". " + C.Reason);
    EXPECT_EQ(ReadText(ReadOnly), "protected");
    EXPECT_EQ(EntriesIn(Dir.Path()), 1u); // no temporary file left anywhere

    // More than the limit a save is given is refused (a patch must stay
    // readable); the default limit lets what can be read again through.
    const auto Produce = [](const TByteSink& Write) { Write("0123456789"); };
    EXPECT_NE(MessageOf<EFCreateError>([&] { WriteFile(Dir.File("big"), Produce, nullptr, 9); }), "no error");
    EXPECT_FALSE(fs::exists(Dir.File("big")));
    WriteFile(Dir.File("big"), Produce, nullptr, 10);
    EXPECT_EQ(ReadText(Dir.File("big")), "0123456789");
}

TEST(Messages, ControlCharactersInFileNamesAreEscaped)
{
    TTempDir Dir;
    const std::string Odd = Dir.File("a\nb\x1b[31mc\td.pch");
    EXPECT_EQ(MessageOf<EFOpenError>([&] { ReadFileBytes(Odd); }),
              "Cannot open file \"" + Dir.Path() + "/a\\nb\\x1B[31mc\\td.pch\". No such file or directory");
}
