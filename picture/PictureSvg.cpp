// Pictures written as SVG 1.1: one element per module (its index, type and
// name as its title) and per cable, the areas one below the other, the
// numbers written without the cost of printf.
#include "PatchPicture.h"
#include "base/Latin1.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace permuto {

namespace {

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
        else
            AppendLatin1AsUtf8(Out, C);
    }
    return Out;
}

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
    TSvgText{FOut} << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\""
                   << Width << "\" height=\"" << Height << "\" viewBox=\"0 0 " << Width << " " << Height
                   << "\" font-family=\"sans-serif\" font-size=\"11\">\n<title>Patch picture</title>\n";
}

void TSvgWriter::Begin(TArea Area)
{
    const char* Name = AreaName(Area);
    TSvgText{FOut} << "<g class=\"area\" id=\"" << Name << "\" transform=\"translate(0 " << FOffset << ")\">\n"
                   << "<text class=\"caption\" x=\"" << PictureMargin
                   << "\" y=\"17\" font-size=\"13\" font-weight=\"bold\">" << Name << " area</text>\n"
                   << "<g transform=\"translate(0 " << SvgHeading << ")\">\n";
}

void TSvgWriter::AddBox(const char* Name, const TPictureModule& Box)
{
    TSvgText Out{FOut};
    Out << "<g class=\"module" << (Box.Late ? " late" : "") << (Box.Loop ? " loop" : "") << "\" id=\"" << Name << "-"
        << Box.Index << "\"><title>" << XmlText(std::to_string(Box.Index) + " " + Box.TypeName + " " + Box.Name)
        << "</title>"
        << "<rect x=\"" << Box.Left << "\" y=\"" << Box.Top << "\" width=\"" << Box.Width << "\" height=\""
        << Box.Height << "\" rx=\"" << BoxCorner << "\" fill=\"" << (Box.Loop ? LoopTint : ModuleFill)
        << "\" stroke=\"" << (Box.Late ? LateColour : EdgeColour) << "\" stroke-width=\""
        << (Box.Late ? LateEdgeWidth : EdgeWidth) << "\"/>"
        << "<text x=\"" << Box.Left + LabelInset << "\" y=\"" << Box.Top + LabelBaseline << "\" fill=\"" << LabelColour
        << "\">" << XmlText(Box.Label()) << "</text>";
    const auto Connector = [&Out](double X, double Y, const char* Fill, bool Edged) {
        const TPictureRect Square = ConnectorSquare(X, Y);
        Out << "<rect x=\"" << Square.Left << "\" y=\"" << Square.Top << "\" width=\"" << Square.Width
            << "\" height=\"" << Square.Height << "\" fill=\"" << Fill << "\"";
        if (Edged)
            Out << " stroke=\"" << EdgeColour << "\" stroke-width=\"" << EdgeWidth << "\"";
        Out << "/>";
    };
    for (const double Y : Box.InputsY)
        Connector(Box.Left, Y, InputFill, true);
    for (const double Y : Box.OutputsY)
        Connector(Box.Left + Box.Width, Y, OutputFill, false);
    Out << "</g>\n";
    FlushSometimes();
}

void TSvgWriter::AddCable(const TPictureCable& Cable)
{
    TSvgText{FOut} << "<path class=\"cable" << (Cable.Late ? " late" : "") << "\" d=\"M " << Cable.From.X << " "
                   << Cable.From.Y << " C " << Cable.Bend1.X << " " << Cable.Bend1.Y << " " << Cable.Bend2.X << " "
                   << Cable.Bend2.Y << " " << Cable.To.X << " " << Cable.To.Y << "\" fill=\"none\" stroke=\""
                   << (Cable.Late ? LateColour : CableColour(Cable.Color)) << "\" stroke-width=\"" << CableWidth << "\"";
    if (Cable.Late)
        TSvgText{FOut} << " stroke-dasharray=\"" << LateDash << " " << LateGap << "\"";
    FOut += "/>\n";
    FlushSometimes();
}

void TSvgWriter::End(double Height)
{
    FOut += "</g>\n</g>\n";
    FOffset += SvgHeading + Height;
}

void TSvgWriter::Add(const TAreaPicture& Area)
{
    Begin(Area.Area);
    for (const TPictureModule& Box : Area.Modules)
        AddBox(AreaName(Area.Area), Box);
    for (const TPictureCable& Cable : Area.Cables)
        AddCable(Cable);
    End(Area.Height);
}

void TSvgWriter::Add(const TAreaLayout& Area)
{
    Begin(Area.Area());
    for (size_t Rank = 0; Rank < Area.Boxes(); ++Rank)
        AddBox(AreaName(Area.Area()), Area.Box(Rank));
    for (size_t I = 0; I < Area.Cables(); ++I)
        AddCable(Area.Cable(I));
    End(Area.Height());
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

namespace {

TPicturePoint SizeOf(const TAreaPicture& Area)
{
    return {Area.Width, Area.Height};
}

TPicturePoint SizeOf(const TAreaLayout& Area)
{
    return {Area.Width(), Area.Height()};
}

template <class TDrawn>
void WriteAreas(const std::vector<TDrawn>& Areas, const std::function<void(std::string_view Bytes)>& Write)
{
    std::vector<TPicturePoint> Sizes;
    for (const TDrawn& Area : Areas)
        Sizes.push_back(SizeOf(Area));
    TSvgWriter Svg(Write, SvgSize(Sizes));
    for (const TDrawn& Area : Areas)
        Svg.Add(Area);
    Svg.Finish();
}

} // namespace

void WriteSvg(const std::vector<TAreaPicture>& Areas, const std::function<void(std::string_view Bytes)>& Write)
{
    WriteAreas(Areas, Write);
}

void WriteSvg(const std::vector<TAreaLayout>& Areas, const std::function<void(std::string_view Bytes)>& Write)
{
    WriteAreas(Areas, Write);
}

} // namespace permuto
