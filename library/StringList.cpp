#include "StringList.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "Errors.h"
#include "Files.h"
#include "Memory.h"

namespace permuto {

namespace {

// A writing-only list hands its text on in pieces of about this size.
constexpr size_t SinkPiece = size_t(1) << 20;

// Places in the text are 32-bit.
constexpr size_t MaxText = UINT32_MAX;

// The text is looked at 64 bytes at a time: bit I of a mask stands for byte I
// of the block.
constexpr size_t Block = 64;

struct TBlockMasks {
    uint64_t Breaks = 0; // CR or LF
    uint64_t Lfs = 0;
    uint64_t Nuls = 0;
};

inline TBlockMasks ScanBlock(const char* P)
{
    TBlockMasks Masks;
#if defined(__SSE2__)
    const __m128i Lf = _mm_set1_epi8('\n');
    const __m128i Cr = _mm_set1_epi8('\r');
    const __m128i Zero = _mm_setzero_si128();
    for (size_t Part = 0; Part < Block / 16; ++Part) {
        const __m128i Bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(P + 16 * Part));
        const __m128i IsLf = _mm_cmpeq_epi8(Bytes, Lf);
        const __m128i Break = _mm_or_si128(IsLf, _mm_cmpeq_epi8(Bytes, Cr));
        Masks.Breaks |= uint64_t{static_cast<uint16_t>(_mm_movemask_epi8(Break))} << (16 * Part);
        Masks.Lfs |= uint64_t{static_cast<uint16_t>(_mm_movemask_epi8(IsLf))} << (16 * Part);
        Masks.Nuls |= uint64_t{static_cast<uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(Bytes, Zero)))} << (16 * Part);
    }
#else
    for (size_t I = 0; I < Block; ++I) {
        Masks.Breaks |= uint64_t{P[I] == '\n' || P[I] == '\r'} << I;
        Masks.Lfs |= uint64_t{P[I] == '\n'} << I;
        Masks.Nuls |= uint64_t{P[I] == '\0'} << I;
    }
#endif
    return Masks;
}

// The masks of the block at Offset; a short last block is padded with bytes
// that are neither breaks nor NULs.
inline TBlockMasks ScanBlockAt(const char* Text, size_t Size, size_t Offset)
{
    if (Size - Offset >= Block)
        return ScanBlock(Text + Offset);
    char Tail[Block];
    std::memset(Tail, 'x', Block);
    std::memcpy(Tail, Text + Offset, Size - Offset);
    return ScanBlock(Tail);
}

// The number of line breaks (a CR LF pair counts once) before the first NUL,
// and where that NUL is (Size when there is none).
std::pair<size_t, size_t> CountBreaksToNul(const char* Text, size_t Size)
{
    size_t Count = 0;
    uint64_t CrBefore = 0; // 1 when the block before ended with a CR
    for (size_t Offset = 0; Offset < Size; Offset += Block) {
        const TBlockMasks Masks = ScanBlockAt(Text, Size, Offset);
        const uint64_t Crs = Masks.Breaks & ~Masks.Lfs;
        // Every break but the LF right after a CR.
        uint64_t Lines = Masks.Breaks & ~(Masks.Lfs & ((Crs << 1) | CrBefore));
        CrBefore = Crs >> 63;
        if (Masks.Nuls != 0) {
            const unsigned At = static_cast<unsigned>(std::countr_zero(Masks.Nuls));
            Lines &= (uint64_t{1} << At) - 1;
            return {Count + static_cast<size_t>(std::popcount(Lines)), Offset + At};
        }
        Count += static_cast<size_t>(std::popcount(Lines));
    }
    return {Count, Size};
}

} // namespace

void AppendNumbers(std::string& Text, std::initializer_list<int32_t> Numbers)
{
    // Written in place: room for the longest numbers first, cut to what they
    // took after. Most numbers of a patch are below 100.
    const size_t Old = Text.size();
    Text.resize(Old + 12 * Numbers.size());
    char* const Begin = Text.data() + Old;
    char* End = Begin;
    for (const int32_t Number : Numbers) {
        if (End != Begin)
            *End++ = ' ';
        if (static_cast<uint32_t>(Number) < 10) {
            *End++ = static_cast<char>('0' + Number);
        } else if (static_cast<uint32_t>(Number) < 100) {
            *End++ = static_cast<char>('0' + Number / 10);
            *End++ = static_cast<char>('0' + Number % 10);
        } else {
            End = std::to_chars(End, End + 11, Number).ptr;
        }
    }
    Text.resize(Old + static_cast<size_t>(End - Begin));
}

void TStringList::ThrowIndexError(int32_t Index)
{
    throw EListError(Index);
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
    // One entry per line break and one for a last line without a break is
    // exactly enough room; counting them first keeps the list from growing
    // (and copying itself) while it is filled.
    const auto [Breaks, Nul] = CountBreaksToNul(Bytes.data(), Bytes.size());
    if (Nul < Bytes.size()) {
        FNulAt = static_cast<int64_t>(Nul);
        Bytes.resize(Nul);
    }
    if (Bytes.size() > MaxText)
        throw EIntOverflow();
    if (Breaks + 1 > static_cast<size_t>(MaxLines))
        throw EIntOverflow();
    FText = std::move(Bytes);
    FJoined = false;
    const char* const Text = FText.data();
    const size_t N = FText.size();
    FLines.reserve(Breaks + 1);
    AdviseHugePages(FLines.data(), FLines.capacity() * sizeof(TSpan));
    // A line ends at CR, LF or CR LF; the text after the last break is a line
    // of its own.
    size_t Start = 0;
    size_t LfOfCrLf = N; // the LF that belongs to the CR just taken
    const auto AddLine = [this](size_t From, size_t To) {
        if (To - From > static_cast<size_t>(INT32_MAX) - 2)
            throw EIntOverflow(); // positions in a line are 32-bit
        FLines.push_back({static_cast<uint32_t>(From), static_cast<uint32_t>(To - From)});
    };
    for (size_t Offset = 0; Offset < N; Offset += Block) {
        for (uint64_t Breaks = ScanBlockAt(Text, N, Offset).Breaks; Breaks != 0; Breaks &= Breaks - 1) {
            const size_t End = Offset + static_cast<size_t>(std::countr_zero(Breaks));
            if (End == LfOfCrLf)
                continue;
            AddLine(Start, End);
            Start = End + 1;
            if (Text[End] == '\r' && Start < N && Text[Start] == '\n')
                LfOfCrLf = Start++;
        }
    }
    if (Start < N)
        AddLine(Start, N);
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
