#include "ProgramPaths.h"

#include <algorithm>


#include "Files.h"
#include "Platform.h"
#include "Scanner.h"

namespace permuto {

namespace {

TExePaths GPaths;
std::string GExePath;

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

std::string DataDirFor(const std::string& Folder, bool LibraryBeside)
{
    if (ResourcesBesidePrograms() || LibraryBeside || Folder.empty())
        return Folder;
    // The folder above (Folder ends in "/"), by its name: paths are UTF-8
    // text here, which the standard library would take for the system's
    // code page on Windows.
    const size_t Cut = Folder.rfind('/', Folder.size() - 2);
    return (Cut == std::string::npos ? std::string() : Folder.substr(0, Cut + 1)) + "share/permuto/";
}

std::string DataDir()
{
    return DataDirFor(ExeDir(), FileIdentityOf(ExeDir() + "resources/patch303.txt").Exists());
}

std::string LibraryFileName()
{
    std::string Name = DataDir() + "resources/patch303.txt";
    // Named in messages as the system names files (on Windows both
    // separators open it).
    std::replace(Name.begin(), Name.end(), '/', ShownSeparator());
    return Name;
}

} // namespace permuto
