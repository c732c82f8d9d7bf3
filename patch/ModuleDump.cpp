#include "ModuleDump.h"

#include "library/Descript.h"
#include "library/Errors.h"
#include "library/Scanner.h"

namespace permuto {

bool TModuleDef::ReadLine(std::string_view Line)
{
    int32_t Pos = 1;
    return ReadInteger(Line, Pos, FieldSeparators, ModuleIndex) && ReadInteger(Line, Pos, FieldSeparators, ModuleType) &&
           ReadInteger(Line, Pos, FieldSeparators, X) && ReadInteger(Line, Pos, FieldSeparators, Y);
}

std::string TModuleDef::TypeName() const
{
    const TModuleDescriptor* Descriptor = ModuleDescriptors().FindByType(ModuleType);
    return Descriptor != nullptr ? Descriptor->Name : Format("(unknown type %d)", ModuleType);
}

void TModuleDef::WriteLine(TLineWriter& Lines) const
{
    Lines.AddNumbers({ModuleIndex, ModuleType, X, Y});
}

} // namespace permuto
