#include "Files.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>
#include <vector>

#include "Errors.h"
#include "Memory.h"

namespace permuto {

namespace {

// Closes its descriptor on every path out, errors included.
class TFileDescriptor {
public:
    explicit TFileDescriptor(int Fd) : FFd(Fd) {}
    ~TFileDescriptor()
    {
        if (FFd >= 0)
            ::close(FFd);
    }
    TFileDescriptor(const TFileDescriptor&) = delete;
    TFileDescriptor& operator=(const TFileDescriptor&) = delete;
    int Get() const { return FFd; }
    // Closes now and gives the error of the close (0 when none).
    int Close()
    {
        const int Result = ::close(FFd) == 0 ? 0 : errno;
        FFd = -1;
        return Result;
    }

private:
    int FFd;
};

const char* const NotRegular = "It is not a regular file";

std::string TooLarge()
{
    return Format("It is larger than %zu MiB, the most Permuto reads", MaxFileSize >> 20);
}

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
    return ::faccessat(AT_FDCWD, Target.c_str(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
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

// A name in Folder that no file has yet: ".permuto-" and random letters.
std::string FreshName(const std::string& Folder)
{
    // One generator per thread: saves on two threads never share its state.
    thread_local std::mt19937_64 Random{std::random_device{}() ^ static_cast<uint64_t>(::getpid())};
    return Folder + Format(".permuto-%016llx", static_cast<unsigned long long>(Random()));
}

// The new file of a save. It is made without a name where the file system
// allows it, so that a save cut short at any moment leaves nothing behind,
// and gets a name of its own (unique, so that two saves of one patch never
// touch each other's file) only once it is complete. Elsewhere it is made
// under such a name from the start.
class TNewFile {
public:
    explicit TNewFile(const std::string& Folder) : FFolder(Folder.empty() ? std::string("./") : Folder)
    {
        // Made with the usual permissions (the user's umask applies); a file
        // that replaces another takes that one's permissions later.
        FFd = ::open(FFolder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (FFd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL))
            return;
        for (int Try = 0; Try < 100 && FFd < 0; ++Try) {
            FName = FreshName(FFolder);
            FFd = ::open(FName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
            if (FFd < 0 && errno != EEXIST)
                break;
        }
        if (FFd < 0)
            FName.clear();
    }
    ~TNewFile()
    {
        if (FFd >= 0)
            ::close(FFd);
        if (!FName.empty())
            ::unlink(FName.c_str());
    }
    TNewFile(const TNewFile&) = delete;
    TNewFile& operator=(const TNewFile&) = delete;

    int Fd() const { return FFd; }
    // Closes the file, gives it a name if it has none, and renames it to
    // Target; 0 or the error.
    int Commit(const std::string& Target)
    {
        const int Error = ::close(FFd) == 0 ? 0 : errno;
        FFd = -1;
        if (Error != 0)
            return Error;
        if (::rename(FName.c_str(), Target.c_str()) != 0)
            return errno;
        FName.clear();
        return 0;
    }
    // Gives an unnamed file its name (before it is closed); 0 or the error.
    int Name()
    {
        if (!FName.empty())
            return 0;
        const std::string Self = "/proc/self/fd/" + std::to_string(FFd);
        for (int Try = 0; Try < 100; ++Try) {
            const std::string Candidate = FreshName(FFolder);
            if (::linkat(AT_FDCWD, Self.c_str(), AT_FDCWD, Candidate.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
                (errno == ENOENT && ::linkat(FFd, "", AT_FDCWD, Candidate.c_str(), AT_EMPTY_PATH) == 0)) {
                FName = Candidate;
                return 0;
            }
            if (errno != EEXIST)
                return errno;
        }
        return EEXIST;
    }

private:
    std::string FFolder;
    std::string FName;
    int FFd = -1;
};

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
        throw EFOpenError(FileName, NotRegular);
    if (static_cast<unsigned long long>(Info.st_size) > MaxFileSize)
        throw EFOpenError(FileName, TooLarge());

    // Room for the few lines a reader may add (an area line split in two).
    std::string Bytes;
    Bytes.reserve(static_cast<size_t>(Info.st_size) + 4096);
    AdviseHugePages(Bytes.data(), Bytes.capacity());
    Bytes.resize(static_cast<size_t>(Info.st_size));
    size_t Filled = 0;
    for (;;) {
        char Probe[4096]; // once the size stat gave is read: whatever the file grew by since
        const bool Full = Filled == Bytes.size();
        char* const Into = Full ? Probe : Bytes.data() + Filled;
        const ssize_t Got = ::read(File.Get(), Into, Full ? sizeof Probe : Bytes.size() - Filled);
        if (Got == 0)
            break;
        if (Got < 0) {
            if (errno == EINTR)
                continue;
            throw EFOpenError(FileName, SystemReason(errno));
        }
        if (Full) {
            if (Bytes.size() + static_cast<size_t>(Got) > MaxFileSize)
                throw EFOpenError(FileName, TooLarge());
            Bytes.append(Probe, static_cast<size_t>(Got));
        }
        Filled += static_cast<size_t>(Got);
    }
    Bytes.resize(Filled);
    if (Identity != nullptr) {
        *Identity = IdentityOf(Info);
        Identity->Size = static_cast<int64_t>(Filled);
    }
    return Bytes;
}

TFileIdentity WriteFileBytes(const std::string& FileName, std::string_view Bytes)
{
    return WriteFile(FileName, [Bytes](const TByteSink& Write) { Write(Bytes); });
}

TFileIdentity WriteFile(const std::string& FileName, const std::function<void(const TByteSink& Write)>& Produce)
{
    if (FileName.empty())
        throw EFCreateError(FileName, SystemReason(ENOENT));
    const std::string Target = SaveTarget(FileName);
    struct stat Existing {};
    const bool Exists = ::stat(Target.c_str(), &Existing) == 0;
    if (Exists && S_ISDIR(Existing.st_mode))
        throw EFCreateError(FileName, SystemReason(EISDIR));
    if (Exists && !S_ISREG(Existing.st_mode))
        throw EFCreateError(FileName, NotRegular);
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
            throw EFCreateError(FileName, Format("The folder \"%s\" cannot be written (%s); a save writes the new "
                                                 "file there first, then puts it in the old one's place",
                                                 Folder.empty() ? "." : Folder.c_str(), SystemReason(Error).c_str()));
        throw EFCreateError(FileName, SystemReason(Error));
    }

    // A replaced file keeps its permissions, owner and group; a new one has
    // the usual permissions already.
    int Error = 0;
    if (Exists) {
        if (::fchown(File.Fd(), Existing.st_uid, Existing.st_gid) != 0)
            (void)!::fchown(File.Fd(), static_cast<uid_t>(-1), Existing.st_gid); // the group alone may be allowed
        if (::fchmod(File.Fd(), Existing.st_mode & 07777) != 0)
            Error = errno;
    }
    // What is written must stay readable: a file too large to load again is
    // not made.
    size_t Written = 0;
    Produce([&](std::string_view Bytes) {
        Written += Bytes.size();
        if (Written > MaxFileSize)
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
    if (Error == 0 && ::fsync(File.Fd()) != 0)
        Error = errno;
    struct stat NewFile {};
    if (Error == 0 && ::fstat(File.Fd(), &NewFile) != 0)
        Error = errno;
    if (Error == 0)
        Error = File.Name();
    if (Error == 0)
        Error = File.Commit(Target);
    if (Written > MaxFileSize)
        throw EFCreateError(FileName, Format("The patch would hold more than %zu MiB, more than Permuto reads again",
                                             MaxFileSize >> 20));
    if (Error != 0)
        throw EFCreateError(FileName, SystemReason(Error));
    return IdentityOf(NewFile);
}

} // namespace permuto
