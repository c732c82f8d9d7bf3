#pragma once
// TParameterValues: the counted list of 0..127 values on parameter and custom
// lines, with the reading and writing of "count v1 .. vN" shared by both.
#include <cstdint>
#include <string>
#include <string_view>

#include "base/SimpleTypes.h"

namespace permuto {

class TParameterValues {
public:
    TParameterValues() = default;
    ~TParameterValues();
    TParameterValues(const TParameterValues& Other);
    TParameterValues& operator=(const TParameterValues& Other);
    TParameterValues(TParameterValues&& Other) noexcept;
    TParameterValues& operator=(TParameterValues&& Other) noexcept;

    int32_t Count() const { return FCount; }
    // Resizes, keeping the leading values (new ones are 0). A negative count
    // is kept as it is and leaves no valid position.
    void SetCount(int32_t NewCount);
    // Positions outside 0..Count-1 raise "TParameterValues : Mind indices please !".
    TSevenBitValue Items(int32_t Index) const;
    void SetItem(int32_t Index, TSevenBitValue Value);

    // Reads the count and then that many values from Line at Pos. The list is
    // either complete or empty; memory grows with the values actually on the
    // line, never with the count that the line claims.
    void ReadList(std::string_view Line, int32_t& Pos);
    // Appends " %d" for each value.
    void WriteList(std::string& Text) const;

private:
    // Lines of real patches hold a handful of values, and a big patch has
    // hundreds of thousands of them: up to InlineCapacity values stay inside
    // the object; a longer list lives on the heap and the object's bytes hold
    // its address. Sixteen bytes in all.
    static constexpr int32_t InlineCapacity = 12;

    bool OnHeap() const { return FCount > InlineCapacity; }
    TSevenBitValue* Heap() const;
    void SetHeap(TSevenBitValue* Values);
    TSevenBitValue* Values() { return OnHeap() ? Heap() : FStorage; }
    const TSevenBitValue* Values() const { return OnHeap() ? Heap() : FStorage; }
    void Check(int32_t Index) const;

    int32_t FCount = 0;
    TSevenBitValue FStorage[InlineCapacity] = {};
};

} // namespace permuto
