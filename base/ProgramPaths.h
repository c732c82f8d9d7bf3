#pragma once
// Where the program lives, where its settings go and where its shipped data
// is, computed once at start-up; and the integer tests of index texts.
// Shared by the window and permuto-cli.
#include <cstdint>
#include <string>
#include <string_view>

namespace permuto {

struct TExePaths {
    std::string ExeDir;      // folder of the executable, with its trailing separator
    std::string IniFileName; // ExeDir + base name + ".ini"
};

// Splits an executable's full path at its last "/" into its folder and the
// settings file beside it: "a.b.exe" gives "a.b.ini", a name without a dot
// gets ".ini" appended. ("\" and ":" are ordinary characters of a name here.)
TExePaths ComputeExePaths(const std::string& FullPath);

// Computes the paths from the running executable.
void InitGlobals();
// Computes the paths as if the executable were ExePath (tests, tools).
void InitGlobals(const std::string& ExePath);

const std::string& ExeDir();
const std::string& IniFileName();
// The running executable's full path, as InitGlobals saw it.
const std::string& ExePath();

// The folder of the program's data (module library, licence, examples), with
// its trailing separator: the program's own folder when it holds
// resources/patch303.txt (a build tree, an unpacked copy), otherwise
// <prefix>/share/permuto/ beside the <prefix>/bin/ the program was installed
// in; on Windows always the program's own folder (an installation keeps
// resources\ beside the programs).
std::string DataDir();
// Where DataDir looks beside a program in ExeDir.
std::string DataDirFor(const std::string& ExeDir, bool LibraryBeside);

// The module library shipped with the program: "resources/patch303.txt" in
// DataDir, with backslashes on Windows (LibraryPlaces.h says which library
// is read).
std::string LibraryFileName();

} // namespace permuto
