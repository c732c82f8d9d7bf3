#include "PatchDefs.h"

#include <algorithm>
#include <future>
#include <system_error>

#include "library/Files.h"

namespace permuto {

namespace {

bool IsArea(uint8_t AreaCode)
{
    return AreaCode == AreaPoly || AreaCode == AreaCommon;
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
    TFileIdentity Identity;
    TStringList Lines;
    Lines.SetText(ReadFileBytes(Name, &Identity));
    TPatchDef Loaded;
    Loaded.ReadSections(Lines);
    Loaded.FileName = Name;
    Loaded.FLoadedIdentity = Identity;
    *this = std::move(Loaded);
}

void TPatchDef::LoadFromStrings(TStringList& Lines)
{
    TPatchDef Loaded;
    Loaded.ReadSections(Lines);
    Loaded.FileName = std::move(FileName);
    *this = std::move(Loaded);
}

namespace {

// True when some line opens one of the patch's sections.
bool HoldsASection(const TStringList& Lines)
{
    const std::string_view Names[] = {TModuleDef::SectionName,       TCurrentNoteDump::SectionName,
                                      TCableDef::SectionName,        TParameterLine::SectionName,
                                      TCustomLine::SectionName,      TMorphAssignment::SectionName,
                                      TKeyboardAssignment::SectionName, TKnobAssignment::SectionName,
                                      TControlAssignment::SectionName, TModuleName::SectionName,
                                      TNotes::SectionName};
    for (int32_t Line = Lines.NextBracketLine(0); Line < Lines.Count(); Line = Lines.NextBracketLine(Line + 1))
        for (std::string_view Name : Names)
            if (StartsWithText(Lines[Line], SectionPrefix(Name)))
                return true;
    return false;
}

} // namespace

void TPatchDef::ReadSections(TStringList& Lines)
{
    FLooksLikePatch = HoldsASection(Lines);
    FNulAt = Lines.NulAt();
    // The parameter and custom values are about half the work of a load.
    // When no reader changes the lines, every reader sees the same lines
    // whenever it runs, so the values of a large patch are read on a second
    // thread while this one reads the rest. Both searches above have already
    // built the list's index of header lines, the one thing a reader of the
    // list changes. A patch of a few thousand lines is read faster than a
    // thread starts.
    constexpr int32_t LinesWorthAThread = 16384;
    const auto ReadValues = [this, &Lines] {
        LoadPair(ParameterDumps, Lines);
        LoadPair(CustomDumps, Lines);
    };
    std::future<void> Values;
    if (Lines.Count() >= LinesWorthAThread && !TSectionDump::ReadingMaySplit(Lines)) {
        try {
            Values = std::async(std::launch::async, ReadValues);
        } catch (const std::system_error&) {
            // No thread to be had: the values are read below, in their turn.
        }
    }
    Header.LoadFromStrings(Lines);
    LoadPair(ModuleDumps, Lines);
    CurrentNoteDump.LoadFromStrings(Lines);
    LoadPair(CableDumps, Lines);
    if (!Values.valid())
        ReadValues();
    KeyboardAssignment.LoadFromStrings(Lines);
    KnobMapDump.LoadFromStrings(Lines);
    MorphMapDump.LoadFromStrings(Lines);
    ControlMapDump.LoadFromStrings(Lines);
    LoadPair(NameDumps, Lines);
    Notes.LoadFromStrings(Lines);
    if (Values.valid())
        Values.get();
}

void TPatchDef::SaveToStrings(TStringList& Lines) const
{
    Header.SaveToStrings(Lines);
    SavePair(ModuleDumps, Lines);
    // Every reader takes the first header of its section in the file. With
    // the current-note section left out, a note line that looks like its
    // header would be read as one on the next load, and the line after it
    // would become current notes. The empty section, written ahead of the
    // notes, keeps such a patch the same from save to load.
    // (The notes are searched line by line: a save changes nothing, not even
    // the list's index of header lines, so two saves may run at once.)
    const std::string CurrentNotes = SectionPrefix(TCurrentNoteDump::SectionName);
    bool NoteLooksLikeHeader = false;
    for (auto Line = Notes.begin(); Line != Notes.end() && !NoteLooksLikeHeader; ++Line)
        NoteLooksLikeHeader = StartsWithText(*Line, CurrentNotes);
    CurrentNoteDump.SaveToStrings(Lines, NoteLooksLikeHeader);
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

TFileIdentity TPatchDef::Save() const
{
    // The lines go to the file as they are made: a patch is never held twice.
    return WriteFile(FileName, [this](const TByteSink& Write) {
        TStringList Lines(Write);
        SaveToStrings(Lines);
        Lines.Flush();
    });
}

TFileIdentity TPatchDef::SaveToFile(const std::string& Name)
{
    FileName = Name;
    return Save();
}

void TPatchDef::Renumber(uint8_t AreaCode, const TRenumbering& Map)
{
    if (!IsArea(AreaCode))
        return;
    const int Dump = DumpOf(AreaCode);
    ModuleDumps[Dump].Renumber(Map);
    CableDumps[Dump].Renumber(Map);
    ParameterDumps[Dump].Renumber(Map);
    CustomDumps[Dump].Renumber(Map);
    NameDumps[Dump].Renumber(Map);
    MorphMapDump.Renumber(AreaCode, Map);
    KnobMapDump.Renumber(AreaCode, Map);
    ControlMapDump.Renumber(AreaCode, Map);
}

bool TPatchDef::ChangedBy(uint8_t AreaCode, const TRenumbering& Map) const
{
    if (!IsArea(AreaCode) || Map.IsIdentity())
        return false;
    const int Dump = DumpOf(AreaCode);
    const auto Moves = [&Map](int32_t Index) { return Map(Index) != Index; };
    const auto AnyIndex = [&Moves](const auto& Records) {
        return std::any_of(Records.begin(), Records.end(), [&](const auto& R) { return Moves(R.ModuleIndex); });
    };
    const auto AnyAssignment = [&](const auto& Section) {
        const auto& List = Section.Assignments();
        return std::any_of(List.begin(), List.end(),
                           [&](const auto& A) { return A.Area == AreaCode && Moves(A.ModuleIndex); });
    };
    const TCableDefs& Cables = CableDumps[Dump].Cables();
    return AnyIndex(ModuleDumps[Dump].Modules()) || AnyIndex(ParameterDumps[Dump].ParameterLines()) ||
           AnyIndex(CustomDumps[Dump].CustomLines()) || AnyIndex(NameDumps[Dump].Names()) ||
           std::any_of(Cables.begin(), Cables.end(),
                       [&](const TCableDef& C) { return Moves(C.Module1) || Moves(C.Module2); }) ||
           AnyAssignment(MorphMapDump) || AnyAssignment(KnobMapDump) || AnyAssignment(ControlMapDump);
}

void TPatchDef::SwapModules(uint8_t AreaCode, int32_t IndexA, int32_t IndexB)
{
    Renumber(AreaCode, TRenumbering::Swap(IndexA, IndexB));
}

TRenumbering TPatchDef::SwapRenumbering(uint8_t AreaCode, int32_t IndexA, int32_t IndexB) const
{
    if (IsArea(AreaCode)) {
        const TModuleDefs& Modules = ModuleDumps[DumpOf(AreaCode)].Modules();
        const auto Used = [&Modules](int32_t Index) {
            return std::any_of(Modules.begin(), Modules.end(), [Index](const TModuleDef& M) { return M.ModuleIndex == Index; });
        };
        for (const auto& [Given, Taken] : {std::pair{IndexA, IndexB}, std::pair{IndexB, IndexA}})
            if (Taken < 1 && Given != Taken && !Used(Taken) && Used(Given))
                throw ERenumberError(Format("The %s area has no module with index %d, and a module cannot take an "
                                            "index below 1",
                                            AreaName(AreaCode), Taken));
    }
    return TRenumbering::Swap(IndexA, IndexB);
}

TRenumbering TPatchDef::SignalFlowOrder(uint8_t AreaCode) const
{
    if (!IsArea(AreaCode))
        return {};
    const int Dump = DumpOf(AreaCode);
    return permuto::SignalFlowOrder(ModuleDumps[Dump], CableDumps[Dump], AreaCode);
}

TRenumbering TPatchDef::OrderBySignalFlow(uint8_t AreaCode)
{
    TRenumbering Map = SignalFlowOrder(AreaCode);
    Renumber(AreaCode, Map);
    return Map;
}

TRenumbering TPatchDef::ModuleMove(uint8_t AreaCode, int32_t From, int32_t To) const
{
    if (!IsArea(AreaCode))
        return {};
    return permuto::ModuleMove(ModuleDumps[DumpOf(AreaCode)], From, To, AreaCode);
}

TRenumbering TPatchDef::MoveModule(uint8_t AreaCode, int32_t From, int32_t To)
{
    TRenumbering Map = ModuleMove(AreaCode, From, To);
    Renumber(AreaCode, Map);
    return Map;
}

int32_t TPatchDef::NeighbourInOrder(uint8_t AreaCode, int32_t Index, int Step) const
{
    return permuto::NeighbourInOrder(ModuleDumps[DumpOf(AreaCode)], Index, Step);
}

std::vector<TFeed> TPatchDef::LateConnections(uint8_t AreaCode, size_t Limit, bool* Complete) const
{
    if (!IsArea(AreaCode)) {
        if (Complete != nullptr)
            *Complete = true;
        return {};
    }
    const int Dump = DumpOf(AreaCode);
    return permuto::LateConnections(ModuleDumps[Dump], CableDumps[Dump], Limit, Complete);
}

TLateCount TPatchDef::CountLate(uint8_t AreaCode) const
{
    if (!IsArea(AreaCode))
        return {};
    const int Dump = DumpOf(AreaCode);
    return permuto::CountLate(ModuleDumps[Dump], CableDumps[Dump]);
}

std::vector<std::vector<int32_t>> TPatchDef::FeedbackGroups(uint8_t AreaCode) const
{
    if (!IsArea(AreaCode))
        return {};
    const int Dump = DumpOf(AreaCode);
    return permuto::FeedbackGroups(ModuleDumps[Dump], CableDumps[Dump]);
}

} // namespace permuto
