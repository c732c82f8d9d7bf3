#pragma once
// TParameterValues: the counted list of 0..127 values on parameter and custom
// lines, with the reading and writing of "count v1 .. vN" shared by both.
#include <cstdint>
#include <string>
#include <vector>

#include "library/SimpleTypes.h"

namespace permuto {

class TParameterValues {
public:
    int32_t Count() const { return FCount; }
    // Resizes, keeping the leading values. A negative count is kept as it is
    // and leaves no valid position.
    void SetCount(int32_t NewCount);
    // Positions outside 0..Count-1 raise "TParameterValues : Mind indices please !".
    TSevenBitValue Items(int32_t Index) const;
    void SetItem(int32_t Index, TSevenBitValue Value);

    // Reads the count and then that many values from Line at Pos. The list is
    // either complete or empty; memory grows with the values actually on the
    // line, never with the count that the line claims.
    void ReadList(const std::string& Line, int32_t& Pos);
    // Appends " %d" for each value.
    void WriteList(std::string& Text) const;

private:
    void Check(int32_t Index) const;

    int32_t FCount = 0;
    std::vector<TSevenBitValue> FValues;
};

} // namespace permuto
