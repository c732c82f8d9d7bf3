#pragma once
// Descriptors of Linux's safe save: one closed on every path out, and the
// new file of a save (FilesLinux.cpp), which no other part of the program
// uses.
#include <unistd.h>

#include <cerrno>
#include <string>

namespace permuto {

// Closes its descriptor on every path out, errors included.
class TFileDescriptor {
public:
    explicit TFileDescriptor(int Fd) : FFd(Fd) {}
    ~TFileDescriptor()
    {
        if (FFd >= 0)
            ::close(FFd);
    }
    TFileDescriptor(const TFileDescriptor&) = delete;
    TFileDescriptor& operator=(const TFileDescriptor&) = delete;
    int Get() const { return FFd; }
    // Closes now and gives the error of the close (0 when none).
    int Close()
    {
        const int Result = ::close(FFd) == 0 ? 0 : errno;
        FFd = -1;
        return Result;
    }

private:
    int FFd;
};

// The new file of a save. It is made without a name where the file system
// allows it, so that a save cut short at any moment leaves nothing behind,
// and gets a name of its own (unique, so that two saves of one patch never
// touch each other's file) only once it is complete. Elsewhere it is made
// under such a name from the start. The calls it makes are SaveCalls().
class TNewFile {
public:
    // A new file in Folder (the current folder when empty); Fd() is below 0
    // and errno says why when none could be made.
    explicit TNewFile(const std::string& Folder);
    ~TNewFile();
    TNewFile(const TNewFile&) = delete;
    TNewFile& operator=(const TNewFile&) = delete;

    int Fd() const { return FFd; }
    // Gives an unnamed file its name (before it is closed); 0 or the error.
    int Name();
    // Closes the file, gives it a name if it has none, and renames it to
    // Target; 0 or the error.
    int Commit(const std::string& Target);
    // Puts the folder on the disk, and with it the new name the rename gave:
    // until then a stop of the system could bring back the old file, or no
    // file at all. 0, or the error (none from a file system that syncs no
    // folders).
    int SyncFolder() const;

private:
    std::string FFolder;
    std::string FName;
    int FFd = -1;
};

} // namespace permuto
