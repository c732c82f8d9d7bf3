#pragma once
// The keyboard assignment: four values 0..2 on the line after the header.
#include <array>

#include "library/SimpleTypes.h"
#include "library/StringList.h"

namespace permuto {

class TKeyboardAssignment {
public:
    std::array<TRange0To2, 4> Values{};

    void Clear() { Values.fill(0); }
    // Does not clear first: the document's clear before a load does that.
    void LoadFromStrings(const TStringList& Lines);
    void SaveToStrings(TStringList& Lines) const;
};

} // namespace permuto
