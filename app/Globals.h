#pragma once
// Where the program lives and where its settings go, computed once at
// start-up, plus the integer test of the window's index fields. No Qt here.
#include <cstdint>
#include <string>

namespace permuto {

struct TExePaths {
    std::string ExeDir;      // folder of the executable, with its trailing separator
    std::string IniFileName; // ExeDir + base name + ".ini"
};

// Splits an executable's full path at its last "/" into its folder and the
// settings file beside it: "a.b.exe" gives "a.b.ini", a name without a dot
// gets ".ini" appended. ("\" and ":" are ordinary characters of a name here.)
TExePaths ComputeExePaths(const std::string& FullPath);

// Computes the paths from the running executable (/proc/self/exe).
void InitGlobals();
// Computes the paths as if the executable were ExePath (tests, tools).
void InitGlobals(const std::string& ExePath);

const std::string& ExeDir();
const std::string& IniFileName();
// The running executable's full path, as InitGlobals saw it.
const std::string& ExePath();

// True when the whole text is a 32-bit integer by the scanner's conversion;
// the value goes to Value when it is given.
bool IsInteger(const std::string& Text, int32_t* Value = nullptr);

} // namespace permuto
