#include <windows.h>
#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <stdexcept>

#include "Errors.h"
#include "FilesShared.h"
#include "Memory.h"
#include "Platform.h"

namespace permuto {

std::wstring WideName(std::string_view Utf8)
{
    if (Utf8.empty())
        return {};
    const int Size = static_cast<int>(Utf8.size());
    const int Length = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, Utf8.data(), Size, nullptr, 0);
    if (Length == 0)
        throw std::invalid_argument("not UTF-8");
    std::wstring Wide(static_cast<size_t>(Length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, Utf8.data(), Size, Wide.data(), Length);
    return Wide;
}

std::string NarrowName(std::wstring_view Wide)
{
    if (Wide.empty())
        return {};
    const int Size = static_cast<int>(Wide.size());
    const int Length = ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, Wide.data(), Size, nullptr, 0, nullptr, nullptr);
    if (Length > 0) {
        std::string Utf8(static_cast<size_t>(Length), '\0');
        ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, Wide.data(), Size, Utf8.data(), Length, nullptr, nullptr);
        return Utf8;
    }
    // No UTF-16: each character on its own, a lone surrogate as 0xFF.
    std::string Marked;
    for (const wchar_t C : Wide)
        Marked += C >= 0xD800 && C <= 0xDFFF ? std::string("\xFF") : NarrowName(std::wstring_view(&C, 1));
    return Marked;
}

std::string RunningExecutable()
{
    std::wstring Path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD Length = ::GetModuleFileNameW(nullptr, Path.data(), static_cast<DWORD>(Path.size()));
        if (Length == 0)
            return {};
        if (Length < Path.size()) {
            Path.resize(Length);
            break;
        }
        Path.resize(Path.size() * 2);
    }
    // The program splits paths at "/", which Windows takes as well.
    std::string Name = NarrowName(Path);
    for (char& C : Name)
        if (C == '\\')
            C = '/';
    return Name;
}

std::string EnvironmentValue(const char* Name)
{
    const wchar_t* Value = ::_wgetenv(WideName(Name).c_str());
    return Value != nullptr ? NarrowName(Value) : "";
}

bool FileNamesAreUtf8()
{
    return true;
}

bool ResourcesBesidePrograms()
{
    return true;
}

char ShownSeparator()
{
    return '\\';
}

bool HasDisplay()
{
    return true;
}

std::string UserDataDir()
{
    std::string Base = EnvironmentValue("APPDATA");
    if (Base.empty())
        return {};
    if (Base.back() != '\\' && Base.back() != '/')
        Base += '\\';
    return Base + "permuto\\";
}

std::string WhyNotWritable(const std::string& File, long long Size)
{
    std::wstring Name;
    try {
        Name = WideName(File);
    } catch (const std::invalid_argument&) {
        return NotUtf8Name;
    }
    const DWORD Attributes = ::GetFileAttributesW(Name.c_str());
    if (Attributes != INVALID_FILE_ATTRIBUTES && (Attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return SystemReason(EISDIR);
    if (Attributes != INVALID_FILE_ATTRIBUTES && (Attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return SystemReason(EACCES);
    const size_t Slash = File.find_last_of("/\\");
    const std::string Probe = (Slash == std::string::npos ? std::string() : File.substr(0, Slash + 1)) +
                              Format(".permuto-probe-%08lx", static_cast<unsigned long>(std::random_device{}()));
    const HANDLE Handle = ::CreateFileW(WideName(Probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (Handle == INVALID_HANDLE_VALUE)
        return SystemReason(EACCES);
    std::string Blank(static_cast<size_t>(Size > 0 ? Size : 1), ' ');
    DWORD Written = 0;
    const bool Ok = ::WriteFile(Handle, Blank.data(), static_cast<DWORD>(Blank.size()), &Written, nullptr) != 0;
    ::CloseHandle(Handle);
    return Ok ? std::string() : SystemReason(ENOSPC);
}

void AdviseHugePages(const void*, size_t)
{
}

void PrepareProcess()
{
    // Output is bytes: a patch written to standard output keeps its CR LF,
    // and lines end as they do elsewhere.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

std::vector<std::string> ProgramArguments(int Argc, char** Argv)
{
    int Count = 0;
    wchar_t** Wide = ::CommandLineToArgvW(::GetCommandLineW(), &Count);
    if (Wide == nullptr)
        return std::vector<std::string>(Argv, Argv + Argc);
    std::vector<std::string> Arguments;
    for (int I = 0; I < Count; ++I)
        Arguments.push_back(NarrowName(Wide[I]));
    ::LocalFree(Wide);
    return Arguments;
}

} // namespace permuto
