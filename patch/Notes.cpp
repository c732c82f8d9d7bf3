#include "Notes.h"

#include "SectionDump.h"

namespace permuto {

void TNotes::LoadFromStrings(const TPatchText& Text)
{
    Clear();
    int32_t First = 0;
    if (!FindSectionBody(Text, SectionName, First))
        return;
    // The closing line begins with "[": only such lines are looked at, the
    // last one first.
    const std::string Closer = SectionCloser(SectionName);
    const std::vector<int32_t>& Brackets = Text.Lines().BracketLines();
    int32_t End = Text.Count();
    for (auto Line = Brackets.rbegin(); Line != Brackets.rend() && *Line >= First; ++Line)
        if (StartsWithText(Text[*Line], Closer)) {
            End = *Line;
            break;
        }
    FLines = TLineTable(Text.Lines(), First, End);
}

void TNotes::SaveToStrings(TLineWriter& Lines) const
{
    Lines.Add(SectionHeader(SectionName));
    for (const std::string_view Line : FLines)
        Lines.Add(Line);
    Lines.Add(SectionCloser(SectionName));
}

} // namespace permuto
