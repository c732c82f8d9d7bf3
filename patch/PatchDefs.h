#pragma once
// TPatchDef: one patch file in memory. It owns one object per section (two for
// each per-area section, poly first), reads them all from the file's lines,
// writes them back in a fixed order and forwards a module index swap to the
// sections that refer to modules.
#include <array>
#include <cstdint>
#include <string>

#include "ModuleDump.h"
#include "NameDump.h"
#include "library/StringList.h"

namespace permuto {

// Index of a per-area section pair: [0] serves the poly area, [1] the common area.
inline constexpr int PolyDump = 0;
inline constexpr int CommonDump = 1;

class TPatchDef {
public:
    TPatchDef() = default;
    TPatchDef(const TPatchDef&) = delete;
    TPatchDef& operator=(const TPatchDef&) = delete;

    std::string FileName;
    std::array<TModuleDump, 2> ModuleDumps;
    std::array<TNameDump, 2> NameDumps;

    void Clear();
    // Replaces the content by the patch file Name. The file is read first: a
    // file that cannot be read raises and leaves the document and FileName as
    // they were.
    void LoadFromFile(const std::string& Name);
    // Replaces the content by the patch in Lines (which a reader may change).
    void LoadFromStrings(TStringList& Lines);
    // Appends every section in the file order.
    void SaveToStrings(TStringList& Lines) const;
    void Save() const;
    void SaveToFile(const std::string& Name);
    // Exchanges two module indices in every section of one area that refers to
    // modules. Area code 1 is the poly area, 0 the common area; others change nothing.
    void SwapModules(uint8_t AreaCode, int32_t IndexA, int32_t IndexB);

private:
    void ReadSections(TStringList& Lines);
};

} // namespace permuto
