#include "ParameterValues.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "base/Errors.h"
#include "base/Scanner.h"

namespace permuto {

static_assert(sizeof(TSevenBitValue*) <= sizeof(TSevenBitValue) * 12, "the address must fit in the storage");

TSevenBitValue* TParameterValues::Heap() const
{
    TSevenBitValue* Values = nullptr;
    std::memcpy(&Values, FStorage, sizeof Values);
    return Values;
}

void TParameterValues::SetHeap(TSevenBitValue* Values)
{
    std::memcpy(FStorage, &Values, sizeof Values);
}

TParameterValues::~TParameterValues()
{
    if (OnHeap())
        delete[] Heap();
}

TParameterValues::TParameterValues(const TParameterValues& Other)
{
    *this = Other;
}

TParameterValues& TParameterValues::operator=(const TParameterValues& Other)
{
    if (this != &Other) {
        SetCount(Other.FCount);
        if (FCount > 0)
            std::copy_n(Other.Values(), FCount, Values());
    }
    return *this;
}

TParameterValues::TParameterValues(TParameterValues&& Other) noexcept
    : FCount(Other.FCount)
{
    std::memcpy(FStorage, Other.FStorage, sizeof FStorage);
    Other.FCount = 0; // the heap values, if any, are ours now
}

TParameterValues& TParameterValues::operator=(TParameterValues&& Other) noexcept
{
    if (this != &Other) {
        if (OnHeap())
            delete[] Heap();
        FCount = Other.FCount;
        std::memcpy(FStorage, Other.FStorage, sizeof FStorage);
        Other.FCount = 0;
    }
    return *this;
}

void TParameterValues::SetCount(int32_t NewCount)
{
    const int32_t Kept = std::min(std::max(FCount, 0), std::max(NewCount, 0));
    TSevenBitValue* const Old = OnHeap() ? Heap() : nullptr;
    if (NewCount > InlineCapacity) {
        if (Old == nullptr || NewCount != FCount) {
            auto* New = new TSevenBitValue[static_cast<size_t>(NewCount)](); // zeroed
            std::copy_n(Values(), Kept, New);
            delete[] Old;
            SetHeap(New);
        }
    } else {
        TSevenBitValue Inline[InlineCapacity] = {};
        std::copy_n(Values(), Kept, Inline);
        delete[] Old;
        std::copy_n(Inline, InlineCapacity, FStorage);
    }
    FCount = NewCount;
}

void TParameterValues::Check(int32_t Index) const
{
    if (Index < 0 || Index >= FCount)
        throw EAssertionFailed("TParameterValues : Mind indices please !");
}

TSevenBitValue TParameterValues::Items(int32_t Index) const
{
    Check(Index);
    return Values()[Index];
}

void TParameterValues::SetItem(int32_t Index, TSevenBitValue Value)
{
    Check(Index);
    Values()[Index] = Value;
}

void TParameterValues::ReadList(std::string_view Line, int32_t& Pos)
{
    SetCount(0);
    int32_t Wanted = 0;
    if (!ReadInteger(Line, Pos, FieldSeparators, Wanted))
        return;
    // Each value takes at least two characters of the line, so a count the
    // line cannot hold fails before anything is allocated for it.
    if (Wanted > 0 && static_cast<size_t>(Wanted) > Line.size() / 2 + 1)
        return;
    if (Wanted <= InlineCapacity) {
        // Read in place: while the count is 0 no value is visible, and a
        // later SetCount clears what a failed read left.
        for (int32_t I = 0; I < Wanted; ++I)
            if (!ReadSevenBitValue(Line, Pos, FieldSeparators, FStorage[I]))
                return;
        FCount = Wanted;
        return;
    }
    TParameterValues Read;
    Read.SetCount(Wanted);
    for (int32_t I = 0; I < Wanted; ++I)
        if (!ReadSevenBitValue(Line, Pos, FieldSeparators, Read.Values()[I]))
            return; // short or bad: no values at all
    *this = std::move(Read);
}

void TParameterValues::WriteList(std::string& Text) const
{
    // " v" for each value, formatted side by side and appended in pieces.
    char Buffer[4 * 64];
    char* End = Buffer;
    const TSevenBitValue* const Value = Values();
    for (int32_t I = 0; I < FCount; ++I) {
        if (End + 4 > Buffer + sizeof Buffer) {
            Text.append(Buffer, End);
            End = Buffer;
        }
        *End++ = ' ';
        End = std::to_chars(End, Buffer + sizeof Buffer, Value[I]).ptr;
    }
    Text.append(Buffer, End);
}

} // namespace permuto
