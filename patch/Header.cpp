#include "Header.h"

#include "SectionDump.h"
#include "library/Scanner.h"

namespace permuto {

namespace {

enum class TReader { SevenBit, Range0To24, Range0To1, Range1To32, Range0To4, Integer };

struct THeaderField {
    TReader Reader;
    int32_t Default;
};

constexpr THeaderField Fields[THeader::ValueCount] = {
    {TReader::SevenBit, 0},   {TReader::SevenBit, 127},  {TReader::SevenBit, 0},   {TReader::SevenBit, 127},
    {TReader::Range0To24, 0}, {TReader::SevenBit, 0},    {TReader::Range0To1, 0},  {TReader::Range1To32, 1},
    {TReader::Integer, 4000}, {TReader::Range0To4, 2},   {TReader::Range0To1, 0},  {TReader::Range0To1, 0},
    {TReader::Integer, 0},    {TReader::Integer, 0},     {TReader::Integer, 0},    {TReader::Integer, 0},
    {TReader::Range0To1, 1},  {TReader::Range0To1, 1},   {TReader::Range0To1, 1},  {TReader::Range0To1, 1},
    {TReader::Range0To1, 1},  {TReader::Range0To1, 1},   {TReader::Range0To1, 1},
};

// Reads one field with its reader; Value receives the reader's fallback on failure.
bool ReadField(TReader Reader, const std::string& Line, int32_t& Pos, int32_t& Value)
{
    uint8_t Byte = 0;
    bool Ok = false;
    switch (Reader) {
    case TReader::Integer:
        return ReadInteger(Line, Pos, FieldSeparators, Value);
    case TReader::SevenBit:
        Ok = ReadSevenBitValue(Line, Pos, FieldSeparators, Byte);
        break;
    case TReader::Range0To24:
        Ok = ReadRange0To24(Line, Pos, FieldSeparators, Byte);
        break;
    case TReader::Range0To1:
        Ok = ReadRange0To1(Line, Pos, FieldSeparators, Byte);
        break;
    case TReader::Range1To32:
        Ok = ReadRange1To32(Line, Pos, FieldSeparators, Byte);
        break;
    case TReader::Range0To4:
        Ok = ReadRange0To4(Line, Pos, FieldSeparators, Byte);
        break;
    }
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
