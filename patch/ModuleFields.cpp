#include "ModuleFields.h"

#include <algorithm>

#include "base/Scanner.h"

namespace permuto {

namespace {

bool IsSeparator(char C)
{
    return C == ' ' || C == '\t';
}

// The next token of Line from At on (blanks and tabs separate tokens), and
// At behind it; empty when the line is used up.
std::string_view NextToken(std::string_view Line, size_t& At)
{
    while (At < Line.size() && IsSeparator(Line[At]))
        ++At;
    const size_t Start = At;
    while (At < Line.size() && !IsSeparator(Line[At]))
        ++At;
    return Line.substr(Start, At - Start);
}

} // namespace

void TFieldSink::Add(std::string_view Token, int32_t Value, TArea Area)
{
    if (FVisit)
        FVisit({static_cast<size_t>(Token.data() - FBase), Token.size(), Area, Value});
}

void TFieldSink::AddTokens(std::string_view Line, std::initializer_list<int> Tokens, TArea Area)
{
    size_t At = 0;
    int Place = 0;
    for (const int Wanted : Tokens) {
        std::string_view Token;
        for (; Place <= Wanted; ++Place)
            Token = NextToken(Line, At);
        int32_t Value = 0;
        if (Token.empty() || !ConvertInteger(Token, Value)) {
            ++FUnfollowed;
            return;
        }
        Add(Token, Value, Area);
    }
}

void TFieldSink::AddAssignments(std::string_view Line, int GroupSize, bool Repeated)
{
    size_t At = 0;
    do {
        const std::string_view AreaToken = NextToken(Line, At);
        if (AreaToken.empty())
            return; // the line is used up
        const std::string_view ModuleToken = NextToken(Line, At);
        int32_t Area = 0, Module = 0;
        if (!ConvertInteger(AreaToken, Area) || Area < 0 || Area > 2 || ModuleToken.empty() ||
            !ConvertInteger(ModuleToken, Module)) {
            ++FUnfollowed;
            return;
        }
        if (Area != 2)
            Add(ModuleToken, Module, AreaOfCode(static_cast<TAreaCode>(Area)));
        for (int Rest = 2; Rest < GroupSize; ++Rest)
            NextToken(Line, At);
    } while (Repeated);
}

void TModuleFields::SetBody(const TLineTable& Lines, int32_t First, int32_t End)
{
    const size_t Size = Lines.Source().size();
    const auto OffsetOfLine = [&](int32_t Line) {
        return Line < Lines.Count() ? std::min(Lines.OffsetOf(Lines[Line]), Size) : Size;
    };
    FStart = OffsetOfLine(First);
    FEnd = std::max(FStart, OffsetOfLine(End));
}

} // namespace permuto
