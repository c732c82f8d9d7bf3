#include "PatchPicture.h"

#include <algorithm>
#include <cmath>

#include "patch/NameDump.h"
#include "flow/AreaAnalysis.h"
#include "patch/ModuleTypes.h"
#include "patch/PatchDefs.h"
#include "modules/Descript.h"
#include "base/Errors.h"

namespace permuto {

std::string TPictureModule::Label() const
{
    return std::to_string(Index) + " " + (Name.empty() ? TypeName : Name);
}

namespace {

// The height of the connector at Place of Count on an edge from Top down:
// the connectors share the edge evenly, each in the middle of its share.
double ConnectorAt(double Top, double Height, double Place, double Count)
{
    return Top + (Place + 0.5) * Height / Count;
}

} // namespace

TAreaLayout::TAreaLayout(const TPatchDef& Patch, TArea Area, const TAreaAnalysis& Analysis, const TModuleTypes& Types)
    : FModules(Patch.ModuleDumps[Area].Modules())
    , FCableDefs(Patch.CableDumps[Area].Cables())
    , FTypes(Types)
    , FNames(Patch.NameDumps[Area])
    , FArea(Area)
{
    const TSignalFlow& Flow = Analysis.Flow;
    const size_t Count = Flow.Indices().size();

    // Each index is drawn once: by the first module that has it.
    FShown.assign(Count, -1);
    bool First = true;
    for (int32_t I = 0; I < FModules.Count(); ++I) {
        const TModuleDef& M = FModules.Items(I);
        int32_t& Slot = FShown[static_cast<size_t>(Flow.RankOf(M.ModuleIndex))];
        if (Slot >= 0)
            continue;
        Slot = I;
        FLowX = First ? M.X : std::min<int64_t>(FLowX, M.X);
        FLowY = First ? M.Y : std::min<int64_t>(FLowY, M.Y);
        First = false;
    }

    // The connectors each box shows on each edge: those the module library
    // names for its type and those cables use, each once, ascending.
    std::vector<std::pair<uint32_t, int32_t>> Ends[2]; // (rank, connector) per side: 0 inputs, 1 outputs
    for (size_t Rank = 0; Rank < Count; ++Rank)
        if (const TModuleDescriptor* Type = Types.Find(FModules.Items(FShown[Rank]).ModuleType)) {
            for (int32_t C = 0; C < Type->Inputs.Count(); ++C)
                Ends[0].emplace_back(static_cast<uint32_t>(Rank), C);
            for (int32_t C = 0; C < Type->Outputs.Count(); ++C)
                Ends[1].emplace_back(static_cast<uint32_t>(Rank), C);
        }
    FCableRanks.reserve(static_cast<size_t>(FCableDefs.Count()));
    for (int32_t C = 0; C < FCableDefs.Count(); ++C) {
        const TCableDef& Cable = FCableDefs.Items(C);
        const int32_t A = Flow.RankOf(Cable.Module1), B = Flow.RankOf(Cable.Module2);
        if (A >= 0)
            Ends[Cable.ConnectorKind1 == 1].emplace_back(static_cast<uint32_t>(A), Cable.Connector1);
        if (B >= 0)
            Ends[Cable.ConnectorKind2 == 1].emplace_back(static_cast<uint32_t>(B), Cable.Connector2);
        // Cables with both ends on modules of the area are drawn.
        if (A >= 0 && B >= 0) {
            FCableRanks.push_back({C, A, B});
            FCableLate.push_back(Flow.CableLate(C));
        }
    }
    for (int Side = 0; Side < 2; ++Side) {
        std::sort(Ends[Side].begin(), Ends[Side].end());
        Ends[Side].erase(std::unique(Ends[Side].begin(), Ends[Side].end()), Ends[Side].end());
        FConnectors[Side] = TConnectorRows::Sorted(Count, [&](const auto& Visit) {
            for (const auto& [Rank, Connector] : Ends[Side])
                Visit(Rank, Connector);
        });
        std::vector<std::pair<uint32_t, int32_t>>().swap(Ends[Side]);
    }

    // A box is as tall as its type; a plain box reaches down to the next box
    // of its column, so that boxes of undescribed types neither overlap nor
    // shrink to a line.
    std::vector<std::pair<int32_t, int32_t>> Places; // (X, Y) of the boxes drawn, sorted
    Places.reserve(Count);
    for (const int32_t I : FShown)
        Places.emplace_back(FModules.Items(I).X, FModules.Items(I).Y);
    std::sort(Places.begin(), Places.end());
    FRows.reserve(Count);
    FLate.reserve(Count);
    FLoop.reserve(Count);
    for (size_t Rank = 0; Rank < Count; ++Rank) {
        const TModuleDef& M = FModules.Items(FShown[Rank]);
        int32_t Rows = 0;
        if (const TModuleDescriptor* Type = Types.Find(M.ModuleType)) {
            Rows = Type->Height;
        } else {
            constexpr int32_t Most = 3;
            const auto Below = std::upper_bound(Places.begin(), Places.end(), std::pair(M.X, M.Y));
            Rows = Below == Places.end() || Below->first != M.X
                       ? Most
                       : static_cast<int32_t>(std::clamp<int64_t>(int64_t{Below->second} - M.Y, 1, Most));
        }
        FRows.push_back(std::max(1, Rows));
        FLate.push_back(!Analysis.LateInputs.empty() && Analysis.LateInputs[Rank] > 0);
        FLoop.push_back(Flow.InLoop(static_cast<int32_t>(Rank)));
    }

    // The picture holds every box with a margin, and every curve, which
    // swings out past its ends (a cable into an input on a box at the left
    // edge bends further left; one back to an earlier column loops past the
    // last); everything moves right and down where a curve swings past the
    // left or top.
    double Right = 0, Bottom = 0;
    for (size_t Rank = 0; Rank < Count; ++Rank) {
        const TPictureModule Each = Box(Rank, false);
        Right = std::max(Right, Each.Left + Each.Width + PictureMargin);
        Bottom = std::max(Bottom, Each.Top + Each.Height + PictureMargin);
    }
    if (Count == 0)
        Right = Bottom = 2 * PictureMargin;
    // A cubic curve's extremes lie at its ends or where its derivative, a
    // quadratic, is zero.
    const auto Extremes = [](double P0, double P1, double P2, double P3, double& Low, double& High) {
        const auto Take = [&](double T) {
            if (T > 0 && T < 1) {
                const double U = 1 - T;
                const double V = U * U * U * P0 + 3 * U * U * T * P1 + 3 * U * T * T * P2 + T * T * T * P3;
                Low = std::min(Low, V);
                High = std::max(High, V);
            }
        };
        Low = std::min(P0, P3);
        High = std::max(P0, P3);
        const double A = -P0 + 3 * P1 - 3 * P2 + P3, B = 2 * (P0 - 2 * P1 + P2), C = P1 - P0;
        if (std::abs(A) < 1e-12) {
            if (std::abs(B) > 1e-12)
                Take(-C / B);
            return;
        }
        const double D = B * B - 4 * A * C;
        if (D < 0)
            return;
        Take((-B + std::sqrt(D)) / (2 * A));
        Take((-B - std::sqrt(D)) / (2 * A));
    };
    constexpr double Room = 4;
    double Left = 0, Top = 0;
    for (size_t I = 0; I < FCableRanks.size(); ++I) {
        const TPictureCable Line = Cable(I, false);
        double Low = 0, High = 0;
        Extremes(Line.From.X, Line.Bend1.X, Line.Bend2.X, Line.To.X, Low, High);
        Left = std::min(Left, Low - Room);
        Right = std::max(Right, High + Room);
        Extremes(Line.From.Y, Line.Bend1.Y, Line.Bend2.Y, Line.To.Y, Low, High);
        Top = std::min(Top, Low - Room);
        Bottom = std::max(Bottom, High + Room);
    }
    FDx = -Left;
    FDy = -Top;
    FWidth = Right - Left;
    FHeight = Bottom - Top;
}

TPictureModule TAreaLayout::Box(size_t Rank, bool Placed) const
{
    const TModuleDef& M = FModules.Items(FShown[Rank]);
    TPictureModule Box;
    Box.Index = M.ModuleIndex;
    Box.Left = PictureMargin + static_cast<double>(M.X - FLowX) * PictureColumn + (Placed ? FDx : 0);
    Box.Top = PictureMargin + static_cast<double>(M.Y - FLowY) * PictureRow + (Placed ? FDy : 0);
    Box.Width = PictureColumn - 20;
    Box.Height = FRows[Rank] * PictureRow - 4;
    if (!Placed)
        return Box; // where it stands is all that is asked
    Box.TypeName = M.TypeName(FTypes);
    if (const std::string* Name = FNames.Find(M.ModuleIndex))
        Box.Name = *Name;
    for (int Side = 0; Side < 2; ++Side) {
        const TConnectorRows& Rows = FConnectors[Side];
        const uint32_t From = Rows.First[Rank], To = Rows.First[Rank + 1];
        std::vector<double>& Ys = Side == 0 ? Box.InputsY : Box.OutputsY;
        Ys.reserve(To - From);
        for (uint32_t Place = From; Place < To; ++Place)
            Ys.push_back(ConnectorAt(Box.Top, Box.Height, Place - From, To - From));
    }
    Box.Late = FLate[Rank];
    Box.Loop = FLoop[Rank];
    return Box;
}

double TAreaLayout::ConnectorY(uint32_t Rank, int Side, int32_t Connector, double Top, double Height) const
{
    const TConnectorRows& Rows = FConnectors[Side];
    const auto Begin = Rows.Items.begin() + Rows.First[Rank], End = Rows.Items.begin() + Rows.First[Rank + 1];
    return ConnectorAt(Top, Height, static_cast<double>(std::lower_bound(Begin, End, Connector) - Begin),
                       static_cast<double>(End - Begin));
}

TPictureCable TAreaLayout::Cable(size_t I, bool Placed) const
{
    const auto [C, A, B] = FCableRanks[I];
    const TCableDef& Def = FCableDefs.Items(C);
    const auto Point = [&](int32_t Rank, int32_t Connector, uint8_t Kind) {
        const TPictureModule Each = Box(static_cast<size_t>(Rank), false);
        const double Dx = Placed ? FDx : 0, Dy = Placed ? FDy : 0;
        return TPicturePoint{(Kind == 1 ? Each.Left + Each.Width : Each.Left) + Dx,
                             ConnectorY(static_cast<uint32_t>(Rank), Kind == 1, Connector, Each.Top, Each.Height) + Dy};
    };
    TPictureCable Line;
    Line.From = Point(A, Def.Connector1, Def.ConnectorKind1);
    Line.To = Point(B, Def.Connector2, Def.ConnectorKind2);
    Line.FromSide = Def.ConnectorKind1 == 1 ? 1 : -1;
    Line.ToSide = Def.ConnectorKind2 == 1 ? 1 : -1;
    // A curve that leaves each box away from its edge, further the further
    // apart the ends are.
    const double Bend = std::max(25.0, std::abs(Line.To.X - Line.From.X) / 2);
    Line.Bend1 = {Line.From.X + Line.FromSide * Bend, Line.From.Y};
    Line.Bend2 = {Line.To.X + Line.ToSide * Bend, Line.To.Y};
    Line.Color = Def.Color;
    Line.Late = FCableLate[I];
    Line.Module1 = Def.Module1;
    Line.Module2 = Def.Module2;
    return Line;
}

TAreaPicture TAreaLayout::Picture() const
{
    TAreaPicture Picture;
    Picture.Area = FArea;
    Picture.Width = FWidth;
    Picture.Height = FHeight;
    Picture.Modules.reserve(Boxes());
    for (size_t Rank = 0; Rank < Boxes(); ++Rank)
        Picture.Modules.push_back(Box(Rank));
    Picture.Cables.reserve(Cables());
    for (size_t I = 0; I < Cables(); ++I)
        Picture.Cables.push_back(Cable(I));
    return Picture;
}

TAreaPicture DrawArea(const TPatchDef& Patch, TArea Area, const TAreaAnalysis& Analysis, const TModuleTypes& Types)
{
    return TAreaLayout(Patch, Area, Analysis, Types).Picture();
}

} // namespace permuto
