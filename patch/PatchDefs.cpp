#include "PatchDefs.h"

namespace permuto {

void TPatchDef::Clear()
{
    for (TModuleDump& Dump : ModuleDumps)
        Dump.Clear();
    for (TNameDump& Dump : NameDumps)
        Dump.Clear();
}

void TPatchDef::LoadFromFile(const std::string& Name)
{
    TStringList Lines;
    Lines.LoadFromFile(Name);
    LoadFromStrings(Lines);
    FileName = Name;
}

void TPatchDef::LoadFromStrings(TStringList& Lines)
{
    Clear();
    ReadSections(Lines);
}

void TPatchDef::ReadSections(TStringList& Lines)
{
    ModuleDumps[PolyDump].LoadFromStrings(AreaPoly, Lines);
    ModuleDumps[CommonDump].LoadFromStrings(AreaCommon, Lines);
    NameDumps[PolyDump].LoadFromStrings(AreaPoly, Lines);
    NameDumps[CommonDump].LoadFromStrings(AreaCommon, Lines);
}

void TPatchDef::SaveToStrings(TStringList& Lines) const
{
    ModuleDumps[PolyDump].SaveToStrings(Lines);
    ModuleDumps[CommonDump].SaveToStrings(Lines);
    NameDumps[PolyDump].SaveToStrings(Lines);
    NameDumps[CommonDump].SaveToStrings(Lines);
}

void TPatchDef::Save() const
{
    TStringList Lines;
    SaveToStrings(Lines);
    Lines.SaveToFile(FileName);
}

void TPatchDef::SaveToFile(const std::string& Name)
{
    FileName = Name;
    Save();
}

void TPatchDef::SwapModules(uint8_t AreaCode, int32_t IndexA, int32_t IndexB)
{
    if (AreaCode != AreaPoly && AreaCode != AreaCommon)
        return;
    const int Dump = AreaCode == AreaPoly ? PolyDump : CommonDump;
    ModuleDumps[Dump].SwapModules(IndexA, IndexB);
    NameDumps[Dump].SwapModules(IndexA, IndexB);
}

} // namespace permuto
