#include "Platform.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "Errors.h"
#include "Memory.h"

namespace permuto {

std::string RunningExecutable()
{
    std::vector<char> Buffer(PATH_MAX + 1);
    for (;;) {
        const ssize_t Length = ::readlink("/proc/self/exe", Buffer.data(), Buffer.size());
        if (Length < 0)
            return {};
        if (static_cast<size_t>(Length) < Buffer.size())
            return std::string(Buffer.data(), static_cast<size_t>(Length));
        Buffer.resize(Buffer.size() * 2);
    }
}

std::string EnvironmentValue(const char* Name)
{
    const char* Value = std::getenv(Name);
    return Value != nullptr ? Value : "";
}

bool FileNamesAreUtf8()
{
    return false;
}

bool ResourcesBesidePrograms()
{
    return false;
}

char ShownSeparator()
{
    return '/';
}

bool HasDisplay()
{
    return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr ||
           std::getenv("QT_QPA_PLATFORM") != nullptr;
}

std::string UserDataDir()
{
    // A relative XDG_DATA_HOME is ignored, as the base directory rules say.
    std::string Base = EnvironmentValue("XDG_DATA_HOME");
    if (Base.empty() || Base.front() != '/') {
        const std::string Home = EnvironmentValue("HOME");
        if (Home.empty())
            return {};
        Base = Home + (Home.back() == '/' ? "" : "/") + ".local/share";
    }
    return Base + (Base.back() == '/' ? "" : "/") + "permuto/";
}

std::string WhyNotWritable(const std::string& File, long long Size)
{
    struct stat Info {};
    if (::stat(File.c_str(), &Info) == 0 && S_ISDIR(Info.st_mode))
        return SystemReason(EISDIR);
    const size_t Slash = File.rfind('/');
    std::string Probe = (Slash == std::string::npos ? std::string() : File.substr(0, Slash + 1)) + ".permuto-probe-XXXXXX";
    const int Fd = ::mkstemp(Probe.data());
    if (Fd < 0)
        return SystemReason(errno);
    int Error = 0;
    for (long long Left = std::max(Size, 1LL); Left > 0 && Error == 0;) {
        const char Blank[64] = {};
        const ssize_t Written = ::write(Fd, Blank, static_cast<size_t>(std::min<long long>(Left, sizeof Blank)));
        if (Written < 0)
            Error = errno;
        Left -= Written;
    }
    ::close(Fd);
    ::unlink(Probe.c_str());
    if (Error == 0 && ::access(File.c_str(), F_OK) == 0 && ::access(File.c_str(), W_OK) != 0)
        Error = EACCES;
    return Error != 0 ? SystemReason(Error) : std::string();
}

void AdviseHugePages(const void* Data, size_t Bytes)
{
#ifdef MADV_HUGEPAGE
    constexpr uintptr_t Huge = uintptr_t{2} << 20;
    const uintptr_t First = (reinterpret_cast<uintptr_t>(Data) + Huge - 1) & ~(Huge - 1);
    const uintptr_t Last = (reinterpret_cast<uintptr_t>(Data) + Bytes) & ~(Huge - 1);
    if (Last > First)
        ::madvise(reinterpret_cast<void*>(First), Last - First, MADV_HUGEPAGE);
#else
    (void)Data;
    (void)Bytes;
#endif
}

void PrepareProcess()
{
    std::signal(SIGXFSZ, SIG_IGN);
}

std::vector<std::string> ProgramArguments(int Argc, char** Argv)
{
    return std::vector<std::string>(Argv, Argv + Argc);
}

} // namespace permuto
