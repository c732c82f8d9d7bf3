#pragma once
// The program's version texts shown on the About page: thirteen keys, each
// "Unknown" unless the build's version table holds it.
#include <array>
#include <string>
#include <vector>

namespace permuto {

struct TVersionEntry {
    std::string Key;
    std::string Value;
};

inline constexpr int VersionKeyCount = 13;
// The keys in the order the About page shows them.
extern const std::array<const char*, VersionKeyCount> VersionKeys;

struct TVersionInfo {
    std::array<std::string, VersionKeyCount> Values;
    std::array<bool, VersionKeyCount> Present{}; // false: the key was missing

    const std::string& Value(const std::string& Key) const;
    bool Has(const std::string& Key) const;
};

// The table the build generated from the project's metadata.
const std::vector<TVersionEntry>& BuildVersionTable();
// Looks up every key in Table; missing keys read "Unknown".
TVersionInfo ReadVersionInfo(const std::vector<TVersionEntry>& Table);

} // namespace permuto
