#pragma once
// How the picture of an area looks, for each of its renderers (the window's
// patch view and the SVG writer), in the picture's units (a pixel at 100 %):
// colours as #rrggbb, strokes, the connector squares and where a box's label
// stands. Either renderer draws what the layout places with these alone.
#include <cstdint>

namespace permuto {

// The colours of cables (colour field 0..6) and of what the picture marks.
inline constexpr const char* CableColours[7] = {"#c83232", "#3264c8", "#c8b400", "#808080",
                                                "#32a032", "#9650c8", "#00a0a0"};
inline const char* CableColour(uint8_t Color)
{
    return CableColours[Color % 7];
}
inline constexpr const char* LateColour = "#e06000";
inline constexpr const char* LoopTint = "#e8dcf4";
inline constexpr const char* ModuleFill = "#f4f4f0";
inline constexpr const char* EdgeColour = "#404040";
inline constexpr const char* InputFill = "#ffffff";
inline constexpr const char* OutputFill = EdgeColour;
inline constexpr const char* LabelColour = "#000000";

// Strokes: a box's edge (wider when an input of it is fed late) and a cable;
// a late cable is dashed, dash and gap as long as given here.
inline constexpr double EdgeWidth = 1;
inline constexpr double LateEdgeWidth = 2;
inline constexpr double CableWidth = 2;
inline constexpr double LateDash = 6, LateGap = 4;
inline constexpr double BoxCorner = 3;

// A connector is a square of this side centred on its box's edge: inputs
// on the left edge, filled with InputFill; outputs on the right, OutputFill.
inline constexpr double ConnectorSide = 5;

// A label starts this far right of its box's left edge and this far below
// its top; its first line's baseline stands at LabelBaseline below the top.
inline constexpr double LabelInset = 7;
inline constexpr double LabelTop = 2;
inline constexpr double LabelBaseline = 14;

struct TPictureRect {
    double Left = 0, Top = 0, Width = 0, Height = 0;
};

// The square of the connector at height Y on the edge at X.
inline constexpr TPictureRect ConnectorSquare(double X, double Y)
{
    return {X - ConnectorSide / 2, Y - ConnectorSide / 2, ConnectorSide, ConnectorSide};
}

} // namespace permuto
