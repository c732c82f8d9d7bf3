#include "StringList.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>

#include "Errors.h"
#include "Files.h"

namespace permuto {

namespace {

// A writing-only list hands its text on in pieces of about this size.
constexpr size_t SinkPiece = size_t(1) << 20;

// Places in the text are 32-bit.
constexpr size_t MaxText = UINT32_MAX;

// Line breaks, looked for eight bytes at a time: a byte is CR or LF exactly
// when the high bit of that byte is set in BreakBits.
constexpr uint64_t Ones = 0x0101010101010101ull;
constexpr uint64_t Low7 = 0x7F7F7F7F7F7F7F7Full;

inline uint64_t ZeroBytes(uint64_t Word)
{
    return ~(((Word & Low7) + Low7) | Word | Low7);
}

inline uint64_t BreakBits(const char* P)
{
    uint64_t Word;
    std::memcpy(&Word, P, sizeof Word);
    return ZeroBytes(Word ^ (Ones * '\n')) | ZeroBytes(Word ^ (Ones * '\r'));
}

inline bool IsBreak(char C)
{
    return C == '\n' || C == '\r';
}

// The first CR or LF in [P, End), or End.
const char* FindBreak(const char* P, const char* End)
{
    if constexpr (std::endian::native == std::endian::little)
        for (; End - P >= 8; P += 8)
            if (const uint64_t Bits = BreakBits(P))
                return P + std::countr_zero(Bits) / 8;
    while (P < End && !IsBreak(*P))
        ++P;
    return P;
}

size_t CountBreaks(const char* P, const char* End)
{
    size_t Count = 0;
    for (; End - P >= 8; P += 8) // the high bit of each byte, summed by one multiplication
        Count += static_cast<size_t>(((BreakBits(P) >> 7) * Ones) >> 56);
    for (; P < End; ++P)
        Count += IsBreak(*P);
    return Count;
}

} // namespace

void AppendNumbers(std::string& Text, std::initializer_list<int32_t> Numbers)
{
    // Formatted side by side first, then appended at once.
    char Buffer[12 * 24];
    char* End = Buffer;
    bool First = true;
    for (int32_t Number : Numbers) {
        if (End + 12 > Buffer + sizeof Buffer) {
            Text.append(Buffer, End);
            End = Buffer;
        }
        if (!First)
            *End++ = ' ';
        First = false;
        End = std::to_chars(End, Buffer + sizeof Buffer, Number).ptr;
    }
    Text.append(Buffer, End);
}

std::string_view TStringList::operator[](int32_t Index) const
{
    if (Index < 0 || Index >= Count() || FSink)
        throw EListError(Index);
    const TSpan Span = FLines[static_cast<size_t>(Index)];
    return std::string_view(FText).substr(Span.Start, Span.Length);
}

void TStringList::Add(std::string_view Line)
{
    if (Line.data() >= FText.data() && Line.data() < FText.data() + FText.size()) {
        const std::string Copy(Line); // a line of this very list: the text may move as it grows
        AddLine([&Copy](std::string& Text) { Text.append(Copy); });
    } else {
        AddLine([Line](std::string& Text) { Text.append(Line); });
    }
}

void TStringList::EndLine(size_t Start)
{
    // A line that cannot be added leaves the list as it was: its text is
    // taken back, and the count grows only once the line is in.
    const size_t Length = FText.size() - Start;
    try {
        FText.push_back('\r');
        FText.push_back('\n');
        if (FSink) {
            ++FCount; // nothing is kept, so nothing can overflow
            if (FText.size() >= SinkPiece)
                Flush();
            return;
        }
        if (FText.size() > MaxText || FCount == MaxLines)
            throw EIntOverflow();
        FLines.push_back({static_cast<uint32_t>(Start), static_cast<uint32_t>(Length)});
    } catch (...) {
        FText.resize(Start);
        throw;
    }
    ++FCount;
    if (Length > 0 && FText[Start] == '[')
        FBracketsKnown = false;
}

TStringList::TSpan TStringList::AppendText(std::string_view Line)
{
    if (FText.size() + Line.size() + 2 > MaxText)
        throw EIntOverflow();
    const TSpan Span{static_cast<uint32_t>(FText.size()), static_cast<uint32_t>(Line.size())};
    FText.reserve(FText.size() + Line.size() + 2); // all or nothing
    FText.append(Line);
    FText += "\r\n";
    return Span;
}

void TStringList::Insert(int32_t Index, std::string_view Line)
{
    if (Index < 0 || Index > Count() || FSink)
        throw EListError(Index);
    if (Index == Count()) {
        Add(Line);
        return;
    }
    if (FCount == MaxLines)
        throw EIntOverflow();
    const TSpan Span = AppendText(Line);
    FJoined = false; // the text now holds a line out of its order
    FLines.insert(FLines.begin() + Index, Span);
    ++FCount;
    FBracketsKnown = false;
}

void TStringList::Replace(int32_t Index, std::string_view Line)
{
    if (Index < 0 || Index >= Count() || FSink)
        throw EListError(Index);
    const std::string Copy(Line); // Line may lie in the text that grows
    FLines[static_cast<size_t>(Index)] = AppendText(Copy);
    FJoined = false;
    FBracketsKnown = false;
}

void TStringList::Reserve(size_t Lines, size_t Bytes)
{
    FLines.reserve(FLines.size() + Lines);
    FText.reserve(FText.size() + Bytes + 2 * Lines);
}

void TStringList::Clear()
{
    FNulAt = -1;
    FText.clear();
    FLines.clear();
    FCount = 0;
    FJoined = true;
    FBracketsKnown = false;
}

void TStringList::SetText(std::string Bytes)
{
    Clear();
    const size_t Nul = Bytes.find('\0');
    if (Nul != std::string::npos) {
        FNulAt = static_cast<int64_t>(Nul);
        Bytes.resize(Nul);
    }
    if (Bytes.size() > MaxText)
        throw EIntOverflow();
    FText = std::move(Bytes);
    FJoined = false;
    const char* const Text = FText.data();
    const size_t N = FText.size();
    // One entry per line break is enough room; counting them first keeps
    // the list from growing (and copying itself) while it is filled.
    const size_t Breaks = CountBreaks(Text, Text + N);
    if (Breaks + 1 > static_cast<size_t>(MaxLines))
        throw EIntOverflow();
    FLines.reserve(Breaks + 1);
    size_t Start = 0;
    while (Start < N) {
        const size_t End = static_cast<size_t>(FindBreak(Text + Start, Text + N) - Text);
        if (End - Start > static_cast<size_t>(INT32_MAX) - 2)
            throw EIntOverflow(); // positions in a line are 32-bit
        FLines.push_back({static_cast<uint32_t>(Start), static_cast<uint32_t>(End - Start)});
        const bool CrLf = End + 1 < N && Text[End] == '\r' && Text[End + 1] == '\n';
        Start = End + (CrLf ? 2 : 1);
    }
    FCount = static_cast<int32_t>(FLines.size());
}

std::string TStringList::Text() const
{
    if (FJoined)
        return FText;
    size_t Size = 0;
    for (const TSpan& Span : FLines)
        Size += Span.Length + 2;
    std::string Result;
    Result.reserve(Size);
    for (const std::string_view Line : *this) {
        Result += Line;
        Result += "\r\n";
    }
    return Result;
}

void TStringList::Flush()
{
    if (FSink && !FText.empty()) {
        FSink(FText);
        FText.clear();
    }
}

void TStringList::LoadFromFile(const std::string& FileName)
{
    SetText(ReadFileBytes(FileName));
}

void TStringList::SaveToFile(const std::string& FileName) const
{
    if (FJoined)
        WriteFileBytes(FileName, FText);
    else
        WriteFileBytes(FileName, Text());
}

int32_t TStringList::NextBracketLine(int32_t From) const
{
    if (!FBracketsKnown) {
        FBracketLines.clear();
        for (int32_t I = 0; I < FCount; ++I) {
            const TSpan Span = FLines[static_cast<size_t>(I)];
            if (Span.Length > 0 && FText[Span.Start] == '[')
                FBracketLines.push_back(I);
        }
        FBracketsKnown = true;
    }
    const auto Found = std::lower_bound(FBracketLines.begin(), FBracketLines.end(), From);
    return Found == FBracketLines.end() ? FCount : *Found;
}

} // namespace permuto
