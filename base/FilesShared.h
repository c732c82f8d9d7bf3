#pragma once
// What both systems' file layers share: the words for a refused file or
// save, the name of a save's new file, and reading a file of a known size to
// its end.
#include <cstddef>
#include <functional>
#include <string>

namespace permuto {

inline constexpr const char* NotRegularFile = "It is not a regular file";
inline constexpr const char* NotUtf8Name = "Its name is not valid UTF-8 text";
// "It is larger than 256 MiB, the most Permuto reads".
std::string TooLargeToRead();
// "The patch would hold more than 256 MiB, more than Permuto reads again".
std::string TooLargeToWrite();
// Why a save cannot make its new file in Folder ("" for the current one).
std::string FolderNotWritable(const std::string& Folder, const std::string& Reason);
// ".permuto-" and 16 random hex digits: a name for a save's new file.
std::string FreshFileName();

// Reads what Read gives (up to the count asked for, 0 at the end; it raises
// its own errors) into a buffer made for Size bytes plus the few lines a
// reader may add. A file that grew since its size was taken is read on, as
// long as it stays within MaxFileSize; one that shrank gives what it holds.
using TReadSome = std::function<size_t(char* Into, size_t Most)>;
std::string ReadToEnd(const std::string& FileName, size_t Size, const TReadSome& Read);

} // namespace permuto
