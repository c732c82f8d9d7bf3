#include "Header.h"

#include "SectionDump.h"
#include "base/Scanner.h"

namespace permuto {

namespace {

// A ranged reader of the scanner; nullptr stands for the plain integer reader.
using TByteReader = bool (*)(std::string_view, int32_t&, const TCharSet&, uint8_t&);

struct THeaderField {
    TByteReader Reader;
    int32_t Default;
};

constexpr TByteReader Seven = ReadSevenBitValue;
constexpr TByteReader To1 = ReadRange0To1;

constexpr THeaderField Fields[THeader::ValueCount] = {
    {Seven, 0},   {Seven, 127}, {Seven, 0},   {Seven, 127}, {ReadRange0To24, 0}, {Seven, 0},
    {To1, 0},     {ReadRange1To32, 1},        {nullptr, 4000}, {ReadRange0To4, 2}, {To1, 0},
    {To1, 0},     {nullptr, 0}, {nullptr, 0}, {nullptr, 0}, {nullptr, 0},        {To1, 1},
    {To1, 1},     {To1, 1},     {To1, 1},     {To1, 1},     {To1, 1},            {To1, 1},
};

// Reads one field with its reader; Value receives the reader's fallback on failure.
bool ReadField(TByteReader Reader, std::string_view Line, int32_t& Pos, int32_t& Value)
{
    if (Reader == nullptr)
        return ReadInteger(Line, Pos, FieldSeparators, Value);
    uint8_t Byte = 0;
    const bool Ok = Reader(Line, Pos, FieldSeparators, Byte);
    Value = Byte;
    return Ok;
}

} // namespace

void THeader::Clear()
{
    for (int I = 0; I < ValueCount; ++I)
        FValues[static_cast<size_t>(I)] = Fields[I].Default;
}

void THeader::LoadFromStrings(const TPatchText& Text)
{
    Clear();
    // The header line itself is not looked for. Without a version line, or
    // with nothing after it, the list's index error ends the load, with the
    // number of lines of the file.
    const TLineTable& Lines = Text.Lines();
    const int32_t Index = FindLineStartingWith(Lines, "Version");
    if (Index + 1 >= Lines.Count())
        throw EListError(Text.LinesRead());
    std::string_view VersionLine = Lines[Index];
    std::string_view Numbers = Lines[Index + 1];
    const size_t Equals = VersionLine.find('=');
    FVersion = Equals == std::string::npos ? VersionLine : VersionLine.substr(Equals + 1);

    int32_t Pos = 1;
    for (int I = 0; I < ValueCount; ++I)
        if (!ReadField(Fields[I].Reader, Numbers, Pos, FValues[static_cast<size_t>(I)]))
            break;
}

void THeader::SaveToStrings(TLineWriter& Lines) const
{
    Lines.Add(SectionHeader(SectionName));
    Lines.Add("Version=" + FVersion);
    std::string Numbers;
    for (int I = 0; I < ValueCount; ++I) {
        if (I > 0)
            Numbers += ' ';
        AppendNumbers(Numbers, {FValues[static_cast<size_t>(I)]});
    }
    Lines.Add(std::move(Numbers));
    Lines.Add(SectionCloser(SectionName));
}

} // namespace permuto
