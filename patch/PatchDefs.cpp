#include "PatchDefs.h"

#include <algorithm>
#include <future>
#include <system_error>

#include "base/Files.h"
#include "base/SideBySide.h"

namespace permuto {

namespace {

// One section of the document, and everything the document does with it.
// The table below lists them in the order they are written (the file's
// layout); clearing, reading, renumbering and asking whether a renumbering
// changes anything walk the same table.
struct TSection {
    TSectionName Name;
    // False for the header, which is found by its version line.
    bool FoundByHeader;
    // Read on the second thread of a large load (about half of its work).
    bool OnSecondThread;
    void (*Clear)(TPatchDef& Patch);
    void (*Read)(TPatchDef& Patch, const TPatchText& Text);
    void (*Write)(const TPatchDef& Patch, TLineWriter& Lines);
    // Null for the sections that refer to no module.
    void (*Renumber)(TPatchDef& Patch, TArea Area, const TRenumbering& Map);
    bool (*RefersTo)(const TPatchDef& Patch, TArea Area, const TRenumbering& Map);
    // Appends where its objects hold module numbers; null as Renumber is.
    void (*Fields)(const TPatchDef& Patch, std::vector<TPatchDef::TSectionFields>& Fields);
};

// A section that exists once per area: a pair of dumps, poly first.
template <auto Pair>
constexpr TSection PairSection(std::string_view Name, bool OnSecondThread = false)
{
    return {{Name, true},
            true,
            OnSecondThread,
            [](TPatchDef& P) {
                for (const TArea Area : BothAreas) {
                    (P.*Pair)[Area].Clear();
                    (P.*Pair)[Area].Area = Area;
                }
            },
            [](TPatchDef& P, const TPatchText& Text) {
                for (const TArea Area : BothAreas)
                    (P.*Pair)[Area].LoadFromStrings(Area, Text);
            },
            [](const TPatchDef& P, TLineWriter& Lines) {
                for (const auto& Dump : P.*Pair)
                    Dump.SaveToStrings(Lines);
            },
            [](TPatchDef& P, TArea Area, const TRenumbering& Map) { (P.*Pair)[Area].Renumber(Map); },
            [](const TPatchDef& P, TArea Area, const TRenumbering& Map) {
                return (P.*Pair)[Area].RefersTo(Map);
            },
            [](const TPatchDef& P, std::vector<TPatchDef::TSectionFields>& Fields) {
                for (const auto& Dump : P.*Pair) {
                    using TRecord = std::remove_cvref_t<decltype(Dump.Items(0))>;
                    Fields.push_back({&Dump.Fields(), TRecord::LineWord, Dump.Area,
                                      [&Dump](std::string_view Text, TFieldSink& Sink) { Dump.LocateModules(Text, Sink); }});
                }
            }};
}

// A section that exists once in the patch.
template <auto Member>
constexpr TSection SingleSection(std::string_view Name, bool FoundByHeader = true)
{
    return {{Name, false},
            FoundByHeader,
            false,
            [](TPatchDef& P) { (P.*Member).Clear(); },
            [](TPatchDef& P, const TPatchText& Text) { (P.*Member).LoadFromStrings(Text); },
            [](const TPatchDef& P, TLineWriter& Lines) { (P.*Member).SaveToStrings(Lines); },
            nullptr,
            nullptr,
            nullptr};
}

// A patch-wide map of assignments to module parameters of either area.
template <auto Map>
constexpr TSection MapSection(std::string_view Name)
{
    TSection Section = SingleSection<Map>(Name);
    Section.Renumber = [](TPatchDef& P, TArea Area, const TRenumbering& Renumbering) {
        (P.*Map).Renumber(Area, Renumbering);
    };
    Section.RefersTo = [](const TPatchDef& P, TArea Area, const TRenumbering& Renumbering) {
        return (P.*Map).RefersTo(Area, Renumbering);
    };
    Section.Fields = [](const TPatchDef& P, std::vector<TPatchDef::TSectionFields>& Fields) {
        using TAssignment = std::remove_cvref_t<decltype((P.*Map).Items(0))>;
        const auto& Dump = P.*Map;
        Fields.push_back({&Dump.Fields(), TAssignment::LineWord, std::nullopt,
                          [&Dump](std::string_view Text, TFieldSink& Sink) { Dump.LocateModules(Text, Sink); }});
    };
    return Section;
}

// Writes the current notes. Every reader takes the first header of its
// section in the file: with the current-note section left out, a note line
// that looks like its header would be read as one on the next load, and the
// line after it would become current notes. The empty section, written ahead
// of the notes, keeps such a patch the same from save to load.
void WriteCurrentNotes(const TPatchDef& P, TLineWriter& Lines)
{
    const std::string CurrentNotes = SectionPrefix(TCurrentNoteDump::SectionName);
    const auto LooksLikeHeader = [&](std::string_view Line) { return StartsWithText(Line, CurrentNotes); };
    P.CurrentNoteDump.SaveToStrings(Lines, std::any_of(P.Notes.begin(), P.Notes.end(), LooksLikeHeader));
}

constexpr TSection CurrentNotesSection()
{
    TSection Section = SingleSection<&TPatchDef::CurrentNoteDump>(TCurrentNoteDump::SectionName);
    Section.Write = WriteCurrentNotes;
    return Section;
}

const TSection Sections[] = {
    SingleSection<&TPatchDef::Header>(THeader::SectionName, false),
    PairSection<&TPatchDef::ModuleDumps>(TModuleDef::SectionName),
    CurrentNotesSection(),
    PairSection<&TPatchDef::CableDumps>(TCableDef::SectionName),
    PairSection<&TPatchDef::ParameterDumps>(TParameterLine::SectionName, true),
    PairSection<&TPatchDef::CustomDumps>(TCustomLine::SectionName, true),
    MapSection<&TPatchDef::MorphMapDump>(TMorphAssignment::SectionName),
    SingleSection<&TPatchDef::KeyboardAssignment>(TKeyboardAssignment::SectionName),
    MapSection<&TPatchDef::KnobMapDump>(TKnobAssignment::SectionName),
    MapSection<&TPatchDef::ControlMapDump>(TControlAssignment::SectionName),
    PairSection<&TPatchDef::NameDumps>(TModuleName::SectionName),
    SingleSection<&TPatchDef::Notes>(TNotes::SectionName),
};

} // namespace

std::span<const TSectionName> PatchSectionNames()
{
    static const std::vector<TSectionName> Names = [] {
        std::vector<TSectionName> Found;
        for (const TSection& Section : Sections)
            if (Section.FoundByHeader)
                Found.push_back(Section.Name);
        // The control map under the header earlier versions of Permuto wrote.
        Found.push_back({TControlAssignment::OtherSectionName, false});
        return Found;
    }();
    return Names;
}

void TPatchDef::Clear()
{
    for (const TSection& Section : Sections)
        Section.Clear(*this);
    FSource.reset();
    FTextForgotten = false;
    FSinceRead = {};
    FOlderLayout = false;
}

void TPatchDef::LoadFromFile(const std::string& Name)
{
    TFileIdentity Identity;
    TPatchDef Loaded;
    Loaded.LoadFromStrings(TPatchText(ReadFileBytes(Name, &Identity)));
    Loaded.FLoadedIdentity = Identity;
    *this = std::move(Loaded);
}

void TPatchDef::LoadFromStrings(TPatchText Text)
{
    TPatchDef Loaded;
    Loaded.ReadSections(Text);
    Loaded.FSource = std::make_shared<const std::string>(std::move(Text).TakeSource());
    *this = std::move(Loaded);
}

namespace {

// The editor's older layout: a section per module, "[Module 1]", and no
// module dump at all.
bool InOlderLayout(const TPatchText& Text)
{
    if (!Text.Headers(TModuleDef::SectionName).empty())
        return false;
    const TLineTable& Lines = Text.Lines();
    return std::any_of(Lines.BracketLines().begin(), Lines.BracketLines().end(), [&Lines](int32_t Line) {
        const std::string_view Header = Lines[Line];
        return StartsWithText(Header, "[Module ") && Header.size() > 8 && Header[8] >= '0' && Header[8] <= '9';
    });
}

} // namespace

void TPatchDef::ReadSections(const TPatchText& Text)
{
    FLooksLikePatch = Text.HoldsASection();
    FNulAt = Text.Lines().NulAt();
    FOlderLayout = InOlderLayout(Text);
    // Readers only read the text, so they may run side by side: the
    // parameter and custom values of a large patch are read on a second
    // thread while this one reads the rest. A patch of a few thousand lines
    // is read faster than a thread starts.
    constexpr int32_t LinesWorthAThread = 16384;
    const auto ReadValues = [this, &Text] {
        for (const TSection& Section : Sections)
            if (Section.OnSecondThread)
                Section.Read(*this, Text);
    };
    std::future<void> Values;
    if (ThreadsAtHand && Text.Count() >= LinesWorthAThread) {
        try {
            Values = std::async(std::launch::async, ReadValues);
        } catch (const std::system_error&) {
            // No thread to be had: the values are read below, in their turn.
        }
    }
    for (const TSection& Section : Sections)
        if (!Section.OnSecondThread)
            Section.Read(*this, Text);
    if (Values.valid())
        Values.get();
    else
        ReadValues();
}

void TPatchDef::SaveToStrings(TLineWriter& Lines) const
{
    for (const TSection& Section : Sections)
        Section.Write(*this, Lines);
}

std::vector<TPatchDef::TSectionFields> TPatchDef::SectionFields() const
{
    std::vector<TSectionFields> Fields;
    for (const TSection& Section : Sections)
        if (Section.Fields != nullptr)
            Section.Fields(*this, Fields);
    return Fields;
}

void TPatchDef::Renumber(TArea Area, const TRenumbering& Map)
{
    for (const TSection& Section : Sections)
        if (Section.Renumber != nullptr)
            Section.Renumber(*this, Area, Map);
    FSinceRead[Area] = FSinceRead[Area].FollowedBy(Map);
}

bool TPatchDef::ChangedBy(TArea Area, const TRenumbering& Map) const
{
    if (Map.IsIdentity())
        return false;
    return std::any_of(std::begin(Sections), std::end(Sections), [&](const TSection& Section) {
        return Section.RefersTo != nullptr && Section.RefersTo(*this, Area, Map);
    });
}

void TPatchDef::SwapModules(TArea Area, int32_t IndexA, int32_t IndexB)
{
    Renumber(Area, TRenumbering::Swap(IndexA, IndexB));
}

TRenumbering TPatchDef::SwapRenumbering(TArea Area, int32_t IndexA, int32_t IndexB) const
{
    const TModuleDefs& Modules = ModuleDumps[Area].Modules();
    const auto Used = [&Modules](int32_t Index) {
        return std::any_of(Modules.begin(), Modules.end(), [Index](const TModuleDef& M) { return M.ModuleIndex == Index; });
    };
    for (const auto& [Given, Taken] : {std::pair{IndexA, IndexB}, std::pair{IndexB, IndexA}})
        if (Taken < 1 && Given != Taken && !Used(Taken) && Used(Given))
            throw ERenumberError(Format("The %s area has no module with index %d, and a module cannot take an "
                                        "index below 1",
                                        AreaName(Area), Taken));
    return TRenumbering::Swap(IndexA, IndexB);
}

} // namespace permuto
