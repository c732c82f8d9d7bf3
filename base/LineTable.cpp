#include "LineTable.h"

#include <bit>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "Errors.h"
#include "Memory.h"

namespace permuto {

namespace {

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

void TLineTable::ThrowIndexError(int32_t Index)
{
    throw EListError(Index);
}

TLineTable::TLineTable(std::string Bytes)
{
    // One entry per line break and one for a last line without a break is
    // exactly enough room; counting them first keeps the table from growing
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
    FSourceSize = FText.size();
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
    FindBrackets();
}

TLineTable::TLineTable(const std::vector<std::string_view>& Lines)
{
    for (const std::string_view Line : Lines) {
        if (FText.size() + Line.size() + 1 > MaxText || FLines.size() == static_cast<size_t>(MaxLines))
            throw EIntOverflow();
        FLines.push_back({static_cast<uint32_t>(FText.size()), static_cast<uint32_t>(Line.size())});
        FText.append(Line).push_back('\n');
    }
    FSourceSize = FText.size();
    FindBrackets();
}

TLineTable::TLineTable(const TLineTable& Other, int32_t First, int32_t End)
{
    if (First < 0 || First > End || End > Other.Count())
        throw EListError(First < 0 || First > Other.Count() ? First : End);
    size_t Bytes = 0;
    for (int32_t I = First; I < End; ++I)
        Bytes += Other.FLines[static_cast<size_t>(I)].Length + 1;
    FText.reserve(Bytes); // no spare room: a part can be most of a file
    FLines.reserve(static_cast<size_t>(End - First));
    for (int32_t I = First; I < End; ++I) {
        const std::string_view Line = Other[I];
        FLines.push_back({static_cast<uint32_t>(FText.size()), static_cast<uint32_t>(Line.size())});
        FText.append(Line).push_back('\n');
    }
    FSourceSize = FText.size();
    FindBrackets();
}

void TLineTable::FindBrackets()
{
    FBrackets.clear();
    for (size_t I = 0; I < FLines.size(); ++I)
        if (FLines[I].Length > 0 && FText[FLines[I].Start] == '[')
            FBrackets.push_back(static_cast<int32_t>(I));
}

void TLineTable::Split(const std::vector<TSplit>& Splits)
{
    if (Splits.empty())
        return;
    if (FLines.size() + Splits.size() > static_cast<size_t>(MaxLines))
        throw EIntOverflow();
    std::vector<TSpan> Lines;
    Lines.reserve(FLines.size() + Splits.size());
    auto Next = Splits.begin();
    for (size_t I = 0; I < FLines.size(); ++I) {
        if (Next == Splits.end() || static_cast<size_t>(Next->Line) != I) {
            Lines.push_back(FLines[I]);
            continue;
        }
        const TSpan Whole = FLines[I];
        if (Next->At > Whole.Length || FText.size() + Next->Head.size() > MaxText)
            throw EIntOverflow();
        Lines.push_back({static_cast<uint32_t>(FText.size()), static_cast<uint32_t>(Next->Head.size())});
        FText.append(Next->Head);
        Lines.push_back({Whole.Start + Next->At, Whole.Length - Next->At});
        ++Next;
    }
    FLines = std::move(Lines);
    FindBrackets();
}

} // namespace permuto
