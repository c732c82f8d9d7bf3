#pragma once
// The notes: free text lines kept exactly as read.
#include <string_view>

#include "library/StringList.h"

namespace permuto {

class TNotes : public TStringList {
public:
    static constexpr std::string_view SectionName = "Notes";

    // The lines after the "[Notes]" header up to the last line after it that
    // begins with "[/Notes]" (any letter case); every line after the header
    // when there is no such line.
    void LoadFromStrings(const TStringList& Lines);
    void SaveToStrings(TStringList& Lines) const;
};

} // namespace permuto
