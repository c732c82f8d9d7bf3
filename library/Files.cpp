#include "Files.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "Errors.h"

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

std::string TooLarge(unsigned long long Size)
{
    return Format("It holds %llu MiB; files above %zu MiB are refused", Size >> 20, MaxFileSize >> 20);
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
// read-only is meant to stay as it is.
bool MayReplace(const std::string& Target, const struct stat& Info)
{
    return (Info.st_mode & 0222) != 0 && ::faccessat(AT_FDCWD, Target.c_str(), W_OK, AT_EACCESS) == 0;
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

// Creates the temporary file of a save. A file of that name can only be left
// over from a save that was cut short; it is removed (a link put there is
// removed itself, never followed) and the name used again.
int CreateTemporary(const std::string& Temp)
{
    const int Flags = O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW;
    int Fd = ::open(Temp.c_str(), Flags, 0600);
    if (Fd < 0 && errno == EEXIST && ::unlink(Temp.c_str()) == 0)
        Fd = ::open(Temp.c_str(), Flags, 0600);
    return Fd;
}

} // namespace

std::string ReadFileBytes(const std::string& FileName)
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
        throw EFOpenError(FileName, TooLarge(static_cast<unsigned long long>(Info.st_size)));

    // Room for the few lines a reader may add (an area line split in two).
    std::string Bytes;
    Bytes.reserve(static_cast<size_t>(Info.st_size) + 4096);
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
                throw EFOpenError(FileName, TooLarge(Bytes.size() + static_cast<size_t>(Got)));
            Bytes.append(Probe, static_cast<size_t>(Got));
        }
        Filled += static_cast<size_t>(Got);
    }
    Bytes.resize(Filled);
    return Bytes;
}

void WriteFileBytes(const std::string& FileName, std::string_view Bytes)
{
    WriteFile(FileName, [Bytes](const TByteSink& Write) { Write(Bytes); });
}

void WriteFile(const std::string& FileName, const std::function<void(const TByteSink& Write)>& Produce)
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
    if (Exists && !MayReplace(Target, Existing))
        throw EFCreateError(FileName, SystemReason(EACCES));

    const std::string Folder = FolderOf(Target);
    const std::string Temp = Folder + "." + Target.substr(Folder.size()) + ".permuto-save";
    TFileDescriptor File(CreateTemporary(Temp));
    if (File.Get() < 0) {
        const int Error = errno;
        if (Error == EACCES || Error == EPERM || Error == EROFS)
            throw EFCreateError(FileName, Format("The folder \"%s\" cannot be written (%s); a save writes the new "
                                                 "file there first, then puts it in the old one's place",
                                                 Folder.empty() ? "." : Folder.c_str(), SystemReason(Error).c_str()));
        throw EFCreateError(FileName, SystemReason(Error));
    }

    // A replaced file keeps its permissions, owner and group; a new one gets
    // the usual permissions.
    mode_t Mode = Existing.st_mode & 07777;
    if (!Exists) {
        const mode_t Mask = ::umask(0);
        ::umask(Mask);
        Mode = 0666 & ~Mask;
    } else if (::fchown(File.Get(), Existing.st_uid, Existing.st_gid) != 0) {
        (void)!::fchown(File.Get(), static_cast<uid_t>(-1), Existing.st_gid); // the group alone may be allowed
    }
    int Error = ::fchmod(File.Get(), Mode) == 0 ? 0 : errno;
    try {
        Produce([&](std::string_view Bytes) {
            if (Error == 0 && !WriteAll(File.Get(), Bytes))
                Error = errno;
        });
    } catch (...) {
        File.Close();
        ::unlink(Temp.c_str());
        throw;
    }
    if (Error == 0 && ::fsync(File.Get()) != 0)
        Error = errno;
    const int CloseError = File.Close();
    if (Error == 0)
        Error = CloseError;
    if (Error == 0 && ::rename(Temp.c_str(), Target.c_str()) != 0)
        Error = errno;
    if (Error != 0) {
        ::unlink(Temp.c_str());
        throw EFCreateError(FileName, SystemReason(Error));
    }
}

} // namespace permuto
