// The patch picture as SVG, read back with an XML reader: one element per
// module and per cable, with the ids, classes and titles the picture
// promises.
#include <gtest/gtest.h>

#include <QXmlStreamReader>
#include <map>

#include "TestHelpers.h"
#include "modules/Descript.h"
#include "flow/AreaAnalysis.h"
#include "patch/ModuleTypes.h"
#include "patch/PatchDefs.h"
#include "picture/PatchPicture.h"

using namespace permuto;
using namespace permuto::test;

namespace {

struct TSvg {
    std::map<std::string, std::string> Modules; // id -> class
    std::map<std::string, std::string> Titles;  // id -> title
    std::vector<std::string> Cables;            // classes
};

TSvg ReadSvg(const std::vector<TAreaPicture>& Areas)
{
    std::string Text;
    WriteSvg(Areas, [&Text](std::string_view Bytes) { Text.append(Bytes); });
    QXmlStreamReader Xml(QByteArray::fromStdString(Text));
    TSvg Svg;
    std::string Module; // the module element we are in
    while (!Xml.atEnd()) {
        if (Xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const std::string Class = Xml.attributes().value("class").toString().toStdString();
        if (Class.rfind("module", 0) == 0) {
            Module = Xml.attributes().value("id").toString().toStdString();
            Svg.Modules[Module] = Class;
        } else if (Class.rfind("cable", 0) == 0) {
            Svg.Cables.push_back(Class);
        } else if (Xml.name() == QLatin1String("title") && !Module.empty()) {
            Svg.Titles[Module] = Xml.readElementText().toStdString();
            Module.clear();
        }
    }
    EXPECT_FALSE(Xml.hasError()) << Xml.errorString().toStdString();
    return Svg;
}

std::vector<TAreaPicture> Draw(const std::string& Text, const std::vector<TArea>& Areas)
{
    TPatchDef Patch;
    Patch.LoadFromStrings(TPatchText(Text));
    std::vector<TAreaPicture> Pictures;
    for (const TArea Area : Areas)
        Pictures.push_back(DrawArea(Patch, Area, AnalyseArea(Patch, Area), TModuleTypes(Patch, ModuleDescriptors())));
    return Pictures;
}

} // namespace

TEST(Picture, ModulesAndCablesWithTheirMarks)
{
    ModuleDescriptors().LoadFromFile(std::string(PERMUTO_RESOURCES) + "/patch303.txt");
    const TSvg Full = ReadSvg(Draw(ReadText(std::string(PERMUTO_TEST_DATA) + "/full.pch"), {AreaPoly, AreaCommon}));
    const std::map<std::string, std::string> Modules = {
        {"poly-1", "module"},      {"poly-2", "module late"},   {"poly-3", "module late"},
        {"poly-4", "module"},      {"poly-5", "module"},        {"poly-6", "module"},
        {"common-1", "module late"}, {"common-2", "module late"}, {"common-3", "module"}};
    EXPECT_EQ(Full.Modules, Modules);
    EXPECT_EQ(Full.Titles.at("poly-2"), "2 OscSaw Saw Osc");
    EXPECT_EQ(Full.Titles.at("poly-4"), "4 EnvADSR Env\"Amp");
    EXPECT_EQ(Full.Cables.size(), 8u);
    EXPECT_EQ(std::count(Full.Cables.begin(), Full.Cables.end(), "cable late"), 4);

    // A loop: every member marked; 1 is fed late by 3. A cable to a module
    // the area lacks is not drawn; a type the library lacks gets a box.
    const std::string Loop = "Version=l\r\n0\r\n[ModuleDump]\r\n1\r\n1 1 0 0\r\n2 3 0 1\r\n3 9999 0 2\r\n"
                             "[CableDump]\r\n1\r\n0 1 0 1 2 0 0\r\n0 2 0 1 3 0 0\r\n0 3 0 1 1 0 0\r\n0 3 1 1 8 0 0\r\n";
    const TSvg Looped = ReadSvg(Draw(Loop, {AreaPoly}));
    EXPECT_EQ(Looped.Modules, (std::map<std::string, std::string>{
                                  {"poly-1", "module late loop"}, {"poly-2", "module loop"}, {"poly-3", "module loop"}}));
    EXPECT_EQ(Looped.Titles.at("poly-3"), "3 type 9999 ");
    // Types the library does not describe get plain boxes down to the next
    // box of their column (three rows at most), with the connectors used.
    const TAreaPicture Plain = Draw(Loop, {AreaPoly}).front();
    ASSERT_EQ(Plain.Modules.size(), 3u);
    EXPECT_EQ(Plain.Modules[0].Height, 1 * PictureRow - 4);
    EXPECT_EQ(Plain.Modules[2].Height, 3 * PictureRow - 4);
    EXPECT_EQ(Plain.Modules[2].OutputsY.size(), 2u); // connectors 0 and 1
    EXPECT_EQ(Looped.Cables, (std::vector<std::string>{"cable", "cable", "cable late"}));
}

// Every cable's curve, which swings out past its ends, stays inside the
// picture: a cable back into a box at the left edge, one from the last column.
TEST(Picture, CurvesStayInsideThePicture)
{
    const std::string Back = "Version=b\r\n0\r\n[ModuleDump]\r\n1\r\n1 1 0 0\r\n2 3 0 3\r\n3 4 3 0\r\n"
                             "[CableDump]\r\n1\r\n0 3 0 1 1 0 0\r\n0 1 0 1 3 0 0\r\n0 2 0 1 3 1 0\r\n";
    for (const TAreaPicture& Picture : Draw(Back, {AreaPoly})) {
        ASSERT_EQ(Picture.Cables.size(), 3u);
        for (const TPictureCable& Line : Picture.Cables)
            for (int Step = 0; Step <= 100; ++Step) {
                const double T = Step / 100.0, U = 1 - T;
                const double X = U * U * U * Line.From.X + 3 * U * U * T * Line.Bend1.X + 3 * U * T * T * Line.Bend2.X +
                                 T * T * T * Line.To.X;
                const double Y = U * U * U * Line.From.Y + 3 * U * U * T * Line.Bend1.Y + 3 * U * T * T * Line.Bend2.Y +
                                 T * T * T * Line.To.Y;
                EXPECT_TRUE(X >= 0 && X <= Picture.Width && Y >= 0 && Y <= Picture.Height) << X << "," << Y;
            }
        // The boxes moved with the curves: every connector is still on its box.
        for (const TPictureModule& Box : Picture.Modules)
            for (const double Y : Box.InputsY)
                EXPECT_TRUE(Y > Box.Top && Y < Box.Top + Box.Height);
    }
}

// What the picture says of one module and one cable, and where the second
// area stands: a module's cable into its own input is no late signal; of
// modules sharing an index the first is drawn; an 8-bit name comes out as
// UTF-8; the second area starts below the first one and its caption.
TEST(Picture, SharedIndicesOwnCablesNamesAndAreas)
{
    const std::string Text = "Version=s\r\n0\r\n[ModuleDump]\r\n1\r\n1 4710 0 0\r\n2 4711 0 2\r\n2 4712 3 9\r\n[/ModuleDump]\r\n"
                             "[ModuleDump]\r\n0\r\n1 1002 0 0\r\n[/ModuleDump]\r\n"
                             "[CableDump]\r\n1\r\n0 2 0 1 2 1 0\r\n[/CableDump]\r\n"
                             "[NameDump]\r\n1\r\n2 Caf\xe9 \xc0 la carte\r\n[/NameDump]\r\n";
    const std::vector<TAreaPicture> Both = Draw(Text, {AreaPoly, AreaCommon});
    const TAreaPicture& Poly = Both[0];
    ASSERT_EQ(Poly.Modules.size(), 2u);
    EXPECT_EQ(Poly.Modules[1].Index, 2);
    EXPECT_EQ(Poly.Modules[1].Left, Poly.Modules[0].Left); // the first module with index 2, in column 0
    ASSERT_EQ(Poly.Cables.size(), 1u);
    EXPECT_FALSE(Poly.Cables[0].Late); // into its own input

    std::string Svg;
    WriteSvg(Both, [&Svg](std::string_view Bytes) { Svg.append(Bytes); });
    EXPECT_NE(Svg.find("<title>2 type 4711 Caf\xc3\xa9 \xc3\x80 la carte</title>"), std::string::npos) << Svg;
    const TSvg Read = ReadSvg(Both); // a parser takes it: valid UTF-8 throughout
    EXPECT_EQ(Read.Titles.at("poly-2"), "2 type 4711 Caf\xc3\xa9 \xc3\x80 la carte");
    // The common area's group moves down by the poly area's height and caption.
    const size_t Common = Svg.find("id=\"common\" transform=\"translate(0 ");
    ASSERT_NE(Common, std::string::npos);
    const double Offset = std::stod(Svg.substr(Common + 35));
    EXPECT_GE(Offset, Poly.Height + 20);
}
