#include "NameDump.h"

#include "library/Scanner.h"

namespace permuto {

bool TModuleName::ReadLine(const std::string& Line)
{
    int32_t Pos = 1;
    if (!ReadInteger(Line, Pos, FieldSeparators, ModuleIndex))
        return false;
    ReadToken(Line, Pos, FieldSeparators, Name);
    return true;
}

std::string NameToken(const std::string& Name)
{
    if (Name.find_first_of(" \t") != std::string::npos)
        return "\"" + Name + "\"";
    if (Name.find('"') == std::string::npos)
        return Name;
    // A bare token: the reader turns each pair of quotes back into one.
    std::string Token;
    Token.reserve(Name.size() + 4);
    for (char C : Name) {
        Token += C;
        if (C == '"')
            Token += '"';
    }
    return Token;
}

void TModuleName::WriteLine(TStringList& Lines) const
{
    Lines.Add(std::to_string(ModuleIndex) + " " + NameToken(Name));
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
        FFirst.emplace(Entry.ModuleIndex, &Entry.Name); // a later entry of the index does not replace it
}

const std::string* TNameLookup::Find(int32_t ModuleIndex) const
{
    const auto Found = FFirst.find(ModuleIndex);
    return Found == FFirst.end() ? nullptr : Found->second;
}

} // namespace permuto
