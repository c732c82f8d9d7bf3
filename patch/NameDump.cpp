#include "NameDump.h"

#include <algorithm>

#include "library/Scanner.h"

namespace permuto {

bool TModuleName::ReadLine(std::string_view Line)
{
    int32_t Pos = 1;
    if (!ReadInteger(Line, Pos, FieldSeparators, ModuleIndex))
        return false;
    ReadToken(Line, Pos, FieldSeparators, Name);
    return true;
}

void AppendNameToken(std::string& Text, std::string_view Name)
{
    bool Blank = false;
    bool Quote = false;
    for (const char C : Name) {
        Blank |= C == ' ' || C == '\t';
        Quote |= C == '"';
    }
    if (Blank) {
        Text.append("\"").append(Name).append("\"");
    } else if (!Quote) {
        Text.append(Name);
    } else {
        // A bare token: the reader turns each pair of quotes back into one.
        for (const char C : Name) {
            Text += C;
            if (C == '"')
                Text += '"';
        }
    }
}

void TModuleName::WriteLine(TLineWriter& Lines) const
{
    Lines.AddLine([this](std::string& Text) {
        AppendNumbers(Text, {ModuleIndex});
        Text += ' ';
        AppendNameToken(Text, Name);
    });
}

std::string TNameDump::FindName(int32_t ModuleIndex) const
{
    for (const TModuleName& Entry : FList)
        if (Entry.ModuleIndex == ModuleIndex)
            return Entry.Name;
    return {};
}

TNameLookup::TNameLookup(const TNameDump& Names)
{
    FFirst.reserve(static_cast<size_t>(Names.Count()));
    for (const TModuleName& Entry : Names.Names())
        FFirst.emplace_back(Entry.ModuleIndex, &Entry.Name);
    const auto ByIndex = [](const auto& X, const auto& Y) { return X.first < Y.first; };
    std::stable_sort(FFirst.begin(), FFirst.end(), ByIndex); // a later entry of an index stays behind the first
    FFirst.erase(std::unique(FFirst.begin(), FFirst.end(), [](const auto& X, const auto& Y) { return X.first == Y.first; }),
                 FFirst.end());
}

const std::string* TNameLookup::Find(int32_t ModuleIndex) const
{
    const auto Found = std::lower_bound(FFirst.begin(), FFirst.end(), ModuleIndex,
                                        [](const auto& Entry, int32_t Index) { return Entry.first < Index; });
    return Found != FFirst.end() && Found->first == ModuleIndex ? Found->second : nullptr;
}

} // namespace permuto
