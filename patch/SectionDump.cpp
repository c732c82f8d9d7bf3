#include "SectionDump.h"

#include <algorithm>

#include "base/Scanner.h"

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

int32_t FindLineStartingWith(const TLineTable& Lines, std::string_view Prefix, int32_t From)
{
    int32_t Index = std::max(From, 0);
    while (Index < Lines.Count() && !StartsWithText(Lines[Index], Prefix))
        ++Index;
    return Index;
}

bool FindSectionBody(const TPatchText& Text, std::string_view Name, int32_t& Index)
{
    const std::span<const int32_t> Headers = Text.Headers(Name);
    Index = Headers.empty() ? Text.Count() : Headers.front() + 1;
    return Index < Text.Count();
}

bool ReadAreaLineCode(std::string_view Line, TAreaCode& Code, int32_t& RecordAt)
{
    int32_t Pos = 1;
    RecordAt = 0;
    if (!ReadAreaCode(Line, Pos, FieldSeparators, Code))
        return false;
    // The editor may write the area's first record on the area line itself.
    SkipSeparators(Line, Pos, FieldSeparators);
    if (static_cast<size_t>(Pos) <= Line.size())
        RecordAt = Pos;
    return true;
}

bool TSectionDump::FindAreaSection(const TPatchText& Text, std::string_view Name, TArea Of, int32_t& Index)
{
    Area = Of;
    for (const int32_t Header : Text.Headers(Name)) {
        Index = Header + 1;
        if (Index < Text.Count()) {
            const int32_t Start = Index;
            ReadAreaLine(Text.Lines(), Of, Index);
            if (Index > Start)
                return true;
        }
    }
    Index = Text.Count();
    return false;
}

int32_t TSectionDump::LinesOfLaterSections(const TPatchText& Text, std::string_view Name, TArea Of)
{
    int32_t Lines = 0;
    bool First = true;
    for (const int32_t Header : Text.Headers(Name)) {
        TAreaCode Code = 0;
        int32_t RecordAt = 0;
        if (Header + 1 >= Text.Count() || !ReadAreaLineCode(Text[Header + 1], Code, RecordAt) || Code != CodeOf(Of))
            continue;
        if (First) {
            First = false;
            continue;
        }
        Lines += RecordAt != 0 ? 1 : 0;
        for (int32_t Line = Header + 2; Line < Text.Count() && !IsSectionEnd(Text[Line]); ++Line)
            Lines += Text[Line].empty() ? 0 : 1;
    }
    return Lines;
}

void TSectionDump::ReadAreaLine(const TLineTable& Lines, TArea Of, int32_t& Index)
{
    TAreaCode Code = 0;
    int32_t RecordAt = 0;
    if (ReadAreaLineCode(Lines[Index], Code, RecordAt) && Code == CodeOf(Of))
        ++Index;
}

void TSectionDump::WriteAreaLine(TLineWriter& Lines) const
{
    Lines.AddNumbers({CodeOf(Area)});
}

} // namespace permuto
