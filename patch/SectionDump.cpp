#include "SectionDump.h"

#include "library/Scanner.h"

namespace permuto {

namespace {

inline char UpperAscii(char C)
{
    return C >= 'a' && C <= 'z' ? static_cast<char>(C - 'a' + 'A') : C;
}

} // namespace

bool StartsWithText(std::string_view Line, std::string_view Prefix)
{
    if (Prefix.size() > Line.size())
        return false;
    for (size_t I = 0; I < Prefix.size(); ++I)
        if (UpperAscii(Line[I]) != UpperAscii(Prefix[I]))
            return false;
    return true;
}

std::string SectionHeader(std::string_view Name)
{
    std::string Line = "[";
    Line.append(Name).append("]");
    return Line;
}

std::string SectionPrefix(std::string_view Name)
{
    std::string Prefix = "[";
    Prefix.append(Name);
    return Prefix;
}

std::string SectionCloser(std::string_view Name)
{
    std::string Line = "[/";
    Line.append(Name).append("]");
    return Line;
}

int32_t FindLineStartingWith(const TStringList& Lines, std::string_view Prefix, int32_t From)
{
    int32_t Index = From;
    if (!Prefix.empty() && Prefix.front() == '[') { // headers: only lines that begin with "[" can match
        Index = Lines.NextBracketLine(Index);
        while (Index < Lines.Count() && !StartsWithText(Lines[Index], Prefix))
            Index = Lines.NextBracketLine(Index + 1);
        return Index;
    }
    while (Index < Lines.Count() && !StartsWithText(Lines[Index], Prefix))
        ++Index;
    return Index;
}

bool FindSectionBody(const TStringList& Lines, std::string_view Name, int32_t& Index)
{
    Index = FindLineStartingWith(Lines, SectionPrefix(Name)) + 1;
    return Index < Lines.Count();
}

bool TSectionDump::FindAreaSection(TStringList& Lines, std::string_view Prefix, TAreaCode AreaCode, int32_t& Index)
{
    Area = AreaCode;
    Index = 0;
    bool Found = false;
    while (!Found && Index < Lines.Count()) {
        Index = FindLineStartingWith(Lines, Prefix, Index) + 1;
        if (Index < Lines.Count()) {
            const int32_t Start = Index;
            ReadAreaLine(Lines, AreaCode, Index);
            Found = Index > Start;
        }
    }
    return Found;
}

namespace {

// Reads the area code that begins an area line. ModuleLineAt is the position
// of a whole module line (four more integers) on the same line, or 0.
bool ReadAreaLineCode(std::string_view Line, TAreaCode& Code, int32_t& ModuleLineAt)
{
    int32_t Pos = 1;
    ModuleLineAt = 0;
    if (!ReadAreaCode(Line, Pos, FieldSeparators, Code))
        return false;
    const int32_t StartPos = Pos;
    int Following = 0;
    int32_t Ignored = 0;
    while (ReadInteger(Line, Pos, FieldSeparators, Ignored))
        ++Following;
    if (Following == 4)
        ModuleLineAt = StartPos;
    return true;
}

} // namespace

void TSectionDump::ReadAreaLine(TStringList& Lines, TAreaCode AreaCode, int32_t& Index)
{
    const std::string_view Line = Lines[Index];
    TAreaCode Code = 0;
    int32_t ModuleLineAt = 0;
    if (!ReadAreaLineCode(Line, Code, ModuleLineAt) || Code != AreaCode)
        return;
    if (ModuleLineAt != 0) {
        // The area line carries the first module line: give each its own line.
        Lines.Replace(Index, Line.substr(static_cast<size_t>(ModuleLineAt) - 1));
        Lines.Insert(Index, std::to_string(Code));
    }
    ++Index;
}

bool TSectionDump::ReadingMaySplit(const TStringList& Lines)
{
    // FindAreaSection hands ReadAreaLine only the line after a header, and
    // any area code counts here, whichever area a reader looks for.
    TAreaCode Code = 0;
    int32_t ModuleLineAt = 0;
    for (int32_t Line = Lines.NextBracketLine(0); Line + 1 < Lines.Count(); Line = Lines.NextBracketLine(Line + 1))
        if (ReadAreaLineCode(Lines[Line + 1], Code, ModuleLineAt) && ModuleLineAt != 0)
            return true;
    return false;
}

void TSectionDump::WriteAreaLine(TStringList& Lines) const
{
    Lines.Add(std::to_string(Area));
}

} // namespace permuto
