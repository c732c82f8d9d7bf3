#include "Notes.h"

#include "SectionDump.h"

namespace permuto {

void TNotes::LoadFromStrings(const TStringList& Lines)
{
    Clear();
    int32_t First = 0;
    if (!FindSectionBody(Lines, SectionName, First))
        return;
    const std::string Closer = SectionCloser(SectionName);
    int32_t End = Lines.Count();
    for (int32_t I = Lines.Count() - 1; I >= First; --I)
        if (StartsWithText(Lines[I], Closer)) {
            End = I;
            break;
        }
    size_t Bytes = 0;
    for (int32_t I = First; I < End; ++I)
        Bytes += Lines[I].size();
    Reserve(static_cast<size_t>(End - First), Bytes); // no spare room: notes can be most of a file
    for (int32_t I = First; I < End; ++I)
        Add(Lines[I]);
}

void TNotes::SaveToStrings(TStringList& Lines) const
{
    Lines.Add(SectionHeader(SectionName));
    for (std::string_view Line : *this)
        Lines.Add(Line);
    Lines.Add(SectionCloser(SectionName));
}

} // namespace permuto
