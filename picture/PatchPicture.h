#pragma once
// A picture of an area as people draw a patch: modules as boxes at their
// grid places (X the column, Y the row; a box as tall as its type's height in
// the module library; a type the library does not describe gets a plain box
// that reaches down to the next box of its column, at most three rows, with
// the connectors its cables use), inputs on the left
// edge and outputs on the right edge in connector order, cables between them
// in their colour; cables that carry a late signal dashed in a warning
// colour, members of feedback groups tinted. The window draws it with Qt,
// permuto-cli writes it as SVG: both draw the same picture.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "patch/CableDump.h"
#include "patch/ModuleDump.h"
#include "patch/NameDump.h"
#include "flow/SignalFlow.h"
#include "PictureStyle.h"
#include "base/Rows.h"

namespace permuto {

struct TAreaAnalysis;
class TModuleTypes;
class TPatchDef;

struct TPicturePoint {
    double X = 0;
    double Y = 0;
};

struct TPictureModule {
    int32_t Index = 0;
    std::string TypeName; // 8-bit, as the patch and library hold them
    std::string Name;
    double Left = 0, Top = 0, Width = 0, Height = 0;
    bool Late = false; // an input of it is fed late
    bool Loop = false; // it belongs to a feedback group
    // Where its connectors stand: inputs on the left edge, outputs on the
    // right edge, in connector order.
    std::vector<double> InputsY, OutputsY;
    // "3 Saw Osc": the index and the name (the type name when it has none).
    std::string Label() const;
};

struct TPictureCable {
    TPicturePoint From, To;
    // The two control points of the curve between them.
    TPicturePoint Bend1, Bend2;
    // The direction each end leaves its box in: +1 rightwards (an output),
    // -1 leftwards (an input).
    int FromSide = 1, ToSide = -1;
    uint8_t Color = 0; // 0..6
    bool Late = false;
    int32_t Module1 = 0, Module2 = 0;
};

struct TAreaPicture {
    TArea Area = AreaPoly;
    double Width = 0, Height = 0;
    std::vector<TPictureModule> Modules;
    std::vector<TPictureCable> Cables; // those whose two ends are on modules of the area
};

// Sizes, in the picture's units (a pixel at 100 %).
inline constexpr double PictureColumn = 150;  // one grid column
inline constexpr double PictureRow = 22;      // one grid row
inline constexpr double PictureMargin = 12;

// The layout of an area's picture, kept compact: where each box stands and
// which connectors it shows, which cables are drawn, and the picture's size.
// Boxes and cables are made one at a time from it, so that an area of a
// million modules is written without its whole picture in memory. It reads
// the patch and Types, which must outlive it.
class TAreaLayout {
public:
    TAreaLayout(const TPatchDef& Patch, TArea Area, const TAreaAnalysis& Analysis, const TModuleTypes& Types);
    TArea Area() const { return FArea; }
    double Width() const { return FWidth; }
    double Height() const { return FHeight; }
    // Boxes by rank (ascending index), and the cables drawn.
    size_t Boxes() const { return FShown.size(); }
    TPictureModule Box(size_t Rank) const { return Box(Rank, true); }
    size_t Cables() const { return FCableRanks.size(); }
    TPictureCable Cable(size_t I) const { return Cable(I, true); }
    TAreaPicture Picture() const;

private:
    // Placed: where it stands in the finished picture, with its texts and
    // connectors; otherwise only where it would stand before curves moved
    // the picture.
    TPictureModule Box(size_t Rank, bool Placed) const;
    TPictureCable Cable(size_t I, bool Placed) const;
    double ConnectorY(uint32_t Rank, int Side, int32_t Connector, double Top, double Height) const;

    // By rank: connector numbers, ascending.
    using TConnectorRows = TRows<int32_t>;
    struct TCableEnds {
        int32_t Cable, From, To; // its place in the dump, the ranks of its ends
    };
    const TModuleDefs& FModules;
    const TCableDefs& FCableDefs;
    const TModuleTypes& FTypes;
    TNameLookup FNames;
    TArea FArea;
    std::vector<int32_t> FShown; // by rank: the module drawn (the first with that index)
    std::vector<int32_t> FRows;  // by rank: the box's height in grid rows
    std::vector<bool> FLate, FLoop;
    TConnectorRows FConnectors[2]; // inputs, outputs
    std::vector<TCableEnds> FCableRanks;
    std::vector<bool> FCableLate;
    int64_t FLowX = 0, FLowY = 0;
    double FDx = 0, FDy = 0, FWidth = 0, FHeight = 0;
};

// Lays out an area from its Analysis (late inputs, feedback groups) and
// Types, the module library held against the patch: the whole picture.
TAreaPicture DrawArea(const TPatchDef& Patch, TArea Area, const TAreaAnalysis& Analysis, const TModuleTypes& Types);


// Writes the areas as one SVG 1.1 document, the first area on top. Each
// module is one element (class "module", plus "late" and "loop" where they
// hold; id "poly-3") with a <title> of its index, type name and name; each
// cable is one element of class "cable" (plus "late").
void WriteSvg(const std::vector<TAreaPicture>& Areas, const std::function<void(std::string_view Bytes)>& Write);
// The same from the areas' layouts, each box and cable made as it is written.
void WriteSvg(const std::vector<TAreaLayout>& Areas, const std::function<void(std::string_view Bytes)>& Write);

// The same, one area at a time, so that only one area's picture need be
// held: the document's size (SvgSize of the areas' sizes) comes first.
TPicturePoint SvgSize(const std::vector<TPicturePoint>& AreaSizes);
class TSvgWriter {
public:
    TSvgWriter(std::function<void(std::string_view Bytes)> Write, TPicturePoint Size);
    // Below the areas added before.
    void Add(const TAreaPicture& Area);
    void Add(const TAreaLayout& Area);
    void Finish();

private:
    void Begin(TArea Area);
    void AddBox(const char* Area, const TPictureModule& Box);
    void AddCable(const TPictureCable& Cable);
    void End(double Height);
    void FlushSometimes();
    std::function<void(std::string_view Bytes)> FWrite;
    std::string FOut;
    double FOffset = 0;
};

} // namespace permuto
