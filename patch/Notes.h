#pragma once
// The notes: free text lines kept exactly as read.
#include <string_view>

#include "PatchText.h"
#include "base/LineTable.h"
#include "base/LineWriter.h"

namespace permuto {

class TNotes {
public:
    static constexpr std::string_view SectionName = "Notes";

    const TLineTable& Lines() const { return FLines; }
    int32_t Count() const { return FLines.Count(); }
    std::string_view operator[](int32_t Index) const { return FLines[Index]; }
    auto begin() const { return FLines.begin(); }
    auto end() const { return FLines.end(); }

    void Clear() { FLines = TLineTable(); }
    // The lines after the "[Notes]" header up to the last line after it that
    // begins with "[/Notes]" (any letter case); every line after the header
    // when there is no such line.
    void LoadFromStrings(const TPatchText& Text);
    void SaveToStrings(TLineWriter& Lines) const;

private:
    TLineTable FLines;
};

} // namespace permuto
