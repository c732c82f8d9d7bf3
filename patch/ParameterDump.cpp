#include "ParameterDump.h"

#include "library/Scanner.h"

namespace permuto {

bool TParameterLine::ReadLine(const std::string& Line)
{
    Clear();
    int32_t Pos = 1;
    if (ReadInteger(Line, Pos, FieldSeparators, ModuleIndex) && ReadInteger(Line, Pos, FieldSeparators, ModuleType))
        Values.ReadList(Line, Pos);
    return true;
}

void TParameterLine::WriteLine(TStringList& Lines) const
{
    std::string Text = NumbersLine({ModuleIndex, ModuleType, Values.Count()});
    Values.WriteList(Text);
    Lines.Add(std::move(Text));
}

bool TCustomLine::ReadLine(const std::string& Line)
{
    Clear();
    int32_t Pos = 1;
    if (ReadInteger(Line, Pos, FieldSeparators, ModuleIndex))
        Values.ReadList(Line, Pos);
    return true;
}

void TCustomLine::WriteLine(TStringList& Lines) const
{
    std::string Text = NumbersLine({ModuleIndex, Values.Count()});
    Values.WriteList(Text);
    Lines.Add(std::move(Text));
}

} // namespace permuto
