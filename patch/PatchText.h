#pragma once
// The lines of a patch file as every section reader sees them: the table of
// lines, and for each section the lines where its header stands, found in
// one pass when the text is set. An area line that also carries the first
// record of its section is split in two here, before any reader runs, so
// that readers only read: a patch text is const once made, and its sections
// may be read side by side.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/LineTable.h"

namespace permuto {

// A section of the patch: its name ("ModuleDump" is found by lines that
// begin with "[ModuleDump", letter case ignored) and whether it exists once
// per area (its header is then followed by an area line).
struct TSectionName {
    std::string_view Name;
    bool PerArea;
};
// Every section a patch holds (the document's list of its sections).
std::span<const TSectionName> PatchSectionNames();

class TPatchText {
public:
    TPatchText() : TPatchText(TLineTable()) {}
    explicit TPatchText(std::string Bytes) : TPatchText(TLineTable(std::move(Bytes))) {}
    explicit TPatchText(TLineTable Lines);
    // Only moved: the header index refers to the lines it was made for.
    TPatchText(TPatchText&&) noexcept = default;
    TPatchText& operator=(TPatchText&&) noexcept = default;

    const TLineTable& Lines() const { return FLines; }
    // Gives up the text for its bytes as they were read.
    std::string TakeSource() && { return std::move(FLines).TakeSource(); }
    int32_t Count() const { return FLines.Count(); }
    std::string_view operator[](int32_t Index) const { return FLines[Index]; }

    // The lines that begin with "[" followed by the name of section Name
    // (one of PatchSectionNames), ascending.
    std::span<const int32_t> Headers(std::string_view Name) const;
    // True when some line opens one of the patch's sections.
    bool HoldsASection() const;
    // How many lines the file had (before area lines were split).
    int32_t LinesRead() const { return Count() - static_cast<int32_t>(FSplitHeads.size()); }
    // The file's own line (0-based) that line Index of the table comes from,
    // and that line as the file holds it (a split area line whole).
    int32_t FileLine(int32_t Index) const;
    std::string FileText(int32_t Index) const;

private:
    void IndexHeaders();

    TLineTable FLines;
    // Per section of PatchSectionNames, in its order: its header lines.
    std::vector<std::vector<int32_t>> FHeaders;
    // Where split area lines begin in the table, ascending, and what the
    // file held there.
    std::vector<int32_t> FSplitHeads;
    std::vector<std::string> FSplitText;
};

} // namespace permuto
