#include "NameDump.h"

#include <algorithm>

#include "base/Scanner.h"

namespace permuto {

bool TModuleName::ReadLine(std::string_view Line)
{
    int32_t Pos = 1;
    if (!ReadInteger(Line, Pos, FieldSeparators, ModuleIndex))
        return false;
    SkipSeparators(Line, Pos, FieldSeparators);
    const std::string_view Rest = Line.substr(std::min(static_cast<size_t>(Pos) - 1, Line.size()));
    if (Rest.size() >= 2 && Rest.front() == '"' && Rest.back() == '"') {
        Name.clear();
        const std::string_view Quoted = Rest.substr(1, Rest.size() - 2);
        for (size_t I = 0; I < Quoted.size(); ++I) {
            Name += Quoted[I];
            if (Quoted[I] == '"' && I + 1 < Quoted.size() && Quoted[I + 1] == '"')
                ++I;
        }
    } else {
        Name.assign(Rest);
    }
    return true;
}

void AppendNameToken(std::string& Text, std::string_view Name)
{
    // Bare, as the editor writes names, unless the reader would take it for
    // something else: blanks at either end, or quotes round it.
    const auto Blank = [](char C) { return C == ' ' || C == '\t'; };
    const bool Bare = Name.empty() || (!Blank(Name.front()) && !Blank(Name.back()) &&
                                       !(Name.size() >= 2 && Name.front() == '"' && Name.back() == '"'));
    if (Bare) {
        Text.append(Name);
        return;
    }
    Text += '"';
    for (const char C : Name) {
        Text += C;
        if (C == '"')
            Text += '"';
    }
    Text += '"';
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
