#include "VersionInfo.h"

#include <algorithm>
#include <stdexcept>

namespace permuto {

const std::array<const char*, VersionKeyCount> VersionKeys = {
    "CompanyName",      "FileDescription", "FileVersion", "InternalName", "LegalCopyRight",
    "LegalTradeMarks",  "OriginalFileName", "ProductName", "ProductVersion", "Comments",
    "Www",              "Mail",            "Gnu",
};

namespace {
int KeyPosition(const std::string& Key)
{
    const auto Found = std::find(VersionKeys.begin(), VersionKeys.end(), Key);
    if (Found == VersionKeys.end())
        throw std::out_of_range("no version key " + Key);
    return static_cast<int>(Found - VersionKeys.begin());
}
} // namespace

const std::string& TVersionInfo::Value(const std::string& Key) const
{
    return Values[static_cast<size_t>(KeyPosition(Key))];
}

bool TVersionInfo::Has(const std::string& Key) const
{
    return Present[static_cast<size_t>(KeyPosition(Key))];
}

TVersionInfo ReadVersionInfo(const std::vector<TVersionEntry>& Table)
{
    TVersionInfo Info;
    for (size_t I = 0; I < VersionKeys.size(); ++I) {
        Info.Values[I] = "Unknown";
        for (const TVersionEntry& Entry : Table)
            if (Entry.Key == VersionKeys[I]) {
                Info.Values[I] = Entry.Value;
                Info.Present[I] = true;
                break;
            }
    }
    return Info;
}

} // namespace permuto
