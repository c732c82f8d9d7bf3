#include "PatchPicture.h"

#include <algorithm>
#include <charconv>
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
    // A cubic curve's extremes lie at its ends or where its derivative,
    // a quadratic, is zero.
    const auto Extremes = [](double P0, double P1, double P2, double P3, double& Low, double& High) {
        const auto At = [&](double T) {
            const double U = 1 - T;
            return U * U * U * P0 + 3 * U * U * T * P1 + 3 * U * T * T * P2 + T * T * T * P3;
        };
        const auto Take = [&](double T) {
            if (T > 0 && T < 1) {
                const double V = At(T);
                Low = std::min(Low, V);
                High = std::max(High, V);
            }
        };
        Low = std::min({Low, P0, P3});
        High = std::max({High, P0, P3});
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
    for (const TPictureCable& Line : Picture.Cables) {
        double Low = Left + Room, High = Right - Room;
        Extremes(Line.From.X, Line.Bend1.X, Line.Bend2.X, Line.To.X, Low, High);
        Left = std::min(Left, Low - Room);
        Right = std::max(Right, High + Room);
        Low = Top + Room, High = Bottom - Room;
        Extremes(Line.From.Y, Line.Bend1.Y, Line.Bend2.Y, Line.To.Y, Low, High);
        Top = std::min(Top, Low - Room);
        Bottom = std::max(Bottom, High + Room);
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

namespace {

constexpr double SvgHeading = 26; // room for an area's caption

// Numbers as "%.1f" writes them, without the cost of printf.
struct TSvgText {
    std::string& Out;
    TSvgText& operator<<(std::string_view Text)
    {
        Out.append(Text);
        return *this;
    }
    TSvgText& operator<<(int64_t Value)
    {
        const size_t At = Out.size();
        Out.resize(At + 20); // the longest 64-bit number
        Out.resize(static_cast<size_t>(std::to_chars(Out.data() + At, Out.data() + Out.size(), Value).ptr - Out.data()));
        return *this;
    }
    TSvgText& operator<<(int32_t Value) { return *this << int64_t{Value}; }
    TSvgText& operator<<(double Value)
    {
        const long long Tenths = std::llround(Value * 10);
        if (Tenths < 0)
            Out += '-';
        const unsigned long long Whole = static_cast<unsigned long long>(Tenths < 0 ? -Tenths : Tenths);
        *this << static_cast<int64_t>(Whole / 10);
        Out += '.';
        Out += static_cast<char>('0' + Whole % 10);
        return *this;
    }
};

} // namespace

TPicturePoint SvgSize(const std::vector<TPicturePoint>& AreaSizes)
{
    TPicturePoint Size{200, 0};
    for (const TPicturePoint& Area : AreaSizes) {
        Size.X = std::max(Size.X, Area.X);
        Size.Y += SvgHeading + Area.Y;
    }
    return Size;
}

TSvgWriter::TSvgWriter(std::function<void(std::string_view Bytes)> Write, TPicturePoint Size)
    : FWrite(std::move(Write))
{
    const int64_t Width = std::llround(Size.X), Height = std::llround(Size.Y);
    TSvgText(FOut) << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\""
                   << Width << "\" height=\"" << Height << "\" viewBox=\"0 0 " << Width << " " << Height
                   << "\" font-family=\"sans-serif\" font-size=\"11\">\n<title>Patch picture</title>\n";
}

void TSvgWriter::Add(const TAreaPicture& Area)
{
    TSvgText Out{FOut};
    const char* Name = AreaName(Area.Area);
    Out << "<g class=\"area\" id=\"" << Name << "\" transform=\"translate(0 " << FOffset << ")\">\n"
        << "<text class=\"caption\" x=\"" << PictureMargin
        << "\" y=\"17\" font-size=\"13\" font-weight=\"bold\">" << Name << " area</text>\n"
        << "<g transform=\"translate(0 " << SvgHeading << ")\">\n";
    for (const TPictureModule& Box : Area.Modules) {
        Out << "<g class=\"module" << (Box.Late ? " late" : "") << (Box.Loop ? " loop" : "") << "\" id=\"" << Name
            << "-" << Box.Index << "\"><title>"
            << XmlText(std::to_string(Box.Index) + " " + Box.TypeName + " " + Box.Name) << "</title>"
            << "<rect x=\"" << Box.Left << "\" y=\"" << Box.Top << "\" width=\"" << Box.Width << "\" height=\""
            << Box.Height << "\" rx=\"3\" fill=\"" << (Box.Loop ? LoopTint : ModuleFill) << "\" stroke=\""
            << (Box.Late ? LateColour : "#404040") << "\" stroke-width=\"" << (Box.Late ? "2" : "1") << "\"/>"
            << "<text x=\"" << Box.Left + 7 << "\" y=\"" << Box.Top + 14 << "\">" << XmlText(Box.Label()) << "</text>";
        for (const double Y : Box.InputsY)
            Out << "<rect x=\"" << Box.Left - 2.5 << "\" y=\"" << Y - 2.5
                << "\" width=\"5\" height=\"5\" fill=\"#ffffff\" stroke=\"#404040\"/>";
        for (const double Y : Box.OutputsY)
            Out << "<rect x=\"" << Box.Left + Box.Width - 2.5 << "\" y=\"" << Y - 2.5
                << "\" width=\"5\" height=\"5\" fill=\"#404040\"/>";
        Out << "</g>\n";
        FlushSometimes();
    }
    for (const TPictureCable& Cable : Area.Cables) {
        Out << "<path class=\"cable" << (Cable.Late ? " late" : "") << "\" d=\"M " << Cable.From.X << " "
            << Cable.From.Y << " C " << Cable.Bend1.X << " " << Cable.Bend1.Y << " " << Cable.Bend2.X << " "
            << Cable.Bend2.Y << " " << Cable.To.X << " " << Cable.To.Y << "\" fill=\"none\" stroke=\""
            << (Cable.Late ? LateColour : CableColour(Cable.Color)) << "\" stroke-width=\"2\""
            << (Cable.Late ? " stroke-dasharray=\"6 4\"" : "") << "/>\n";
        FlushSometimes();
    }
    Out << "</g>\n</g>\n";
    FOffset += SvgHeading + Area.Height;
}

void TSvgWriter::Finish()
{
    FOut += "</svg>\n";
    FWrite(FOut);
    FOut.clear();
}

void TSvgWriter::FlushSometimes()
{
    if (FOut.size() > (1 << 16)) {
        FWrite(FOut);
        FOut.clear();
    }
}

void WriteSvg(const std::vector<TAreaPicture>& Areas, const std::function<void(std::string_view Bytes)>& Write)
{
    std::vector<TPicturePoint> Sizes;
    for (const TAreaPicture& Area : Areas)
        Sizes.push_back({Area.Width, Area.Height});
    TSvgWriter Svg(Write, SvgSize(Sizes));
    for (const TAreaPicture& Area : Areas)
        Svg.Add(Area);
    Svg.Finish();
}

} // namespace permuto
