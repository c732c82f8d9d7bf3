#pragma once
// What the program needs from the operating system beyond standard C++, in
// one small interface (with Files.h and Memory.h): PlatformPosix.cpp serves
// POSIX systems and FilesLinux.cpp Linux's safe save; PlatformWindows.cpp and
// FilesWindows.cpp serve Windows. Nothing outside them asks which system it
// runs on.
#include <string>
#include <string_view>
#include <vector>

namespace permuto {

// The running executable's full path; empty when the system does not say.
std::string RunningExecutable();

// Why a file of Size bytes cannot be written as File: tries the same steps
// with a new file beside it (made and removed again) and gives the system's
// reason, or an empty text when nothing failed.
std::string WhyNotWritable(const std::string& File, long long Size);

// Process set-up shared by both programs: a write beyond a file-size limit
// fails with its reason (and a save says so) instead of killing the process.
void PrepareProcess();

// The value of the environment variable Name (UTF-8); empty when it is not
// set.
std::string EnvironmentValue(const char* Name);

// The folder of the user's own data for Permuto, with its trailing
// separator: $XDG_DATA_HOME/permuto/ (by default ~/.local/share/permuto/) on
// POSIX systems, %APPDATA%\permuto\ on Windows; empty when the system names
// no such folder.
std::string UserDataDir();

// Whether file names are UTF-8 text whatever the user's locale (Windows, where
// the program widens them for the system), rather than the locale's bytes.
bool FileNamesAreUtf8();

// Whether the module library and the other resources stand beside the
// programs (a Windows installation keeps resources\ there) rather than in
// share/permuto/ above them.
bool ResourcesBesidePrograms();

// The separator the system shows in file names: '\' on Windows, '/' elsewhere.
char ShownSeparator();

// Whether a window can be shown: POSIX systems name their display (DISPLAY,
// WAYLAND_DISPLAY, or a chosen Qt platform such as offscreen); Windows has one.
bool HasDisplay();

// The program's arguments, file names in UTF-8 (on Windows taken from the
// wide command line: the narrow one loses what its code page cannot hold).
std::vector<std::string> ProgramArguments(int Argc, char** Argv);

#ifdef _WIN32
// File names are UTF-8 in the program and wide (UTF-16) for the system,
// never changed on the way: WideName raises std::invalid_argument for bytes
// that are no UTF-8, and NarrowName gives such bytes (a 0xFF in place of each
// character) for a wide name that is no UTF-16 (a lone surrogate), so that
// such a name is refused rather than taken for another.
std::wstring WideName(std::string_view Utf8);
std::string NarrowName(std::wstring_view Wide);
#endif

} // namespace permuto
