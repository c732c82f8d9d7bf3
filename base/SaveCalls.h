#pragma once
// The system calls a save makes on Linux, each one replaceable, so
// that tests can watch their order and make any of them fail.
#include <sys/types.h>

#include <cstddef>

namespace permuto {

struct TSaveCalls {
    // May the user write the file that is to be replaced?
    int (*Faccessat)(int Folder, const char* Name, int Mode, int Flags);
    // Makes the new file.
    int (*Open)(const char* Name, int Flags, mode_t Mode);
    int (*Fsync)(int Fd);
    // Gives the unnamed new file its name.
    int (*Linkat)(int FromFolder, const char* From, int ToFolder, const char* To, int Flags);
    int (*Rename)(const char* From, const char* To);
    int (*Fsetxattr)(int Fd, const char* Name, const void* Value, size_t Size, int Flags);
};

// The calls saves use now; tests change them and put the defaults back.
TSaveCalls& SaveCalls();
TSaveCalls DefaultSaveCalls();

} // namespace permuto
