#pragma once
// The keyboard assignment: four values 0..2 on the line after the header.
#include <array>
#include <string_view>

#include "base/SimpleTypes.h"
#include "PatchText.h"
#include "base/LineWriter.h"

namespace permuto {

class TKeyboardAssignment {
public:
    static constexpr std::string_view SectionName = "KeyboardAssignment";

    const std::array<TRange0To2, 4>& Values() const { return FValues; }
    void Clear() { FValues.fill(0); }
    // Does not clear first: the document's clear before a load does that.
    void LoadFromStrings(const TPatchText& Text);
    void SaveToStrings(TLineWriter& Lines) const;

private:
    std::array<TRange0To2, 4> FValues{};
};

} // namespace permuto
