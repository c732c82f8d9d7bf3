#include "CableDump.h"

#include "base/Scanner.h"

namespace permuto {

bool TCableDef::ReadLine(std::string_view Line)
{
    int32_t Pos = 1;
    const TCharSet& S = FieldSeparators;
    return ReadRange0To6(Line, Pos, S, Color) && ReadInteger(Line, Pos, S, Module1) &&
           ReadInteger(Line, Pos, S, Connector1) && ReadRange0To1(Line, Pos, S, ConnectorKind1) &&
           ReadInteger(Line, Pos, S, Module2) && ReadInteger(Line, Pos, S, Connector2) &&
           ReadRange0To1(Line, Pos, S, ConnectorKind2);
}

void TCableDef::WriteLine(TLineWriter& Lines) const
{
    Lines.AddNumbers({Color, Module1, Connector1, ConnectorKind1, Module2, Connector2, ConnectorKind2});
}

} // namespace permuto
