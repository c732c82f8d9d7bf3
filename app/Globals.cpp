#include "Globals.h"

#include <climits>
#include <unistd.h>

#include <vector>

#include "library/Scanner.h"

namespace permuto {

namespace {

TExePaths GPaths;
std::string GExePath;

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

} // namespace

TExePaths ComputeExePaths(const std::string& FullPath)
{
    const size_t Cut = FullPath.rfind('/');
    const size_t DirLength = Cut == std::string::npos ? 0 : Cut + 1;
    TExePaths Paths;
    Paths.ExeDir = FullPath.substr(0, DirLength);
    const std::string FileName = FullPath.substr(DirLength);
    const size_t Dot = FileName.rfind('.');
    const std::string Base = Dot == std::string::npos ? FileName : FileName.substr(0, Dot);
    Paths.IniFileName = Paths.ExeDir + Base + ".ini";
    return Paths;
}

void InitGlobals()
{
    InitGlobals(RunningExecutable());
}

void InitGlobals(const std::string& ExePath)
{
    GExePath = ExePath;
    GPaths = ComputeExePaths(ExePath);
}

const std::string& ExeDir()
{
    return GPaths.ExeDir;
}

const std::string& IniFileName()
{
    return GPaths.IniFileName;
}

const std::string& ExePath()
{
    return GExePath;
}

bool IsInteger(const std::string& Text, int32_t* Value)
{
    int32_t Converted = 0;
    const bool Ok = ConvertInteger(Text, Converted);
    if (Ok && Value != nullptr)
        *Value = Converted;
    return Ok;
}

} // namespace permuto
