#include "PatchFile.h"

namespace permuto {

TPatchDef ReadPatchFile(const std::string& FileName)
{
    TPatchDef Patch;
    try {
        Patch.LoadFromFile(FileName);
    } catch (const EListError&) {
        // The header reader asks for the line after the version line, which
        // a file without one does not have.
        throw EPermutoError("\"" + FileName + "\" is no patch: it has no version line with a line after it");
    }
    if (!Patch.LooksLikePatch())
        throw EPermutoError("\"" + FileName + "\" does not look like a patch: it holds no patch section");
    return Patch;
}

std::string NulByteMessage(const std::string& FileName, int64_t At)
{
    return Format("\"%s\" holds a NUL byte at byte %lld; what follows it cannot be read", FileName.c_str(),
                  static_cast<long long>(At));
}

} // namespace permuto
