#pragma once
// Reading and replacing whole files, the only way Permuto touches the disk
// for patches and the module library.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace permuto {

// Real patches are kilobytes; anything above this is refused unread.
inline constexpr std::size_t MaxFileSize = std::size_t(256) << 20; // 256 MiB

// Which file a name stood for, and in what state: two identities differ when
// the file was replaced or changed between the moments they were taken.
struct TFileIdentity {
    uint64_t Device = 0;
    uint64_t Inode = 0;
    int64_t Size = -1; // -1: no file
    int64_t ModifiedNs = 0;
    bool Exists() const { return Size >= 0; }
    bool operator==(const TFileIdentity&) const = default;
};

// The identity of the file that Name names now (links followed); one that
// does not exist when there is no such file.
TFileIdentity FileIdentityOf(const std::string& Name);

// The whole content of a regular file as bytes. Refuses, with EFOpenError
// ("Cannot open file ...") and the reason, a file that cannot be opened, that
// is not a regular file (a folder, a FIFO, a device: nothing is waited for or
// read from it) or that is larger than MaxFileSize.
// Identity, when given, receives the identity of the file that was read.
std::string ReadFileBytes(const std::string& FileName, TFileIdentity* Identity = nullptr);

// Replaces a file by Bytes so that the old content stays whole until the new
// one is completely on disk: the bytes go to a new file in the target's
// folder, are synced, and the new file is renamed over the target. The new
// file has no name until it is complete (where the file system allows; else
// a unique ".permuto-..." name), so a save cut short leaves nothing behind
// and two saves of one patch never touch each other's file. A symbolic link
// is followed to the file it names (which is created when it does not exist
// yet); the replaced file keeps its permissions, and its owner and group
// where the system allows. Refuses, with EFCreateError ("Cannot create file
// ...") and the reason, leaving the old file as it was: a target that is not
// a regular file, a file the user may not write or that has no write
// permission at all (even for root), a link loop, a folder in which the new
// file cannot be created, content above MaxFileSize (it could not be read
// again), and every failed write.
// Gives the identity of the new file. The replaced file's extended
// attributes (its access control list among them) are copied to the new
// one; those that cannot be are named in Warnings. A name for an open
// descriptor (/dev/stdout, /dev/stderr, /dev/fd/N, /proc/self/fd/N) is
// written through that descriptor instead.
TFileIdentity WriteFileBytes(const std::string& FileName, std::string_view Bytes,
                             std::vector<std::string>* Warnings = nullptr);

// The same, for content that is produced piece by piece: Produce hands each
// piece to the sink it is given. An error raised by Produce leaves the old
// file as it was and passes on. Limit is the most that may be written: a
// patch must stay readable, a picture (never read back) has no limit.
using TByteSink = std::function<void(std::string_view Bytes)>;
TFileIdentity WriteFile(const std::string& FileName, const std::function<void(const TByteSink& Write)>& Produce,
                        std::vector<std::string>* Warnings = nullptr, std::size_t Limit = MaxFileSize);

} // namespace permuto
