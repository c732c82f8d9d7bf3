#pragma once
// The header: the version line and one line of 23 patch-wide numbers, each
// read with its own range.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "PatchText.h"
#include "base/LineWriter.h"

namespace permuto {

class THeader {
public:
    static constexpr std::string_view SectionName = "Header";
    static constexpr int ValueCount = 23;

    THeader() { Clear(); }

    // The text after "Version=" on the version line.
    const std::string& Version() const { return FVersion; }

    // Value1 .. Value23, numbered from 1 as on the numbers line.
    int32_t Value(int N) const { return FValues.at(static_cast<size_t>(N - 1)); }

    // Every value back to its default; Version stays.
    void Clear();
    // Reads the version line (the first line beginning with "Version", any
    // case) and the numbers line after it. Raises EListError when either is
    // missing.
    void LoadFromStrings(const TPatchText& Text);
    void SaveToStrings(TLineWriter& Lines) const;

private:
    std::string FVersion;
    std::array<int32_t, ValueCount> FValues{};
};

} // namespace permuto
