#pragma once
#include <functional>
#include <string>
#include <vector>

#include "library/StringList.h"

namespace permuto::test {

// Lets files grow to Bytes at most while it lives (root included), so that a
// write fails halfway as on a full disk.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(long Bytes);
    ~TFileSizeLimit();
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
    unsigned long FOld;
    void (*FOldHandler)(int);
};

// A list of lines from literal lines.
TStringList MakeLines(const std::vector<std::string>& Lines);
std::vector<std::string> ToVector(const TStringList& Lines);

// What a section or a whole patch writes: as lines, and as the file's text.
template <class TSection>
std::vector<std::string> SavedLines(const TSection& Section)
{
    TStringList Lines;
    Section.SaveToStrings(Lines);
    return ToVector(Lines);
}
template <class TSection>
std::string SavedText(const TSection& Section)
{
    TStringList Lines;
    Section.SaveToStrings(Lines);
    return Lines.Text();
}

// A fresh folder below the system's temporary folder, removed on destruction.
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    const std::string& Path() const { return FPath; }
    std::string File(const std::string& Name) const { return FPath + "/" + Name; }

private:
    std::string FPath;
};

void WriteText(const std::string& FileName, const std::string& Bytes);
std::string ReadText(const std::string& FileName);

// Runs Body as an ordinary user: directly when the tests do not run as root,
// otherwise in a child process that gave up root for the user "nobody" (so
// that permission checks apply in CI, which runs as root). Gives Body's
// result, or -1 when the child could not be run.
int RunUnprivileged(const std::function<int()>& Body);

} // namespace permuto::test
