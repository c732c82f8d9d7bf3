#include "Notes.h"

#include "SectionDump.h"

namespace permuto {

void TNotes::LoadFromStrings(const TStringList& Lines)
{
    Clear();
    const int32_t First = FindLineStartingWith(Lines, "[NOTES") + 1;
    int32_t End = Lines.Count();
    for (int32_t I = Lines.Count() - 1; I >= First; --I)
        if (StartsWithText(Lines[I], "[/NOTES]")) {
            End = I;
            break;
        }
    for (int32_t I = First; I < End; ++I)
        Add(Lines[I]);
}

void TNotes::SaveToStrings(TStringList& Lines) const
{
    Lines.Add("[Notes]");
    for (const std::string& Line : *this)
        Lines.Add(Line);
    Lines.Add("[/Notes]");
}

} // namespace permuto
