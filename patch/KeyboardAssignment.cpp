#include "KeyboardAssignment.h"

#include "SectionDump.h"
#include "library/Scanner.h"

namespace permuto {

void TKeyboardAssignment::LoadFromStrings(const TStringList& Lines)
{
    int32_t Index = 0;
    if (!FindSectionBody(Lines, SectionName, Index))
        return;
    std::string_view Line = Lines[Index];
    int32_t Pos = 1;
    for (TRange0To2& Value : FValues)
        if (!ReadRange0To2(Line, Pos, FieldSeparators, Value))
            break;
}

void TKeyboardAssignment::SaveToStrings(TStringList& Lines) const
{
    Lines.Add(SectionHeader(SectionName));
    std::string Text;
    for (TRange0To2 Value : FValues) {
        AppendNumbers(Text, {Value});
        Text += ' ';
    }
    Lines.Add(std::move(Text));
    Lines.Add(SectionCloser(SectionName));
}

} // namespace permuto
