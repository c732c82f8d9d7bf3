#include "ParameterValues.h"

#include <charconv>

#include "library/Errors.h"
#include "library/Scanner.h"

namespace permuto {

void TParameterValues::SetCount(int32_t NewCount)
{
    FValues.resize(NewCount > 0 ? static_cast<size_t>(NewCount) : 0);
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
    return FValues[static_cast<size_t>(Index)];
}

void TParameterValues::SetItem(int32_t Index, TSevenBitValue Value)
{
    Check(Index);
    FValues[static_cast<size_t>(Index)] = Value;
}

void TParameterValues::ReadList(const std::string& Line, int32_t& Pos)
{
    SetCount(0);
    int32_t Wanted = 0;
    if (!ReadInteger(Line, Pos, FieldSeparators, Wanted))
        return;
    std::vector<TSevenBitValue> Read;
    for (int32_t I = 0; I < Wanted; ++I) {
        TSevenBitValue Value = 0;
        if (!ReadSevenBitValue(Line, Pos, FieldSeparators, Value))
            return; // short or bad: no values at all
        Read.push_back(Value);
    }
    FValues = std::move(Read);
    FCount = Wanted;
}

void TParameterValues::WriteList(std::string& Text) const
{
    char Buffer[8];
    for (int32_t I = 0; I < FCount; ++I) {
        Text += ' ';
        const auto Result = std::to_chars(Buffer, Buffer + sizeof Buffer, FValues[static_cast<size_t>(I)]);
        Text.append(Buffer, Result.ptr);
    }
}

} // namespace permuto
