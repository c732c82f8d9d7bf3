#pragma once
#include <functional>
#include <string>
#include <vector>

#include "base/LineTable.h"
#include "base/LineWriter.h"
#include "flow/PatchFlow.h"
#include "patch/PatchDefs.h"
#include "patch/PatchText.h"

namespace permuto::test {

#ifndef _WIN32
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
#endif

// A table of lines, and a patch's text, from literal lines.
TLineTable MakeLines(const std::vector<std::string>& Lines);
TPatchText MakeText(const std::vector<std::string>& Lines);
std::vector<std::string> ToVector(const TLineTable& Lines);
// The lines as a file holds them: CR LF after each.
std::string JoinLines(const std::vector<std::string>& Lines);

// What a section writes in the program's own layout (a whole patch: what its
// save writes), as the file's text, and as lines.
template <class TSection>
std::string SavedText(const TSection& Section)
{
    return WrittenText([&Section](TLineWriter& Lines) { Section.SaveToStrings(Lines); });
}
template <class TSection>
std::vector<std::string> SavedLines(const TSection& Section);
template <>
inline std::string SavedText(const TPatchDef& Patch)
{
    return Patch.Text();
}
template <class TSection>
std::vector<std::string> SavedLines(const TSection& Section)
{
    return ToVector(TLineTable(SavedText(Section)));
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

// One module library entry as its file holds it: "1026 Echo", its height,
// then parameter, input and output lines ("0 \"Time\" 0..127 0 \"\"",
// "0 \"In\" audio").
std::vector<std::string> LibraryEntry(const std::string& TypeAndName, int Height, const std::vector<std::string>& Parameters,
                                      const std::vector<std::string>& Inputs, const std::vector<std::string>& Outputs);

// Sets an environment variable for this process and the programs it
// starts; an empty Value removes it.
// Renumber Area as the window's and the tool's commands do: the
// renumbering worked out, then applied; it is given back.
inline TRenumbering ApplyOrder(TPatchDef& Patch, TArea Area, bool FewestLate = false)
{
    TRenumbering Map = SignalFlowOrder(Patch, Area, FewestLate);
    Patch.Renumber(Area, Map);
    return Map;
}
inline TRenumbering ApplyMove(TPatchDef& Patch, TArea Area, int32_t From, int32_t To)
{
    TRenumbering Map = ModuleMove(Patch, Area, From, To);
    Patch.Renumber(Area, Map);
    return Map;
}

void SetEnvironment(const char* Name, const std::string& Value);
// Module libraries are looked for in UserData (as the user's own data
// folder) and not in $PERMUTO_LIBRARY: what the machine running the tests
// holds cannot change what a test sees.
void IsolateLibraryPlaces(const std::string& UserData);

void WriteText(const std::string& FileName, const std::string& Bytes);
std::string ReadText(const std::string& FileName);
// How many files and folders Folder holds.
size_t EntriesIn(const std::string& Folder);

// The message of the TError that Action raises; "no error" when it raises none.
template <class TError, class TAction>
std::string MessageOf(TAction Action)
{
    try {
        Action();
    } catch (const TError& E) {
        return E.what();
    }
    return "no error";
}

// Runs Body as an ordinary user: directly when the tests do not run as root,
// otherwise in a child process that gave up root for the user "nobody" (so
// that permission checks apply in CI, which runs as root). Gives Body's
// result, or -1 when the child could not be run.
#ifndef _WIN32
int RunUnprivileged(const std::function<int()>& Body);
#endif

} // namespace permuto::test
