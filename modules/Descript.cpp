#include "Descript.h"

#include "base/Errors.h"
#include "base/Files.h"

namespace permuto {

namespace {

std::string Quoted(const std::string& Text)
{
    return "\"" + Text + "\"";
}

std::string RangeText(TSevenBitValue Low, TSevenBitValue High)
{
    return std::to_string(Low) + ".." + std::to_string(High);
}

// The first token of a line, upper-cased; Pos is left behind it.
std::string Keyword(std::string_view Line, int32_t& Pos)
{
    std::string Token;
    ReadToken(Line, Pos, FieldSeparators, Token);
    return UpperCaseAscii(Token);
}

bool IsCommentLine(std::string_view Line)
{
    return !Line.empty() && (Line[0] == ' ' || Line[0] == '-' || Line[0] == ';');
}

} // namespace

void TDescriptor::LoadItemFromStrings(const TLineTable& Lines, int32_t ItemIndex, int32_t& Index)
{
    if (Index >= Lines.Count())
        return;
    std::string_view Line = Lines[Index];
    int32_t Pos = 1;
    int32_t Read = 0;
    if (!ReadInteger(Line, Pos, FieldSeparators, Read) || Read != ItemIndex)
        return;
    ReadToken(Line, Pos, FieldSeparators, Name);
    if (!ReadItemFields(Line, Pos))
        Pos = 1;
    if (Pos > 1)
        ++Index;
}

void TDescriptor::SaveItemToStrings(TLineWriter& Lines, int32_t ItemIndex) const
{
    Lines.Add(std::to_string(ItemIndex) + " " + Quoted(Name));
}

bool TKnobDescriptor::ReadItemFields(std::string_view Line, int32_t& Pos)
{
    // A range that does not read leaves Pos on its text, which the number then reads.
    ReadValueRange(Line, Pos, FieldSeparators, Low, High);
    ReadInteger(Line, Pos, FieldSeparators, Number);
    ReadToken(Line, Pos, FieldSeparators, Text);
    return true;
}

void TKnobDescriptor::SaveItemToStrings(TLineWriter& Lines, int32_t ItemIndex) const
{
    Lines.Add(std::to_string(ItemIndex) + " " + Quoted(Name) + " " + RangeText(Low, High) + " " +
              std::to_string(Number) + " " + Quoted(Text));
}

bool TConnectorDescriptor::ReadItemFields(std::string_view Line, int32_t& Pos)
{
    std::string ClassName;
    ReadToken(Line, Pos, FieldSeparators, ClassName);
    try {
        ConnectorClass = ConnectorClassFromName(ClassName);
    } catch (const EConvertError&) {
        return false;
    }
    return true;
}

void TConnectorDescriptor::SaveItemToStrings(TLineWriter& Lines, int32_t ItemIndex) const
{
    Lines.Add(std::to_string(ItemIndex) + " " + Quoted(Name) + " " + ConnectorClassToName(ConnectorClass));
}

bool TCustomDescriptor::ReadItemFields(std::string_view Line, int32_t& Pos)
{
    ReadValueRange(Line, Pos, FieldSeparators, Low, High);
    ReadToken(Line, Pos, FieldSeparators, Text);
    return true;
}

void TCustomDescriptor::SaveItemToStrings(TLineWriter& Lines, int32_t ItemIndex) const
{
    Lines.Add(std::to_string(ItemIndex) + " " + Quoted(Name) + " " + RangeText(Low, High) + " " + Quoted(Text));
}

TConnectorDescriptor TConnectorDescriptors::NewItem() const
{
    TConnectorDescriptor Item;
    Item.Kind = Kind;
    return Item;
}

void TModuleDescriptor::LoadFromStrings(const TLineTable& Lines, int32_t& Index)
{
    const int32_t Start = Index;
    if (!ReadEntry(Lines, Index))
        Index = Start;
}

bool TModuleDescriptor::ReadEntry(const TLineTable& Lines, int32_t& Index)
{
    const auto HasLine = [&] { return Index < Lines.Count(); };
    const auto WholeLineIs = [&](const char* Word) { return HasLine() && UpperCaseAscii(Lines[Index]) == Word; };

    if (!HasLine())
        return false;
    int32_t Pos = 1;
    if (!ReadInteger(Lines[Index], Pos, FieldSeparators, TypeNumber))
        return false;
    ReadToken(Lines[Index], Pos, FieldSeparators, Name);
    ++Index;

    if (HasLine()) {
        Pos = 1;
        if (Keyword(Lines[Index], Pos) == "REMARKS") {
            ReadToken(Lines[Index], Pos, FieldSeparators, Remarks);
            ++Index;
        }
    }

    const std::pair<const char*, long double*> Figures[] = {{"CYCLES", &Cycles},     {"PROGMEM", &ProgMem},
                                                            {"XMEM", &XMem},         {"YMEM", &YMem},
                                                            {"ZEROPAGE", &ZeroPage}, {"DYNMEM", &DynMem}};
    for (const auto& [Word, Figure] : Figures) {
        Pos = 1;
        if (!HasLine() || Keyword(Lines[Index], Pos) != Word)
            return false;
        ReadFloat(Lines[Index], Pos, FieldSeparators, *Figure);
        ++Index;
    }

    Pos = 1;
    if (!HasLine() || Keyword(Lines[Index], Pos) != "HEIGHT" ||
        !ReadInteger(Lines[Index], Pos, FieldSeparators, Height))
        return false;
    ++Index;

    if (!WholeLineIs("PARAMETERS"))
        return false;
    ++Index;
    Parameters.LoadFromStrings(Lines, Index);
    if (!WholeLineIs("INPUTS"))
        return false;
    ++Index;
    Inputs.LoadFromStrings(Lines, Index);
    if (!WholeLineIs("OUTPUTS"))
        return false;
    ++Index;
    Outputs.LoadFromStrings(Lines, Index);
    if (WholeLineIs("CUSTOM")) {
        ++Index;
        Customs.LoadFromStrings(Lines, Index);
    }
    if (HasLine() && !Lines[Index].empty() && Lines[Index][0] == '-')
        ++Index;
    return true;
}

void TModuleDescriptor::SaveToStrings(TLineWriter& Lines) const
{
    Lines.Add(std::to_string(TypeNumber) + " " + Name);
    Lines.Add("remarks " + Quoted(Remarks));
    Lines.Add("cycles " + FormatFloat75(Cycles));
    Lines.Add("progMem " + FormatFloat75(ProgMem));
    Lines.Add("xmem " + FormatFloat75(XMem));
    Lines.Add("ymem " + FormatFloat75(YMem));
    Lines.Add("zeropage " + FormatFloat75(ZeroPage));
    Lines.Add("dynmem " + FormatFloat75(DynMem));
    Lines.Add("height " + std::to_string(Height));
    Lines.Add("parameters");
    Parameters.SaveToStrings(Lines);
    Lines.Add("inputs");
    Inputs.SaveToStrings(Lines);
    Lines.Add("outputs");
    Outputs.SaveToStrings(Lines);
    Lines.Add("custom");
    Customs.SaveToStrings(Lines);
    Lines.Add("----------");
}

const TModuleDescriptor& TIndexedDescriptors::Items(int32_t Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError(Index);
    return *FItems[static_cast<size_t>(Index)];
}

void TIndexedDescriptors::Clear()
{
    FByType.clear();
    FItems.clear();
}

void TIndexedDescriptors::Add(std::unique_ptr<TModuleDescriptor> Descriptor)
{
    FByType.emplace(Descriptor->TypeNumber, Descriptor.get()); // an earlier entry of the type stays
    FItems.push_back(std::move(Descriptor));
}

const TModuleDescriptor* TIndexedDescriptors::FindByType(int32_t TypeNumber) const
{
    const auto Found = FByType.find(TypeNumber);
    return Found == FByType.end() ? nullptr : Found->second;
}

void TModuleDescriptors::LoadFromFile(const std::string& FileName)
{
    LoadFromStrings(TLineTable(ReadFileBytes(FileName)));
}

void TModuleDescriptors::LoadFromStrings(const TLineTable& Lines)
{
    Clear();
    int32_t Index = 0;
    while (Index < Lines.Count()) {
        while (Index < Lines.Count() && IsCommentLine(Lines[Index]))
            ++Index;
        if (Index >= Lines.Count())
            return;
        auto Descriptor = std::make_unique<TModuleDescriptor>();
        const int32_t Start = Index;
        Descriptor->LoadFromStrings(Lines, Index);
        if (Index == Start)
            return;
        Add(std::move(Descriptor));
    }
}

TModuleDescriptors& ModuleDescriptors()
{
    static TModuleDescriptors Library;
    return Library;
}

} // namespace permuto
