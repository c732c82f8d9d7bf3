#include "CurrentNoteDump.h"

#include "SectionDump.h"
#include "base/Scanner.h"

namespace permuto {

void TCurrentNoteDump::LoadFromStrings(const TPatchText& Text)
{
    Clear();
    int32_t Index = 0;
    if (!FindSectionBody(Text, SectionName, Index))
        return;
    std::string_view Line = Text[Index];
    int32_t Pos = 1;
    for (;;) {
        TNoteDef Note;
        if (!ReadSevenBitValue(Line, Pos, FieldSeparators, Note.NoteValue1) ||
            !ReadSevenBitValue(Line, Pos, FieldSeparators, Note.NoteValue2) ||
            !ReadSevenBitValue(Line, Pos, FieldSeparators, Note.NoteValue3))
            break;
        Add(Note);
    }
}

void TCurrentNoteDump::SaveToStrings(TLineWriter& Lines, bool WriteWhenEmpty) const
{
    if (FNoteDefs.empty() && !WriteWhenEmpty)
        return;
    Lines.Add(SectionHeader(SectionName));
    std::string Text;
    for (const TNoteDef& Note : FNoteDefs) {
        if (!Text.empty())
            Text += ' ';
        AppendNumbers(Text, {Note.NoteValue1, Note.NoteValue2, Note.NoteValue3});
    }
    Lines.Add(std::move(Text));
    Lines.Add(SectionCloser(SectionName));
}

} // namespace permuto
