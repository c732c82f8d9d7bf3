#pragma once
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

} // namespace permuto::test
