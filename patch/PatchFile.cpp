#include "PatchFile.h"

namespace permuto {

TPatchDef ReadPatchFile(const std::string& FileName, bool CompareWithSave)
{
    TPatchDef Patch;
    try {
        Patch.LoadFromFile(FileName, CompareWithSave);
    } catch (const EListError&) {
        // The header reader asks for the line after the version line, which
        // a file without one does not have.
        if (FileIdentityOf(FileName).Size == 0)
            throw EPermutoError("\"" + EscapedName(FileName) + "\" is empty");
        throw EPermutoError("\"" + EscapedName(FileName) + "\" is no patch: it has no version line with a line after it");
    }
    if (!Patch.LooksLikePatch())
        throw EPermutoError("\"" + EscapedName(FileName) + "\" does not look like a patch: it holds no patch section");
    return Patch;
}

std::string UnsavedLinesMessage(const std::string& FileName, const TUnsavedLines& Unsaved)
{
    if (Unsaved.Count == 0)
        return {};
    const std::string Name = EscapedName(FileName), First = EscapedName(Unsaved.FirstText);
    if (Unsaved.Count == 1)
        return Format("1 line of \"%s\" is not written back as it was read: line %d, \"%s\"", Name.c_str(),
                      Unsaved.First + 1, First.c_str());
    return Format("%lld lines of \"%s\" are not written back as they were read; the first is line %d, \"%s\"",
                  static_cast<long long>(Unsaved.Count), Name.c_str(), Unsaved.First + 1, First.c_str());
}

std::string NulByteMessage(const std::string& FileName, int64_t At)
{
    return Format("\"%s\" holds a NUL byte at byte %lld; what follows it cannot be read", EscapedName(FileName).c_str(),
                  static_cast<long long>(At));
}

} // namespace permuto
