#include "Header.h"

#include "SectionDump.h"
#include "library/Scanner.h"

namespace permuto {

namespace {

// A ranged reader of the scanner; nullptr stands for the plain integer reader.
using TByteReader = bool (*)(const std::string&, int32_t&, const TCharSet&, uint8_t&);

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
bool ReadField(TByteReader Reader, const std::string& Line, int32_t& Pos, int32_t& Value)
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

int32_t THeader::VersionLineIndex(const TStringList& Lines)
{
    const int32_t Index = FindLineStartingWith(Lines, "Version");
    (void)Lines[Index];     // no version line
    (void)Lines[Index + 1]; // no numbers line after it
    return Index;
}

void THeader::LoadFromStrings(const TStringList& Lines)
{
    Clear();
    const int32_t Index = VersionLineIndex(Lines);
    const std::string& VersionLine = Lines[Index];
    const size_t Equals = VersionLine.find('=');
    Version = Equals == std::string::npos ? VersionLine : VersionLine.substr(Equals + 1);

    const std::string& Numbers = Lines[Index + 1];
    int32_t Pos = 1;
    for (int I = 0; I < ValueCount; ++I)
        if (!ReadField(Fields[I].Reader, Numbers, Pos, FValues[static_cast<size_t>(I)]))
            break;
}

void THeader::SaveToStrings(TStringList& Lines) const
{
    Lines.Add("[Header]");
    Lines.Add("Version=" + Version);
    std::string Numbers;
    for (int I = 0; I < ValueCount; ++I) {
        if (I > 0)
            Numbers += ' ';
        AppendNumbers(Numbers, {FValues[static_cast<size_t>(I)]});
    }
    Lines.Add(std::move(Numbers));
    Lines.Add("[/Header]");
}

} // namespace permuto
