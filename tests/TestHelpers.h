#pragma once
#include <functional>
#include <string>
#include <vector>

#include "library/StringList.h"

namespace permuto::test {

// A list of lines from literal lines.
TStringList MakeLines(const std::vector<std::string>& Lines);
std::vector<std::string> ToVector(const TStringList& Lines);

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
