#include "PatchDefs.h"

namespace permuto {

namespace {

int DumpOf(uint8_t AreaCode)
{
    return AreaCode == AreaPoly ? PolyDump : CommonDump;
}

template <class TDump>
void LoadPair(std::array<TDump, 2>& Pair, TStringList& Lines)
{
    Pair[PolyDump].LoadFromStrings(AreaPoly, Lines);
    Pair[CommonDump].LoadFromStrings(AreaCommon, Lines);
}

template <class TDump>
void SavePair(const std::array<TDump, 2>& Pair, TStringList& Lines)
{
    Pair[PolyDump].SaveToStrings(Lines);
    Pair[CommonDump].SaveToStrings(Lines);
}

template <class TDump>
void ClearPair(std::array<TDump, 2>& Pair)
{
    Pair[PolyDump].Clear();
    Pair[CommonDump].Clear();
}

} // namespace

void TPatchDef::Clear()
{
    Header.Clear();
    ClearPair(ModuleDumps);
    CurrentNoteDump.Clear();
    ClearPair(CableDumps);
    ClearPair(ParameterDumps);
    ClearPair(CustomDumps);
    KeyboardAssignment.Clear();
    KnobMapDump.Clear();
    MorphMapDump.Clear();
    ControlMapDump.Clear();
    ClearPair(NameDumps);
    Notes.Clear();
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
    THeader::VersionLineIndex(Lines); // raises before anything is cleared
    Clear();
    ReadSections(Lines);
}

void TPatchDef::ReadSections(TStringList& Lines)
{
    Header.LoadFromStrings(Lines);
    LoadPair(ModuleDumps, Lines);
    CurrentNoteDump.LoadFromStrings(Lines);
    LoadPair(CableDumps, Lines);
    LoadPair(ParameterDumps, Lines);
    LoadPair(CustomDumps, Lines);
    KeyboardAssignment.LoadFromStrings(Lines);
    KnobMapDump.LoadFromStrings(Lines);
    MorphMapDump.LoadFromStrings(Lines);
    ControlMapDump.LoadFromStrings(Lines);
    LoadPair(NameDumps, Lines);
    Notes.LoadFromStrings(Lines);
}

void TPatchDef::SaveToStrings(TStringList& Lines) const
{
    Header.SaveToStrings(Lines);
    SavePair(ModuleDumps, Lines);
    CurrentNoteDump.SaveToStrings(Lines);
    SavePair(CableDumps, Lines);
    SavePair(ParameterDumps, Lines);
    SavePair(CustomDumps, Lines);
    MorphMapDump.SaveToStrings(Lines);
    KeyboardAssignment.SaveToStrings(Lines);
    KnobMapDump.SaveToStrings(Lines);
    ControlMapDump.SaveToStrings(Lines);
    SavePair(NameDumps, Lines);
    Notes.SaveToStrings(Lines);
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
    const int Dump = DumpOf(AreaCode);
    ModuleDumps[Dump].SwapModules(IndexA, IndexB);
    CableDumps[Dump].SwapModules(IndexA, IndexB);
    ParameterDumps[Dump].SwapModules(IndexA, IndexB);
    CustomDumps[Dump].SwapModules(IndexA, IndexB);
    NameDumps[Dump].SwapModules(IndexA, IndexB);
    MorphMapDump.SwapModules(AreaCode, IndexA, IndexB);
    KnobMapDump.SwapModules(AreaCode, IndexA, IndexB);
    ControlMapDump.SwapModules(AreaCode, IndexA, IndexB);
}

} // namespace permuto
