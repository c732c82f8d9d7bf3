// Files on Windows: reading regular files only, and the safe save. Names are
// UTF-8 and go to the system as wide names.
#include <windows.h>

#include <cerrno>
#include <cwctype>
#include <stdexcept>

#include "Errors.h"
#include "FilesShared.h"
#include "Files.h"
#include "Platform.h"

namespace permuto {

namespace {

// The reason for a failed call in the words the POSIX side uses where there
// is such a word, otherwise the system's own.
std::string Reason(DWORD Error)
{
    switch (Error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return SystemReason(ENOENT);
    case ERROR_ACCESS_DENIED:
        return SystemReason(EACCES);
    case ERROR_WRITE_PROTECT:
        return "Read-only file system";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return SystemReason(ENOSPC);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
        return "Another program holds the file open";
    default:
        break;
    }
    wchar_t* Text = nullptr;
    const DWORD Length = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                              FORMAT_MESSAGE_IGNORE_INSERTS,
                                          nullptr, Error, 0, reinterpret_cast<wchar_t*>(&Text), 0, nullptr);
    std::wstring Message(Text != nullptr ? Text : L"", Length);
    ::LocalFree(Text);
    while (!Message.empty() && (Message.back() == L'\r' || Message.back() == L'\n' || Message.back() == L'.'))
        Message.pop_back();
    return Message.empty() ? Format("System error %lu", static_cast<unsigned long>(Error)) : NarrowName(Message);
}

// Closes its handle on every path out.
class THandle {
public:
    explicit THandle(HANDLE Handle) : FHandle(Handle) {}
    ~THandle()
    {
        if (Valid())
            ::CloseHandle(FHandle);
    }
    THandle(const THandle&) = delete;
    THandle& operator=(const THandle&) = delete;
    HANDLE Get() const { return FHandle; }
    bool Valid() const { return FHandle != INVALID_HANDLE_VALUE; }
    // Closes now; false when the close failed.
    bool Close()
    {
        const bool Closed = ::CloseHandle(FHandle) != 0;
        FHandle = INVALID_HANDLE_VALUE;
        return Closed;
    }

private:
    HANDLE FHandle;
};

TFileIdentity IdentityOf(const BY_HANDLE_FILE_INFORMATION& Info)
{
    // The time in 100 ns steps since 1601, as nanoseconds since 1970.
    const uint64_t Since1601 = (uint64_t{Info.ftLastWriteTime.dwHighDateTime} << 32) | Info.ftLastWriteTime.dwLowDateTime;
    const int64_t Since1970 = static_cast<int64_t>(Since1601 - 116444736000000000ull);
    return {Info.dwVolumeSerialNumber, (uint64_t{Info.nFileIndexHigh} << 32) | Info.nFileIndexLow,
            static_cast<int64_t>((uint64_t{Info.nFileSizeHigh} << 32) | Info.nFileSizeLow), Since1970 * 100};
}

// Opens a file or folder for its attributes (Access 0) or its content too.
HANDLE OpenExisting(const std::wstring& Name, DWORD Access = GENERIC_READ)
{
    return ::CreateFileW(Name.c_str(), Access == 0 ? FILE_READ_ATTRIBUTES : Access,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// Whether Name names a device: "NUL", "CON", "COM1" (in any folder, with any
// extension on older systems), "\\.\..." and "\\?\GLOBALROOT\..." are all
// resolved by the system into its device namespace. Such a name is never
// opened: opening a pipe already connects to its server.
bool IsDevice(const std::wstring& Name)
{
    const DWORD Needed = ::GetFullPathNameW(Name.c_str(), 0, nullptr, nullptr);
    if (Needed == 0)
        return false;
    std::wstring Full(Needed, L'\0');
    const DWORD Length = ::GetFullPathNameW(Name.c_str(), Needed, Full.data(), nullptr);
    Full.resize(Length < Needed ? Length : 0);
    for (wchar_t& C : Full)
        C = C == L'/' ? L'\\' : static_cast<wchar_t>(std::towupper(C));
    return Full.starts_with(L"\\\\.\\") || Full.starts_with(L"\\\\?\\GLOBALROOT");
}

// The wide name for the system; a name that is no UTF-8 is refused as TError.
template <class TError>
std::wstring SystemName(const std::string& FileName)
{
    try {
        return WideName(FileName);
    } catch (const std::invalid_argument&) {
        throw TError(FileName, NotUtf8Name);
    }
}

std::wstring FolderOf(const std::wstring& Path)
{
    const size_t Cut = Path.find_last_of(L"/\\:");
    return Cut == std::wstring::npos ? std::wstring() : Path.substr(0, Cut + 1);
}

} // namespace

TFileIdentity FileIdentityOf(const std::string& Name)
{
    std::wstring Wide;
    try {
        Wide = WideName(Name);
    } catch (const std::invalid_argument&) {
        return {};
    }
    THandle File(OpenExisting(Wide, 0));
    BY_HANDLE_FILE_INFORMATION Info{};
    if (!File.Valid() || !::GetFileInformationByHandle(File.Get(), &Info))
        return {};
    return IdentityOf(Info);
}

std::string ReadFileBytes(const std::string& FileName, TFileIdentity* Identity)
{
    const std::wstring Name = SystemName<EFOpenError>(FileName);
    if (IsDevice(Name))
        throw EFOpenError(FileName, NotRegularFile);
    THandle File(OpenExisting(Name));
    if (!File.Valid())
        throw EFOpenError(FileName, Reason(::GetLastError()));
    // Devices (NUL, CON, a port) and pipes are never read from.
    if (::GetFileType(File.Get()) != FILE_TYPE_DISK)
        throw EFOpenError(FileName, NotRegularFile);
    BY_HANDLE_FILE_INFORMATION Info{};
    if (!::GetFileInformationByHandle(File.Get(), &Info))
        throw EFOpenError(FileName, Reason(::GetLastError()));
    if ((Info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        throw EFOpenError(FileName, SystemReason(EISDIR));
    const uint64_t Size = (uint64_t{Info.nFileSizeHigh} << 32) | Info.nFileSizeLow;
    if (Size > MaxFileSize)
        throw EFOpenError(FileName, TooLargeToRead());
    std::string Bytes = ReadToEnd(FileName, static_cast<size_t>(Size), [&](char* Into, size_t Most) {
        DWORD Got = 0;
        if (!::ReadFile(File.Get(), Into, static_cast<DWORD>(std::min<size_t>(Most, 1 << 30)), &Got, nullptr))
            throw EFOpenError(FileName, Reason(::GetLastError()));
        return static_cast<size_t>(Got);
    });
    if (Identity != nullptr) {
        *Identity = IdentityOf(Info);
        Identity->Size = static_cast<int64_t>(Bytes.size());
    }
    return Bytes;
}

TFileIdentity WriteFile(const std::string& FileName, const std::function<void(const TByteSink& Write)>& Produce,
                        std::vector<std::string>* /*Warnings: a replaced file keeps its access lists and streams*/,
                        std::size_t Limit)
{
    if (FileName.empty())
        throw EFCreateError(FileName, SystemReason(ENOENT));
    const std::wstring Target = SystemName<EFCreateError>(FileName);
    if (IsDevice(Target))
        throw EFCreateError(FileName, NotRegularFile);
    bool Exists = false;
    {
        THandle Old(OpenExisting(Target, 0));
        if (Old.Valid()) {
            Exists = true;
            BY_HANDLE_FILE_INFORMATION Info{};
            if (::GetFileType(Old.Get()) != FILE_TYPE_DISK || !::GetFileInformationByHandle(Old.Get(), &Info))
                throw EFCreateError(FileName, NotRegularFile);
            if ((Info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
                throw EFCreateError(FileName, SystemReason(EISDIR));
            // A patch made read-only is meant to stay as it is.
            if ((Info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0)
                throw EFCreateError(FileName, SystemReason(EACCES));
        } else if (const DWORD Error = ::GetLastError(); Error != ERROR_FILE_NOT_FOUND) {
            throw EFCreateError(FileName, Reason(Error));
        }
    }

    // The new file beside the old one, under a name of its own; it is
    // removed again on every way out but the one where it takes the old
    // file's place.
    const std::wstring Folder = FolderOf(Target);
    std::wstring Temporary;
    HANDLE Created = INVALID_HANDLE_VALUE;
    for (int Try = 0; Try < 100 && Created == INVALID_HANDLE_VALUE; ++Try) {
        Temporary = Folder + WideName(FreshFileName());
        Created = ::CreateFileW(Temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (Created == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    if (Created == INVALID_HANDLE_VALUE) {
        const DWORD Error = ::GetLastError();
        if (Error == ERROR_ACCESS_DENIED || Error == ERROR_WRITE_PROTECT)
            throw EFCreateError(FileName, FolderNotWritable(NarrowName(Folder), Reason(Error)));
        throw EFCreateError(FileName, Reason(Error));
    }
    struct TRemove {
        const std::wstring& Name;
        bool Keep = false;
        ~TRemove()
        {
            if (!Keep)
                ::DeleteFileW(Name.c_str());
        }
    } Remove{Temporary};
    THandle File(Created);

    DWORD Error = 0;
    size_t Written = 0;
    Produce([&](std::string_view Bytes) {
        Written += Bytes.size();
        while (Error == 0 && Written <= Limit && !Bytes.empty()) {
            DWORD Put = 0;
            const DWORD Piece = static_cast<DWORD>(std::min<size_t>(Bytes.size(), 1 << 30));
            if (!::WriteFile(File.Get(), Bytes.data(), Piece, &Put, nullptr))
                Error = ::GetLastError();
            Bytes.remove_prefix(Put);
        }
    });
    if (Written > Limit)
        throw EFCreateError(FileName, TooLargeToWrite());
    if (Error == 0 && !::FlushFileBuffers(File.Get()))
        Error = ::GetLastError();
    if (!File.Close() && Error == 0)
        Error = ::GetLastError();
    if (Error != 0)
        throw EFCreateError(FileName, Reason(Error));
    // Where there is no old file, the new one simply takes the name.
    if (!Exists) {
        if (!::MoveFileExW(Temporary.c_str(), Target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            throw EFCreateError(FileName, Reason(::GetLastError()));
        Remove.Keep = true;
        return FileIdentityOf(FileName);
    }
    // The replaced file's access lists, attributes and streams go to the new
    // one. The old file moves to a backup name as the new one takes its
    // place: without one, a replacement cut short at its last step would
    // leave neither file under the name. With one, the old file keeps its
    // name or is put back under it.
    const std::wstring Backup = Temporary + L".old";
    if (!::ReplaceFileW(Target.c_str(), Temporary.c_str(), Backup.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                        nullptr)) {
        const DWORD Failed = ::GetLastError();
        if (Failed == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 && !::MoveFileExW(Backup.c_str(), Target.c_str(), 0)) {
            Remove.Keep = true; // nothing is thrown away: both are named
            throw EFCreateError(FileName, Format("The old patch could not be put back under its name: it is \"%s\", "
                                                 "the new one \"%s\"",
                                                 NarrowName(Backup).c_str(), NarrowName(Temporary).c_str()));
        }
        throw EFCreateError(FileName, Reason(Failed));
    }
    Remove.Keep = true;
    ::DeleteFileW(Backup.c_str());
    return FileIdentityOf(FileName);
}

} // namespace permuto
