#include "StringList.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Errors.h"

namespace permuto {

const std::string& TStringList::operator[](int32_t Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError(Index);
    return FLines[static_cast<size_t>(Index)];
}

std::string& TStringList::operator[](int32_t Index)
{
    if (Index < 0 || Index >= Count())
        throw EListError(Index);
    return FLines[static_cast<size_t>(Index)];
}

void TStringList::Insert(int32_t Index, std::string Line)
{
    if (Index < 0 || Index > Count())
        throw EListError(Index);
    FLines.insert(FLines.begin() + Index, std::move(Line));
}

void TStringList::SetText(std::string_view Bytes)
{
    FLines.clear();
    const size_t Nul = Bytes.find('\0');
    if (Nul != std::string_view::npos)
        Bytes = Bytes.substr(0, Nul);
    size_t Start = 0;
    const size_t N = Bytes.size();
    while (Start < N) {
        size_t End = Start;
        while (End < N && Bytes[End] != '\n' && Bytes[End] != '\r')
            ++End;
        if (End - Start > static_cast<size_t>(INT32_MAX) - 2)
            throw EIntOverflow(); // positions in a line are 32-bit
        FLines.emplace_back(Bytes.substr(Start, End - Start));
        if (End < N && Bytes[End] == '\r' && End + 1 < N && Bytes[End + 1] == '\n')
            ++End;
        Start = End + 1;
    }
    if (FLines.size() > static_cast<size_t>(INT32_MAX))
        throw EIntOverflow();
}

std::string TStringList::Text() const
{
    size_t Size = 0;
    for (const std::string& Line : FLines)
        Size += Line.size() + 2;
    std::string Result;
    Result.reserve(Size);
    for (const std::string& Line : FLines) {
        Result += Line;
        Result += "\r\n";
    }
    return Result;
}

void TStringList::LoadFromFile(const std::string& FileName)
{
    SetText(ReadFileBytes(FileName));
}

void TStringList::SaveToFile(const std::string& FileName) const
{
    WriteFileBytes(FileName, Text());
}

std::string ReadFileBytes(const std::string& FileName)
{
    const int Fd = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (Fd < 0)
        throw EFOpenError(FileName, SystemReason(errno));
    struct stat Info {};
    if (::fstat(Fd, &Info) == 0 && S_ISDIR(Info.st_mode)) {
        ::close(Fd);
        throw EFOpenError(FileName, SystemReason(EISDIR));
    }
    std::string Bytes;
    if (Info.st_size > 0)
        Bytes.reserve(static_cast<size_t>(Info.st_size));
    char Buffer[65536];
    for (;;) {
        const ssize_t Got = ::read(Fd, Buffer, sizeof Buffer);
        if (Got == 0)
            break;
        if (Got < 0) {
            if (errno == EINTR)
                continue;
            const int Error = errno;
            ::close(Fd);
            throw EFOpenError(FileName, SystemReason(Error));
        }
        Bytes.append(Buffer, static_cast<size_t>(Got));
    }
    ::close(Fd);
    return Bytes;
}

namespace {

// The file a save really replaces: the target of a symbolic link, so that a
// link keeps pointing at the saved patch.
std::string ResolvedTarget(const std::string& FileName)
{
    struct stat Info {};
    if (::lstat(FileName.c_str(), &Info) == 0 && S_ISLNK(Info.st_mode)) {
        char* Real = ::realpath(FileName.c_str(), nullptr);
        if (Real != nullptr) {
            std::string Result(Real);
            std::free(Real);
            return Result;
        }
    }
    return FileName;
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

} // namespace

void WriteFileBytes(const std::string& FileName, std::string_view Bytes)
{
    if (FileName.empty())
        throw EFCreateError(FileName, SystemReason(ENOENT));
    const std::string Target = ResolvedTarget(FileName);
    struct stat Existing {};
    const bool Exists = ::stat(Target.c_str(), &Existing) == 0;
    if (Exists && S_ISDIR(Existing.st_mode))
        throw EFCreateError(FileName, SystemReason(EISDIR));

    const size_t Slash = Target.rfind('/');
    const std::string Folder = Slash == std::string::npos ? std::string() : Target.substr(0, Slash + 1);
    const std::string Base = Slash == std::string::npos ? Target : Target.substr(Slash + 1);
    std::string Temp = Folder + "." + Base + ".permuto-XXXXXX";
    const int Fd = ::mkstemp(Temp.data());
    if (Fd < 0)
        throw EFCreateError(FileName, SystemReason(errno));

    // A replaced file keeps its permissions; a new one gets the usual ones.
    mode_t Mode = Existing.st_mode & 07777;
    if (!Exists) {
        const mode_t Mask = ::umask(0);
        ::umask(Mask);
        Mode = 0666 & ~Mask;
    }
    int Error = 0;
    if (::fchmod(Fd, Mode) != 0 || !WriteAll(Fd, Bytes) || ::fsync(Fd) != 0)
        Error = errno;
    if (::close(Fd) != 0 && Error == 0)
        Error = errno;
    if (Error == 0 && ::rename(Temp.c_str(), Target.c_str()) != 0)
        Error = errno;
    if (Error != 0) {
        ::unlink(Temp.c_str());
        throw EFCreateError(FileName, SystemReason(Error));
    }
}

} // namespace permuto
