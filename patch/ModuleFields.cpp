#include "ModuleFields.h"

#include "library/Errors.h"
#include "library/Scanner.h"

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

void TModuleFields::Reset(const TLineTable& Lines)
{
    Clear();
    FLines = &Lines;
}

void TModuleFields::Clear()
{
    FLines = nullptr;
    FItems.clear();
    FItems.shrink_to_fit();
    FUnfollowed = 0;
}

void TModuleFields::Add(std::string_view Token, TAreaCode Area)
{
    const size_t Offset = FLines->OffsetOf(Token);
    // A token that lies outside the text read (the head of a split line) or
    // is too long to note is a number no save could put back.
    if (Offset + Token.size() > FLines->Source().size() || Token.size() > UINT8_MAX) {
        ++FUnfollowed;
        return;
    }
    FItems.push_back({static_cast<uint32_t>(Offset), static_cast<uint8_t>(Token.size()), Area});
}

int32_t TModuleFields::ValueOf(std::string_view Text, const TModuleField& Field)
{
    int32_t Value = 0;
    ConvertInteger(Text.substr(Field.Offset, Field.Length), Value);
    return Value;
}

void TModuleFields::AddTokens(std::string_view Line, std::initializer_list<int> Tokens, TAreaCode Area)
{
    if (FLines == nullptr)
        return;
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
        Add(Token, Area);
    }
}

void TModuleFields::AddAssignments(std::string_view Line, int GroupSize, bool Repeated)
{
    if (FLines == nullptr)
        return;
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
            Add(ModuleToken, static_cast<TAreaCode>(Area));
        for (int Rest = 2; Rest < GroupSize; ++Rest)
            NextToken(Line, At);
    } while (Repeated);
}

} // namespace permuto
