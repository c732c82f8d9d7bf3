#include "PatchPicture.h"

#include <algorithm>
#include <cmath>

#include "NameDump.h"
#include "AreaAnalysis.h"
#include "ModuleTypes.h"
#include "PatchDefs.h"
#include "library/Descript.h"
#include "library/Errors.h"

namespace permuto {

namespace {

// The connectors a box shows on one edge: those the module library names
// for its type and those cables use, each once, ascending.
struct TEdge {
    std::vector<int32_t> Connectors;
    double Place(int32_t Connector, double Top, double Height) const
    {
        const auto Found = std::lower_bound(Connectors.begin(), Connectors.end(), Connector);
        const double Rank = static_cast<double>(Found - Connectors.begin());
        return Top + (Rank + 0.5) * Height / static_cast<double>(Connectors.size());
    }
};

// Latin-1 text as UTF-8 for XML, its special characters escaped; control
// characters, which XML cannot hold, shown as "?".
std::string XmlText(std::string_view Text)
{
    std::string Out;
    for (const char C : Text) {
        const unsigned char Byte = static_cast<unsigned char>(C);
        if (C == '&')
            Out += "&amp;";
        else if (C == '<')
            Out += "&lt;";
        else if (C == '>')
            Out += "&gt;";
        else if (C == '"')
            Out += "&quot;";
        else if (Byte < 0x20 && C != '\t')
            Out += '?';
        else if (Byte < 0x80)
            Out += C;
        else {
            Out += static_cast<char>(0xC0 | (Byte >> 6));
            Out += static_cast<char>(0x80 | (Byte & 0x3F));
        }
    }
    return Out;
}

// A curve swings out past its ends (a cable into an input on a box at the
// left edge bends further left; one back to an earlier column loops past
// the last). The picture grows to hold every curve with a little room, and
// everything moves right and down where a curve swings past its left or top.
void HoldCurves(TAreaPicture& Picture)
{
    constexpr double Room = 4;
    double Left = 0, Top = 0, Right = Picture.Width, Bottom = Picture.Height;
    for (const TPictureCable& Line : Picture.Cables)
        for (int Step = 0; Step <= 16; ++Step) {
            const double T = Step / 16.0, U = 1 - T;
            const double A = U * U * U, B = 3 * U * U * T, C = 3 * U * T * T, D = T * T * T;
            const double X = A * Line.From.X + B * Line.Bend1.X + C * Line.Bend2.X + D * Line.To.X;
            const double Y = A * Line.From.Y + B * Line.Bend1.Y + C * Line.Bend2.Y + D * Line.To.Y;
            Left = std::min(Left, X - Room);
            Top = std::min(Top, Y - Room);
            Right = std::max(Right, X + Room);
            Bottom = std::max(Bottom, Y + Room);
        }
    const double Dx = -Left, Dy = -Top;
    Picture.Width = Right - Left;
    Picture.Height = Bottom - Top;
    if (Dx == 0 && Dy == 0)
        return;
    const auto Move = [&](TPicturePoint& Point) {
        Point.X += Dx;
        Point.Y += Dy;
    };
    for (TPictureModule& Box : Picture.Modules) {
        Box.Left += Dx;
        Box.Top += Dy;
        for (double& Y : Box.InputsY)
            Y += Dy;
        for (double& Y : Box.OutputsY)
            Y += Dy;
    }
    for (TPictureCable& Line : Picture.Cables) {
        Move(Line.From);
        Move(Line.To);
        Move(Line.Bend1);
        Move(Line.Bend2);
    }
}

} // namespace

std::string TPictureModule::Label() const
{
    return std::to_string(Index) + " " + (Name.empty() ? TypeName : Name);
}

const char* CableColour(uint8_t Color)
{
    static const char* const Colours[] = {"#c83232", "#3264c8", "#c8b400", "#808080",
                                          "#32a032", "#9650c8", "#00a0a0"};
    return Colours[Color % 7];
}

TAreaPicture DrawArea(const TPatchDef& Patch, TAreaCode Area, const TAreaAnalysis& Analysis, const TModuleTypes& Types)
{
    TAreaPicture Picture;
    Picture.Area = Area;
    const int Dump = DumpOf(Area);
    const TModuleDefs& Modules = Patch.ModuleDumps[Dump].Modules();
    const TCableDefs& Cables = Patch.CableDumps[Dump].Cables();
    const TNameLookup Names(Patch.NameDumps[Dump]);
    const TSignalFlow& Flow = Analysis.Flow;
    const std::vector<int32_t>& Indices = Flow.Indices();
    const auto RankOf = [&Flow](int32_t Index) { return Flow.RankOf(Index); };

    // Each index is drawn once: by the first module that has it.
    std::vector<int32_t> Shown(Indices.size(), -1); // by rank: the module drawn
    int64_t LowX = 0, LowY = 0;
    bool First = true;
    for (int32_t I = 0; I < Modules.Count(); ++I) {
        const TModuleDef& M = Modules.Items(I);
        int32_t& Slot = Shown[static_cast<size_t>(RankOf(M.ModuleIndex))];
        if (Slot >= 0)
            continue;
        Slot = I;
        LowX = First ? M.X : std::min<int64_t>(LowX, M.X);
        LowY = First ? M.Y : std::min<int64_t>(LowY, M.Y);
        First = false;
    }
    std::vector<TEdge> Inputs(Indices.size()), Outputs(Indices.size());
    for (size_t Rank = 0; Rank < Indices.size(); ++Rank) {
        const TModuleDef& M = Modules.Items(Shown[Rank]);
        const TModuleDescriptor* Type = Types.Find(M.ModuleType);
        for (int32_t C = 0; Type != nullptr && C < Type->Inputs.Count(); ++C)
            Inputs[Rank].Connectors.push_back(C);
        for (int32_t C = 0; Type != nullptr && C < Type->Outputs.Count(); ++C)
            Outputs[Rank].Connectors.push_back(C);
    }
    for (const TCableDef& Cable : Cables)
        for (const auto& [Module, Connector, Kind] : {std::tuple(Cable.Module1, Cable.Connector1, Cable.ConnectorKind1),
                                                      std::tuple(Cable.Module2, Cable.Connector2, Cable.ConnectorKind2)})
            if (const int32_t Rank = RankOf(Module); Rank >= 0)
                (Kind == 1 ? Outputs : Inputs)[static_cast<size_t>(Rank)].Connectors.push_back(Connector);
    for (std::vector<TEdge>* Side : {&Inputs, &Outputs})
        for (TEdge& Edge : *Side) {
            std::sort(Edge.Connectors.begin(), Edge.Connectors.end());
            Edge.Connectors.erase(std::unique(Edge.Connectors.begin(), Edge.Connectors.end()), Edge.Connectors.end());
        }

    // A plain box reaches down to the next box of its column, so that boxes
    // of undescribed types neither overlap nor shrink to a line.
    std::vector<std::pair<int32_t, int32_t>> Places; // (X, Y) of the boxes drawn, sorted
    Places.reserve(Indices.size());
    for (const int32_t I : Shown)
        Places.emplace_back(Modules.Items(I).X, Modules.Items(I).Y);
    std::sort(Places.begin(), Places.end());
    const auto PlainRows = [&Places](const TModuleDef& M) {
        constexpr int32_t Most = 3;
        const auto Below = std::upper_bound(Places.begin(), Places.end(), std::pair(M.X, M.Y));
        if (Below == Places.end() || Below->first != M.X)
            return Most;
        return static_cast<int32_t>(std::clamp<int64_t>(int64_t{Below->second} - M.Y, 1, Most));
    };

    Picture.Modules.reserve(Indices.size());
    for (size_t Rank = 0; Rank < Indices.size(); ++Rank) {
        const TModuleDef& M = Modules.Items(Shown[Rank]);
        const TModuleDescriptor* Type = Types.Find(M.ModuleType);
        TPictureModule Box;
        Box.Index = M.ModuleIndex;
        Box.TypeName = M.TypeName(Types);
        if (const std::string* Name = Names.Find(M.ModuleIndex))
            Box.Name = *Name;
        Box.Left = PictureMargin + static_cast<double>(M.X - LowX) * PictureColumn;
        Box.Top = PictureMargin + static_cast<double>(M.Y - LowY) * PictureRow;
        Box.Width = PictureColumn - 20;
        Box.Height = std::max(1, Type != nullptr ? Type->Height : PlainRows(M)) * PictureRow - 4;
        for (const int32_t Connector : Inputs[Rank].Connectors)
            Box.InputsY.push_back(Inputs[Rank].Place(Connector, Box.Top, Box.Height));
        for (const int32_t Connector : Outputs[Rank].Connectors)
            Box.OutputsY.push_back(Outputs[Rank].Place(Connector, Box.Top, Box.Height));
        Box.Late = !Analysis.LateInputs.empty() && Analysis.LateInputs[Rank] > 0;
        Box.Loop = Flow.InLoop(static_cast<int32_t>(Rank));
        Picture.Width = std::max(Picture.Width, Box.Left + Box.Width + PictureMargin);
        Picture.Height = std::max(Picture.Height, Box.Top + Box.Height + PictureMargin);
        Picture.Modules.push_back(std::move(Box));
    }

    // Cables with both ends on modules of the area, from one connector to
    // the other.
    for (int32_t C = 0; C < Cables.Count(); ++C) {
        const TCableDef& Cable = Cables.Items(C);
        const int32_t A = RankOf(Cable.Module1), B = RankOf(Cable.Module2);
        if (A < 0 || B < 0)
            continue;
        const auto Point = [&](int32_t Rank, int32_t Connector, uint8_t Kind) {
            const TPictureModule& Box = Picture.Modules[static_cast<size_t>(Rank)];
            const TEdge& Edge = (Kind == 1 ? Outputs : Inputs)[static_cast<size_t>(Rank)];
            return TPicturePoint{Kind == 1 ? Box.Left + Box.Width : Box.Left, Edge.Place(Connector, Box.Top, Box.Height)};
        };
        TPictureCable Line;
        Line.From = Point(A, Cable.Connector1, Cable.ConnectorKind1);
        Line.To = Point(B, Cable.Connector2, Cable.ConnectorKind2);
        Line.FromSide = Cable.ConnectorKind1 == 1 ? 1 : -1;
        Line.ToSide = Cable.ConnectorKind2 == 1 ? 1 : -1;
        // A curve that leaves each box away from its edge, further the
        // further apart the ends are.
        const double Bend = std::max(25.0, std::abs(Line.To.X - Line.From.X) / 2);
        Line.Bend1 = {Line.From.X + Line.FromSide * Bend, Line.From.Y};
        Line.Bend2 = {Line.To.X + Line.ToSide * Bend, Line.To.Y};
        Line.Color = Cable.Color;
        Line.Late = Flow.CableLate(C);
        Line.Module1 = Cable.Module1;
        Line.Module2 = Cable.Module2;
        Picture.Cables.push_back(Line);
    }
    if (Picture.Modules.empty())
        Picture.Width = Picture.Height = 2 * PictureMargin;
    HoldCurves(Picture);
    return Picture;
}

void WriteSvg(const std::vector<TAreaPicture>& Areas, const std::function<void(std::string_view Bytes)>& Write)
{
    constexpr double Heading = 26; // room for an area's caption
    double Width = 200, Height = 0;
    for (const TAreaPicture& Area : Areas) {
        Width = std::max(Width, Area.Width);
        Height += Heading + Area.Height;
    }
    std::string Out;
    const auto Flush = [&] {
        Write(Out);
        Out.clear();
    };
    Out += Format("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                  "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"%.0f\" height=\"%.0f\" "
                  "viewBox=\"0 0 %.0f %.0f\" font-family=\"sans-serif\" font-size=\"11\">\n"
                  "<title>Patch picture</title>\n",
                  Width, Height, Width, Height);
    double Offset = 0;
    for (const TAreaPicture& Area : Areas) {
        const char* Name = AreaName(Area.Area);
        Out += Format("<g class=\"area\" id=\"%s\" transform=\"translate(0 %.1f)\">\n", Name, Offset);
        Out += Format("<text class=\"caption\" x=\"%.1f\" y=\"17\" font-size=\"13\" font-weight=\"bold\">%s area</text>\n",
                      PictureMargin, Name);
        Out += Format("<g transform=\"translate(0 %.1f)\">\n", Heading);
        for (const TPictureModule& Box : Area.Modules) {
            Out += Format("<g class=\"module%s%s\" id=\"%s-%d\">", Box.Late ? " late" : "", Box.Loop ? " loop" : "",
                          Name, Box.Index);
            Out += "<title>" + XmlText(std::to_string(Box.Index) + " " + Box.TypeName + " " + Box.Name) + "</title>";
            Out += Format("<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" rx=\"3\" fill=\"%s\" stroke=\"%s\" "
                          "stroke-width=\"%s\"/>",
                          Box.Left, Box.Top, Box.Width, Box.Height, Box.Loop ? LoopTint : ModuleFill,
                          Box.Late ? LateColour : "#404040", Box.Late ? "2" : "1");
            Out += Format("<text x=\"%.1f\" y=\"%.1f\">", Box.Left + 7, Box.Top + 14) + XmlText(Box.Label()) + "</text>";
            for (const double Y : Box.InputsY)
                Out += Format("<rect x=\"%.1f\" y=\"%.1f\" width=\"5\" height=\"5\" fill=\"#ffffff\" stroke=\"#404040\"/>",
                              Box.Left - 2.5, Y - 2.5);
            for (const double Y : Box.OutputsY)
                Out += Format("<rect x=\"%.1f\" y=\"%.1f\" width=\"5\" height=\"5\" fill=\"#404040\"/>",
                              Box.Left + Box.Width - 2.5, Y - 2.5);
            Out += "</g>\n";
            if (Out.size() > (1 << 16))
                Flush();
        }
        for (const TPictureCable& Cable : Area.Cables) {
            Out += Format("<path class=\"cable%s\" d=\"M %.1f %.1f C %.1f %.1f %.1f %.1f %.1f %.1f\" fill=\"none\" "
                          "stroke=\"%s\" stroke-width=\"2\"%s/>\n",
                          Cable.Late ? " late" : "", Cable.From.X, Cable.From.Y, Cable.Bend1.X, Cable.Bend1.Y,
                          Cable.Bend2.X, Cable.Bend2.Y, Cable.To.X, Cable.To.Y,
                          Cable.Late ? LateColour : CableColour(Cable.Color),
                          Cable.Late ? " stroke-dasharray=\"6 4\"" : "");
            if (Out.size() > (1 << 16))
                Flush();
        }
        Out += "</g>\n</g>\n";
        Offset += Heading + Area.Height;
    }
    Out += "</svg>\n";
    Flush();
}

} // namespace permuto
