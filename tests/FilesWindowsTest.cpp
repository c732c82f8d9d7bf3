// Reading and replacing files on Windows: devices are never read, names are
// UTF-8, and a save that cannot take the old file's place leaves it whole.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "TestHelpers.h"
#include "base/Errors.h"
#include "base/Files.h"
#include "base/Platform.h"

using namespace permuto;
using namespace permuto::test;
namespace fs = std::filesystem;

TEST(Reading, NoDevices)
{
    for (const std::string Device : {"NUL", "CON", "\\\\.\\NUL", "\\\\.\\pipe\\permuto-test-a-long-pipe-name",
                                     "//?/GLOBALROOT/Device/Null"}) {
        EXPECT_NE(MessageOf<EFOpenError>([&] { ReadFileBytes(Device); }), "no error") << Device;
        EXPECT_EQ(MessageOf<EFCreateError>([&] { WriteFileBytes(Device, "x"); }),
                  "Cannot create file \"" + Device + "\". It is not a regular file")
            << Device;
    }
}

TEST(Names, AreUtf8)
{
    TTempDir Dir;
    const std::string Name = Dir.File("Stra\xc3\x9f" "e \xe3\x83\x91\xe3\x83\x83\xe3\x83\x81.pch"); // "Straße パッチ"
    WriteFileBytes(Name, "new");
    EXPECT_EQ(ReadFileBytes(Name), "new");
    // The system sees the name the user typed, not its bytes as ANSI text.
    EXPECT_TRUE(fs::exists(fs::path(WideName(Dir.Path()) + L"/Stra\u00dfe \u30d1\u30c3\u30c1.pch")));
    EXPECT_EQ(EntriesIn(Dir.Path()), 1u);
    EXPECT_EQ(NarrowName(WideName(Name)), Name);

    // Bytes that are no UTF-8, and a wide name that is no UTF-16, name no
    // file at all rather than another one.
    const std::string Broken = Dir.File("a\xff.pch");
    EXPECT_EQ(MessageOf<EFCreateError>([&] { WriteFileBytes(Broken, "x"); }),
              "Cannot create file \"" + Broken + "\". Its name is not valid UTF-8 text");
    EXPECT_EQ(MessageOf<EFOpenError>([&] { ReadFileBytes(Broken); }),
              "Cannot open file \"" + Broken + "\". Its name is not valid UTF-8 text");
    EXPECT_EQ(NarrowName(L"a\xd800.pch"), "a\xff.pch");
    EXPECT_EQ(EntriesIn(Dir.Path()), 1u);
}

// A file's identity holds its time of change in nanoseconds since 1970.
TEST(Names, IdentityTimesAreSince1970)
{
    TTempDir Dir;
    const TFileIdentity Identity = WriteFileBytes(Dir.File("p.pch"), "x");
    const auto Now = std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::system_clock::now().time_since_epoch()).count();
    EXPECT_LT(std::abs(Now - Identity.ModifiedNs), int64_t{3600} * 1000000000);
}

// Another program holds the patch open, letting others read and write it but
// not delete or replace it: the new file is written, cannot take the old
// one's place, and is removed again; the old file stays whole.
TEST(Saving, AFileHeldOpenByAnotherProgramStaysWhole)
{
    TTempDir Dir;
    const std::string Name = Dir.File("p.pch");
    WriteText(Name, "old");
    const HANDLE Held = ::CreateFileW(WideName(Name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(Held, INVALID_HANDLE_VALUE);
    const std::string Message = MessageOf<EFCreateError>([&] { WriteFileBytes(Name, "new"); });
    ::CloseHandle(Held);
    EXPECT_EQ(Message, "Cannot create file \"" + Name + "\". Another program holds the file open");
    EXPECT_EQ(ReadText(Name), "old");
    EXPECT_EQ(EntriesIn(Dir.Path()), 1u);
    WriteFileBytes(Name, "new"); // once it is let go, the save goes through
    EXPECT_EQ(ReadText(Name), "new");
}

TEST(Saving, TwoSavesAtOnceNeverMix)
{
    // Either save may lose the race for the name (Windows may refuse a
    // replacement while another is under way); the file is always one whole.
    TTempDir Dir;
    const std::string Name = Dir.File("p.pch"), A(1 << 20, 'a'), B(1 << 20, 'b');
    for (int Round = 0; Round < 4; ++Round) {
        std::thread Other([&] { MessageOf<EFCreateError>([&] { WriteFileBytes(Name, A); }); });
        MessageOf<EFCreateError>([&] { WriteFileBytes(Name, B); });
        Other.join();
        const std::string Now = ReadText(Name);
        EXPECT_TRUE(Now == A || Now == B);
        EXPECT_EQ(EntriesIn(Dir.Path()), 1u);
    }
}
