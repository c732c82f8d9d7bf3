#include "ModuleDump.h"

#include "ModuleTypes.h"
#include "base/Scanner.h"

namespace permuto {

bool TModuleDef::ReadLine(std::string_view Line)
{
    int32_t Pos = 1;
    return ReadInteger(Line, Pos, FieldSeparators, ModuleIndex) && ReadInteger(Line, Pos, FieldSeparators, ModuleType) &&
           ReadInteger(Line, Pos, FieldSeparators, X) && ReadInteger(Line, Pos, FieldSeparators, Y);
}

std::string TModuleDef::TypeName(const TModuleTypes& Types) const
{
    return Types.Name(ModuleType);
}

void TModuleDef::WriteLine(TLineWriter& Lines) const
{
    Lines.AddNumbers({ModuleIndex, ModuleType, X, Y});
}

} // namespace permuto
