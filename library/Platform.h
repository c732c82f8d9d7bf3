#pragma once
// What the program needs from the operating system beyond standard C++, in
// one small interface. PlatformPosix.cpp serves Linux and other POSIX
// systems.
#include <string>

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

} // namespace permuto
