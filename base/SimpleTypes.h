#pragma once
// Value types shared by the patch document and the module library. Each ranged
// type is a byte; the typed readers of the scanner are the only way text
// becomes such a value, so a stored value is always inside its range.
#include <array>
#include <cstdint>
#include <initializer_list>

namespace permuto {

using TSevenBitValue = uint8_t; // 0..127
using TRange0To24 = uint8_t;    // 0..24
using TRange0To1 = uint8_t;     // 0..1
using TRange1To32 = uint8_t;    // 1..32
using TRange0To4 = uint8_t;     // 0..4
using TAreaCode = uint8_t;      // 0 common area, 1 poly area, 2 accepted by the reader
using TRange0To6 = uint8_t;     // 0..6
using TRange0To3 = uint8_t;     // 0..3
using TRange0To2 = uint8_t;     // 0..2

inline constexpr TAreaCode AreaCommon = 0;
inline constexpr TAreaCode AreaPoly = 1;

// "poly" or "common", as users and the command-line tool name the areas.
inline const char* AreaName(TAreaCode Area)
{
    return Area == AreaCommon ? "common" : "poly";
}

// Connector classes of the module library: 0 audio, 1 control, 2 logic, 3 slave.
// Any other byte value can be held and is named "undefined".
using TConnectorClass = uint8_t;
// Connector kind: 0 an input, 1 an output.
using TConnectorKind = uint8_t;

// A set of 8-bit characters.
class TCharSet {
public:
    constexpr TCharSet(std::initializer_list<unsigned char> Members)
    {
        for (unsigned char C : Members)
            FMembers[C] = true;
    }
    constexpr bool Contains(char C) const { return FMembers[static_cast<unsigned char>(C)]; }

private:
    std::array<bool, 256> FMembers{};
};

// TAB and SPACE: every reader of a patch line or library line splits at these.
inline constexpr TCharSet FieldSeparators{'\t', ' '};

} // namespace permuto
