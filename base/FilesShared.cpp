#include "FilesShared.h"

#include <random>

#include "Errors.h"
#include "Files.h"
#include "Memory.h"

namespace permuto {

std::string TooLargeToRead()
{
    return Format("It is larger than %zu MiB, the most Permuto reads", MaxFileSize >> 20);
}

std::string TooLargeToWrite()
{
    return Format("The patch would hold more than %zu MiB, more than Permuto reads again", MaxFileSize >> 20);
}

std::string FolderNotWritable(const std::string& Folder, const std::string& Reason)
{
    return Format("The folder \"%s\" cannot be written (%s); a save writes the new file there first, then puts it "
                  "in the old one's place",
                  Folder.empty() ? "." : Folder.c_str(), Reason.c_str());
}

std::string FreshFileName()
{
    // One generator per thread: saves on two threads never share its state.
    thread_local std::mt19937_64 Random{std::random_device{}()};
    return Format(".permuto-%016llx", static_cast<unsigned long long>(Random()));
}

std::string ReadToEnd(const std::string& FileName, size_t Size, const TReadSome& Read)
{
    // Room for the few lines a reader may add (an area line split in two).
    std::string Bytes;
    Bytes.reserve(Size + 4096);
    AdviseHugePages(Bytes.data(), Bytes.capacity());
    Bytes.resize(Size);
    size_t Filled = 0;
    for (;;) {
        char Probe[4096]; // once the size taken is read: whatever the file grew by since
        const bool Full = Filled == Bytes.size();
        const size_t Got = Read(Full ? Probe : Bytes.data() + Filled, Full ? sizeof Probe : Bytes.size() - Filled);
        if (Got == 0)
            break;
        if (Full) {
            if (Bytes.size() + Got > MaxFileSize)
                throw EFOpenError(FileName, TooLargeToRead());
            Bytes.append(Probe, Got);
        }
        Filled += Got;
    }
    Bytes.resize(Filled);
    return Bytes;
}

TFileIdentity WriteFileBytes(const std::string& FileName, std::string_view Bytes, std::vector<std::string>* Warnings)
{
    return WriteFile(FileName, [Bytes](const TByteSink& Write) { Write(Bytes); }, Warnings);
}

} // namespace permuto
