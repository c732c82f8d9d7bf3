#pragma once
// The header: the version line and one line of 23 patch-wide numbers, each
// read with its own range.
#include <array>
#include <cstdint>
#include <string>

#include "library/StringList.h"

namespace permuto {

class THeader {
public:
    static constexpr int ValueCount = 23;

    THeader() { Clear(); }

    std::string Version;

    // Value1 .. Value23, numbered from 1 as on the numbers line.
    int32_t Value(int N) const { return FValues.at(static_cast<size_t>(N - 1)); }

    // Every value back to its default; Version stays.
    void Clear();
    // Reads the version line (the first line beginning with "Version", any
    // case) and the numbers line after it. Raises EListError when either is
    // missing.
    void LoadFromStrings(const TStringList& Lines);
    void SaveToStrings(TStringList& Lines) const;

    // Index of the version line; raises EListError("List index out of bounds
    // (N)") when there is none or when it is the last line, as a load would.
    static int32_t VersionLineIndex(const TStringList& Lines);

private:
    std::array<int32_t, ValueCount> FValues{};
};

} // namespace permuto
