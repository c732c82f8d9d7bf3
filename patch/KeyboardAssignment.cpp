#include "KeyboardAssignment.h"

#include "SectionDump.h"
#include "library/Scanner.h"

namespace permuto {

void TKeyboardAssignment::LoadFromStrings(const TStringList& Lines)
{
    const int32_t Index = FindLineStartingWith(Lines, "[KEYBOARDASSIGNMENT") + 1;
    if (Index >= Lines.Count())
        return;
    const std::string& Line = Lines[Index];
    int32_t Pos = 1;
    for (TRange0To2& Value : Values)
        if (!ReadRange0To2(Line, Pos, FieldSeparators, Value))
            break;
}

void TKeyboardAssignment::SaveToStrings(TStringList& Lines) const
{
    Lines.Add("[KeyboardAssignment]");
    std::string Text;
    for (TRange0To2 Value : Values) {
        AppendNumbers(Text, {Value});
        Text += ' ';
    }
    Lines.Add(std::move(Text));
    Lines.Add("[/KeyboardAssignment]");
}

} // namespace permuto
