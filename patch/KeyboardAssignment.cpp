#include "KeyboardAssignment.h"

#include "SectionDump.h"
#include "base/Scanner.h"

namespace permuto {

void TKeyboardAssignment::LoadFromStrings(const TPatchText& Text)
{
    int32_t Index = 0;
    if (!FindSectionBody(Text, SectionName, Index))
        return;
    std::string_view Line = Text[Index];
    int32_t Pos = 1;
    for (TRange0To2& Value : FValues)
        if (!ReadRange0To2(Line, Pos, FieldSeparators, Value))
            break;
}

void TKeyboardAssignment::SaveToStrings(TLineWriter& Lines) const
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
