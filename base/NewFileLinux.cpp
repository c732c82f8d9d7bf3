#include "NewFileLinux.h"

#include <fcntl.h>

#include "FilesShared.h"
#include "SaveCalls.h"

namespace permuto {

namespace {

// A name in Folder that no file has yet: ".permuto-" and random letters.
std::string FreshName(const std::string& Folder)
{
    return Folder + FreshFileName();
}

} // namespace

TNewFile::TNewFile(const std::string& Folder) : FFolder(Folder.empty() ? std::string("./") : Folder)
{
    // Made with the usual permissions (the user's umask applies); a file
    // that replaces another takes that one's permissions later.
    FFd = SaveCalls().Open(FFolder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (FFd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL))
        return;
    for (int Try = 0; Try < 100 && FFd < 0; ++Try) {
        FName = FreshName(FFolder);
        FFd = SaveCalls().Open(FName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (FFd < 0 && errno != EEXIST)
            break;
    }
    if (FFd < 0)
        FName.clear();
}

TNewFile::~TNewFile()
{
    if (FFd >= 0)
        ::close(FFd);
    if (!FName.empty())
        ::unlink(FName.c_str());
}

int TNewFile::Name()
{
    if (!FName.empty())
        return 0;
    const std::string Self = "/proc/self/fd/" + std::to_string(FFd);
    for (int Try = 0; Try < 100; ++Try) {
        const std::string Candidate = FreshName(FFolder);
        if (SaveCalls().Linkat(AT_FDCWD, Self.c_str(), AT_FDCWD, Candidate.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
            (errno == ENOENT && SaveCalls().Linkat(FFd, "", AT_FDCWD, Candidate.c_str(), AT_EMPTY_PATH) == 0)) {
            FName = Candidate;
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

int TNewFile::Commit(const std::string& Target)
{
    const int Error = ::close(FFd) == 0 ? 0 : errno;
    FFd = -1;
    if (Error != 0)
        return Error;
    if (SaveCalls().Rename(FName.c_str(), Target.c_str()) != 0)
        return errno;
    FName.clear();
    return 0;
}

int TNewFile::SyncFolder() const
{
    const TFileDescriptor Folder(::open(FFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (Folder.Get() < 0 || SaveCalls().Fsync(Folder.Get()) == 0)
        return 0;
    const int Error = errno;
    return Error == EINVAL || Error == ENOTSUP ? 0 : Error;
}

} // namespace permuto
