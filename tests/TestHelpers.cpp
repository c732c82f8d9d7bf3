#include "TestHelpers.h"

#include <grp.h>
#include <sys/resource.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

// Leaks inside the system libraries that the window pulls in (D-Bus,
// fontconfig, Qt's own caches) are not ours to report.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libdbus-1.so\n"
           "leak:libfontconfig.so\n"
           "leak:libQt6Core.so\n"
           "leak:libQt6Gui.so\n"
           "leak:libQt6Widgets.so\n"
           "leak:libQt6DBus.so\n";
}

namespace permuto::test {

TLineTable MakeLines(const std::vector<std::string>& Lines)
{
    return TLineTable(std::vector<std::string_view>(Lines.begin(), Lines.end()));
}

TPatchText MakeText(const std::vector<std::string>& Lines)
{
    return TPatchText(MakeLines(Lines));
}

std::string JoinLines(const std::vector<std::string>& Lines)
{
    std::string Text;
    for (const std::string& Line : Lines)
        Text.append(Line).append("\r\n");
    return Text;
}

std::vector<std::string> ToVector(const TLineTable& Lines)
{
    std::vector<std::string> Result;
    for (const std::string_view Line : Lines)
        Result.emplace_back(Line);
    return Result;
}

TTempDir::TTempDir()
{
    std::string Pattern = (std::filesystem::temp_directory_path() / "permuto-test-XXXXXX").string();
    if (::mkdtemp(Pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary folder");
    FPath = Pattern;
}

TTempDir::~TTempDir()
{
    std::error_code Ignored;
    std::filesystem::permissions(FPath, std::filesystem::perms::owner_all, Ignored);
    std::filesystem::remove_all(FPath, Ignored);
}

void WriteText(const std::string& FileName, const std::string& Bytes)
{
    std::ofstream Out(FileName, std::ios::binary);
    Out << Bytes;
}

TFileSizeLimit::TFileSizeLimit(long Bytes)
{
    struct rlimit Limit {};
    ::getrlimit(RLIMIT_FSIZE, &Limit);
    FOld = Limit.rlim_cur;
    FOldHandler = ::signal(SIGXFSZ, SIG_IGN); // a failed write, not a killed process
    Limit.rlim_cur = static_cast<rlim_t>(Bytes);
    if (::setrlimit(RLIMIT_FSIZE, &Limit) != 0)
        throw std::runtime_error("cannot limit the file size");
}

TFileSizeLimit::~TFileSizeLimit()
{
    struct rlimit Limit {};
    ::getrlimit(RLIMIT_FSIZE, &Limit);
    Limit.rlim_cur = static_cast<rlim_t>(FOld);
    ::setrlimit(RLIMIT_FSIZE, &Limit);
    ::signal(SIGXFSZ, FOldHandler);
}

int RunUnprivileged(const std::function<int()>& Body)
{
    if (::geteuid() != 0)
        return Body();
    const pid_t Child = ::fork();
    if (Child < 0)
        return -1;
    if (Child == 0) {
        const gid_t Nobody = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setgid(Nobody) != 0 || ::setuid(Nobody) != 0)
            ::_exit(255);
        ::_exit(Body());
    }
    int Status = 0;
    ::waitpid(Child, &Status, 0);
    return WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
}

std::string ReadText(const std::string& FileName)
{
    std::ifstream In(FileName, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
}

} // namespace permuto::test
