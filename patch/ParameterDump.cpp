#include "ParameterDump.h"

#include "base/Scanner.h"

namespace permuto {

bool TParameterLine::ReadLine(std::string_view Line)
{
    Clear();
    int32_t Pos = 1;
    if (ReadInteger(Line, Pos, FieldSeparators, ModuleIndex) && ReadInteger(Line, Pos, FieldSeparators, ModuleType))
        Values.ReadList(Line, Pos);
    return true;
}

void TParameterLine::WriteLine(TLineWriter& Lines) const
{
    Lines.AddLine([this](std::string& Text) {
        AppendNumbers(Text, {ModuleIndex, ModuleType, Values.Count()});
        Values.WriteList(Text);
    });
}

bool TCustomLine::ReadLine(std::string_view Line)
{
    Clear();
    int32_t Pos = 1;
    if (ReadInteger(Line, Pos, FieldSeparators, ModuleIndex))
        Values.ReadList(Line, Pos);
    return true;
}

void TCustomLine::WriteLine(TLineWriter& Lines) const
{
    Lines.AddLine([this](std::string& Text) {
        AppendNumbers(Text, {ModuleIndex, Values.Count()});
        Values.WriteList(Text);
    });
}

} // namespace permuto
