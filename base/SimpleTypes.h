#pragma once
// Value types shared by the patch document and the module library. Each ranged
// type is a byte; the typed readers of the scanner are the only way text
// becomes such a value, so a stored value is always inside its range.
#include <array>
#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <utility>

namespace permuto {

using TSevenBitValue = uint8_t; // 0..127
using TRange0To24 = uint8_t;    // 0..24
using TRange0To1 = uint8_t;     // 0..1
using TRange1To32 = uint8_t;    // 1..32
using TRange0To4 = uint8_t;     // 0..4
using TAreaCode = uint8_t;      // how a file names an area: 0 common, 1 poly (2 accepted by the reader)
using TRange0To6 = uint8_t;     // 0..6
using TRange0To3 = uint8_t;     // 0..3
using TRange0To2 = uint8_t;     // 0..2

// The two areas of a patch. The program names them so everywhere; a file
// writes an area as its code (TAreaCode), which is read and written only
// where the file's lines are.
enum class TArea : uint8_t { Poly, Common };
inline constexpr TArea AreaPoly = TArea::Poly;
inline constexpr TArea AreaCommon = TArea::Common;
// Both areas, poly first: the order of the file and of everything shown.
inline constexpr std::array<TArea, 2> BothAreas{AreaPoly, AreaCommon};

inline constexpr TArea OtherArea(TArea Area)
{
    return Area == AreaPoly ? AreaCommon : AreaPoly;
}

// The code a file writes for Area, and the area a code names (2 is read as
// the poly area).
inline constexpr TAreaCode CodeOf(TArea Area)
{
    return Area == AreaCommon ? 0 : 1;
}
inline constexpr TArea AreaOfCode(TAreaCode Code)
{
    return Code == 0 ? AreaCommon : AreaPoly;
}

// "poly" or "common", as users and the command-line tool name the areas.
inline const char* AreaName(TArea Area)
{
    return Area == AreaCommon ? "common" : "poly";
}

// The area "poly" or "common" names; none for any other text.
inline std::optional<TArea> AreaNamed(std::string_view Name)
{
    if (Name == "poly")
        return AreaPoly;
    if (Name == "common")
        return AreaCommon;
    return std::nullopt;
}

// One thing for each area, reached by the area.
template <typename T>
class TPerArea {
public:
    TPerArea() requires std::default_initializable<T> = default;
    TPerArea(T Poly, T Common) : FItems{std::move(Poly), std::move(Common)} {}
    T& operator[](TArea Area) { return FItems[static_cast<size_t>(Area)]; }
    const T& operator[](TArea Area) const { return FItems[static_cast<size_t>(Area)]; }
    auto begin() { return FItems.begin(); }
    auto end() { return FItems.end(); }
    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }

private:
    std::array<T, 2> FItems{};
};

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
