// Files on Linux: reading regular files only, and the safe save.
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "Errors.h"
#include "FilesShared.h"
#include "Files.h"
#include "Memory.h"
#include "NewFileLinux.h"
#include "SaveCalls.h"
#include "Scanner.h"

namespace permuto {

namespace {

int OpenFile(const char* Name, int Flags, mode_t Mode)
{
    return ::open(Name, Flags, Mode);
}

} // namespace

TSaveCalls DefaultSaveCalls()
{
    return {::faccessat, OpenFile, ::fsync, ::linkat, ::rename, ::fsetxattr};
}

TSaveCalls& SaveCalls()
{
    static TSaveCalls Calls = DefaultSaveCalls();
    return Calls;
}

namespace {


std::string FolderOf(const std::string& Path)
{
    const size_t Slash = Path.rfind('/');
    return Slash == std::string::npos ? std::string() : Path.substr(0, Slash + 1);
}

// The file a save really writes: symbolic links followed one by one to the
// name they end at, which may not exist yet.
std::string SaveTarget(const std::string& FileName)
{
    std::string Path = FileName;
    for (int Links = 0;; ++Links) {
        struct stat Info {};
        if (::lstat(Path.c_str(), &Info) != 0 || !S_ISLNK(Info.st_mode))
            return Path;
        if (Links == 40)
            throw EFCreateError(FileName, SystemReason(ELOOP));
        std::vector<char> Buffer(static_cast<size_t>(Info.st_size > 0 ? Info.st_size : PATH_MAX) + 1);
        const ssize_t Length = ::readlink(Path.c_str(), Buffer.data(), Buffer.size());
        if (Length < 0)
            throw EFCreateError(FileName, SystemReason(errno));
        const std::string Link(Buffer.data(), static_cast<size_t>(Length));
        Path = Link.front() == '/' ? Link : FolderOf(Path) + Link;
    }
}

// A file the user may not write is not replaced, and neither is one that
// has no write permission at all: root may write anything, but a patch made
// read-only is meant to stay as it is. 0, or why not (a read-only file
// system says so).
int WhyNotReplace(const std::string& Target, const struct stat& Info)
{
    if ((Info.st_mode & 0222) == 0)
        return EACCES;
    return SaveCalls().Faccessat(AT_FDCWD, Target.c_str(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
}

bool WriteAll(int Fd, std::string_view Bytes)
{
    while (!Bytes.empty()) {
        const ssize_t Written = ::write(Fd, Bytes.data(), Bytes.size());
        if (Written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        Bytes.remove_prefix(static_cast<size_t>(Written));
    }
    return true;
}

// The descriptor that a name such as /dev/stdout or /proc/self/fd/3 stands
// for, when it is open; -1 for every other name.
int OpenDescriptor(const std::string& Name)
{
    int Fd = -1;
    if (Name == "/dev/stdout")
        Fd = STDOUT_FILENO;
    else if (Name == "/dev/stderr")
        Fd = STDERR_FILENO;
    for (const char* Prefix : {"/dev/fd/", "/proc/self/fd/"}) {
        const size_t Length = std::strlen(Prefix);
        if (Name.compare(0, Length, Prefix) == 0 && Name.size() > Length && Name.size() - Length <= 9 &&
            Name.find_first_not_of("0123456789", Length) == std::string::npos)
            ConvertInteger(std::string_view(Name).substr(Length), Fd, TIntegerForms::Decimal);
    }
    return Fd >= 0 && ::fcntl(Fd, F_GETFD) != -1 ? Fd : -1;
}

// Copies the extended attributes of File (its access control list among
// them) to the new file. What cannot be copied is said in Warnings.
void CopyAttributes(const std::string& File, int Fd, std::vector<std::string>& Warnings)
{
    ssize_t Size = ::listxattr(File.c_str(), nullptr, 0);
    if (Size < 0) {
        if (errno != ENOTSUP)
            Warnings.push_back("its extended attributes could not be read (" + SystemReason(errno) + ")");
        return;
    }
    std::vector<char> Names(static_cast<size_t>(Size) + 1);
    Size = ::listxattr(File.c_str(), Names.data(), Names.size());
    if (Size < 0)
        return;
    for (const char* Name = Names.data(); Name < Names.data() + Size; Name += std::strlen(Name) + 1) {
        std::vector<char> Value(256);
        ssize_t Length;
        while ((Length = ::getxattr(File.c_str(), Name, Value.data(), Value.size())) < 0 && errno == ERANGE)
            Value.resize(Value.size() * 4);
        if (Length < 0 || SaveCalls().Fsetxattr(Fd, Name, Value.data(), static_cast<size_t>(Length), 0) != 0)
            Warnings.push_back(Format("its extended attribute %s was not kept (%s)", Name, SystemReason(errno).c_str()));
    }
}

// Why renaming the new file over Target failed, in words.
std::string WhyNotRenamed(const std::string& Target, const std::string& Folder, int Error)
{
    struct stat Place {}, File {};
    if ((Error == EPERM || Error == EACCES) && ::stat((Folder.empty() ? "." : Folder).c_str(), &Place) == 0 &&
        (Place.st_mode & S_ISVTX) != 0 && ::stat(Target.c_str(), &File) == 0 && File.st_uid != ::geteuid())
        return Format("The folder \"%s\" lets only a file's owner replace it, and another user owns this one",
                      Folder.empty() ? "." : Folder.c_str());
    return SystemReason(Error);
}

TFileIdentity IdentityOf(const struct stat& Info)
{
    return {static_cast<uint64_t>(Info.st_dev), static_cast<uint64_t>(Info.st_ino), static_cast<int64_t>(Info.st_size),
            static_cast<int64_t>(Info.st_mtim.tv_sec) * 1000000000 + Info.st_mtim.tv_nsec};
}

} // namespace

TFileIdentity FileIdentityOf(const std::string& Name)
{
    struct stat Info {};
    if (::stat(Name.c_str(), &Info) != 0)
        return {};
    return IdentityOf(Info);
}

std::string ReadFileBytes(const std::string& FileName, TFileIdentity* Identity)
{
    // Opened without waiting: a FIFO would otherwise block until a writer came.
    TFileDescriptor File(::open(FileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (File.Get() < 0)
        throw EFOpenError(FileName, SystemReason(errno));
    struct stat Info {};
    if (::fstat(File.Get(), &Info) != 0)
        throw EFOpenError(FileName, SystemReason(errno));
    if (S_ISDIR(Info.st_mode))
        throw EFOpenError(FileName, SystemReason(EISDIR));
    if (!S_ISREG(Info.st_mode))
        throw EFOpenError(FileName, NotRegularFile);
    if (static_cast<unsigned long long>(Info.st_size) > MaxFileSize)
        throw EFOpenError(FileName, TooLargeToRead());

    std::string Bytes = ReadToEnd(FileName, static_cast<size_t>(Info.st_size), [&](char* Into, size_t Most) {
        for (;;) {
            const ssize_t Got = ::read(File.Get(), Into, Most);
            if (Got >= 0)
                return static_cast<size_t>(Got);
            if (errno != EINTR)
                throw EFOpenError(FileName, SystemReason(errno));
        }
    });
    if (Identity != nullptr) {
        *Identity = IdentityOf(Info);
        Identity->Size = static_cast<int64_t>(Bytes.size());
    }
    return Bytes;
}

TFileIdentity WriteFile(const std::string& FileName, const std::function<void(const TByteSink& Write)>& Produce,
                        std::vector<std::string>* Warnings, std::size_t Limit)
{
    if (FileName.empty())
        throw EFCreateError(FileName, SystemReason(ENOENT));
    // A name for an open descriptor (a pipe, a terminal, a log opened for
    // appending) is written through it: there is no file to put in its place.
    if (const int Fd = OpenDescriptor(FileName); Fd >= 0) {
        int Error = 0;
        Produce([&](std::string_view Bytes) {
            if (Error == 0 && !WriteAll(Fd, Bytes))
                Error = errno;
        });
        if (Error != 0)
            throw EFCreateError(FileName, SystemReason(Error));
        struct stat Info {};
        if (::fstat(Fd, &Info) != 0 || !S_ISREG(Info.st_mode))
            return {};
        // A file opened for reading and writing (the patch itself, given as
        // "5<>p.pch") ends where the new content ends: none of its old bytes
        // are left behind it.
        const off_t End = ::lseek(Fd, 0, SEEK_CUR);
        if (End < 0 || (End < Info.st_size && ::ftruncate(Fd, End) != 0))
            throw EFCreateError(FileName, SystemReason(errno));
        return ::fstat(Fd, &Info) == 0 ? IdentityOf(Info) : TFileIdentity{};
    }
    const std::string Target = SaveTarget(FileName);
    struct stat Existing {};
    const bool Exists = ::stat(Target.c_str(), &Existing) == 0;
    if (Exists && S_ISDIR(Existing.st_mode))
        throw EFCreateError(FileName, SystemReason(EISDIR));
    if (Exists && !S_ISREG(Existing.st_mode))
        throw EFCreateError(FileName, NotRegularFile);
    if (const int Why = Exists ? WhyNotReplace(Target, Existing) : 0; Why != 0)
        throw EFCreateError(FileName, SystemReason(Why));

    const std::string Folder = FolderOf(Target);
    TNewFile File(Folder);
    if (File.Fd() < 0) {
        const int Error = errno;
        if (Error == EROFS)
            throw EFCreateError(FileName, Format("The folder \"%s\" is on a read-only file system",
                                                 Folder.empty() ? "." : Folder.c_str()));
        if (Error == EACCES || Error == EPERM)
            throw EFCreateError(FileName, FolderNotWritable(Folder, SystemReason(Error)));
        throw EFCreateError(FileName, SystemReason(Error));
    }

    // A replaced file keeps its permissions, owner and group, and its
    // extended attributes (its access control list among them); a new one
    // has the usual permissions already.
    int Error = 0;
    std::vector<std::string> NotKept;
    if (Exists) {
        if (::fchown(File.Fd(), Existing.st_uid, Existing.st_gid) != 0)
            (void)!::fchown(File.Fd(), static_cast<uid_t>(-1), Existing.st_gid); // the group alone may be allowed
        if (::fchmod(File.Fd(), Existing.st_mode & 07777) != 0)
            Error = errno;
        CopyAttributes(Target, File.Fd(), NotKept);
    }
    // What is written must stay readable: a file too large to load again is
    // not made.
    size_t Written = 0;
    Produce([&](std::string_view Bytes) {
        Written += Bytes.size();
        if (Written > Limit)
            Error = EFBIG;
        if (Error == 0 && !WriteAll(File.Fd(), Bytes))
            Error = errno;
#ifdef SYNC_FILE_RANGE_WRITE
        // Start putting this piece on the disk now, while the next is made:
        // the fsync below then waits for the last pieces only.
        if (Error == 0)
            (void)::sync_file_range(File.Fd(), static_cast<off_t>(Written - Bytes.size()),
                                    static_cast<off_t>(Bytes.size()), SYNC_FILE_RANGE_WRITE);
#endif
    });
    if (Error == 0 && SaveCalls().Fsync(File.Fd()) != 0)
        Error = errno;
    struct stat NewFile {};
    if (Error == 0 && ::fstat(File.Fd(), &NewFile) != 0)
        Error = errno;
    if (Error == 0)
        Error = File.Name();
    if (Written > Limit)
        throw EFCreateError(FileName, TooLargeToWrite());
    if (Error != 0)
        throw EFCreateError(FileName, SystemReason(Error));
    if (const int NotRenamed = File.Commit(Target); NotRenamed != 0)
        throw EFCreateError(FileName, WhyNotRenamed(Target, Folder, NotRenamed));
    if (const int NotSynced = File.SyncFolder(); NotSynced != 0)
        NotKept.push_back("the folder could not be synced, so the new file may be lost if the system stops now (" +
                          SystemReason(NotSynced) + ")");
    if (Warnings != nullptr)
        for (const std::string& Warning : NotKept)
            Warnings->push_back(EscapedName(FileName) + ": " + Warning);
    return IdentityOf(NewFile);
}

} // namespace permuto
