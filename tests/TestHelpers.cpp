#include "TestHelpers.h"

#ifndef _WIN32
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#endif

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
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
    static std::mt19937_64 Random{std::random_device{}()};
    const std::filesystem::path Base = std::filesystem::temp_directory_path();
    for (int Try = 0; Try < 100 && FPath.empty(); ++Try) {
        const std::filesystem::path Candidate = Base / ("permuto-test-" + std::to_string(Random()));
        if (std::filesystem::create_directory(Candidate))
            FPath = Candidate.generic_string();
    }
    if (FPath.empty())
        throw std::runtime_error("cannot create a temporary folder");
}

TTempDir::~TTempDir()
{
    std::error_code Ignored;
    std::filesystem::permissions(FPath, std::filesystem::perms::owner_all, Ignored);
    std::filesystem::remove_all(FPath, Ignored);
}

std::vector<std::string> LibraryEntry(const std::string& TypeAndName, int Height, const std::vector<std::string>& Parameters,
                                      const std::vector<std::string>& Inputs, const std::vector<std::string>& Outputs)
{
    std::vector<std::string> Lines = {TypeAndName, "cycles 1",  "progMem 1", "xmem 0", "ymem 0", "zeropage 0",
                                      "dynmem 0",  "height " + std::to_string(Height), "parameters"};
    Lines.insert(Lines.end(), Parameters.begin(), Parameters.end());
    Lines.push_back("inputs");
    Lines.insert(Lines.end(), Inputs.begin(), Inputs.end());
    Lines.push_back("outputs");
    Lines.insert(Lines.end(), Outputs.begin(), Outputs.end());
    Lines.push_back("----------");
    return Lines;
}

void SetEnvironment(const char* Name, const std::string& Value)
{
#ifdef _WIN32
    ::_putenv_s(Name, Value.c_str()); // an empty value removes it
#else
    if (Value.empty())
        ::unsetenv(Name);
    else
        ::setenv(Name, Value.c_str(), 1);
#endif
}

void IsolateLibraryPlaces(const std::string& UserData)
{
    SetEnvironment("PERMUTO_LIBRARY", "");
    SetEnvironment("XDG_DATA_HOME", UserData);
    SetEnvironment("APPDATA", UserData);
}

void WriteText(const std::string& FileName, const std::string& Bytes)
{
    std::ofstream Out(FileName, std::ios::binary);
    Out << Bytes;
}

#ifndef _WIN32
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
#endif

size_t EntriesIn(const std::string& Folder)
{
    return static_cast<size_t>(
        std::distance(std::filesystem::directory_iterator(Folder), std::filesystem::directory_iterator()));
}

std::string ReadText(const std::string& FileName)
{
    std::ifstream In(FileName, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
}

} // namespace permuto::test
