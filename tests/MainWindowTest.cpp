// The real window, driven headless: loading, both tables, swaps in both
// areas, the index fields, area choice by clicks, failed loads, settings and
// the About page.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <filesystem>

#include "AboutPage.h"
#include "Application.h"
#include "FrmMain.h"
#include "Globals.h"
#include "JpegImage.h"
#include "Startup.h"
#include "TestHelpers.h"
#include "VersionInfo.h"
#include "library/Descript.h"

using namespace permuto;
using namespace permuto::test;

namespace {

std::string DataFile(const std::string& Name)
{
    return std::string(PERMUTO_TEST_DATA) + "/" + Name;
}

QString Cell(QTableWidget* Grid, int Row, int Column)
{
    QTableWidgetItem* Item = Grid->item(Row, Column);
    return Item != nullptr ? Item->text() : QString();
}

QStringList RowTexts(QTableWidget* Grid, int Row)
{
    QStringList Texts;
    for (int Column = 0; Column < Grid->columnCount(); ++Column)
        Texts << Cell(Grid, Row, Column);
    return Texts;
}

// Every test runs in a fresh program folder with the library and a settings
// file of its own, and records the errors the window shows.
class MainWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directory(Dir.File("resources"));
        std::filesystem::copy_file(std::string(PERMUTO_RESOURCES) + "/patch303.txt",
                                   Dir.File("resources/patch303.txt"));
        InitGlobals(Dir.File("permuto"));
        ASSERT_EQ(LoadModuleLibrary(), "");
        TApplication::SetErrorPresenter([this](const QString& Message) { Errors << Message; });
    }
    void TearDown() override { TApplication::SetErrorPresenter(nullptr); }

    std::unique_ptr<TFormMain> Open()
    {
        auto Window = std::make_unique<TFormMain>();
        Window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
        return Window;
    }

    void Load(TFormMain& Window, const std::string& File)
    {
        Window.EditPatchName()->setText(QString::fromStdString(File));
        QTest::mouseClick(Window.BitBtnLoad(), Qt::LeftButton);
    }

    void TypeIndices(TFormMain& Window, const QString& A, const QString& B)
    {
        Window.EditIndex1()->clear();
        QTest::keyClicks(Window.EditIndex1(), A);
        Window.EditIndex2()->clear();
        QTest::keyClicks(Window.EditIndex2(), B);
    }

    TTempDir Dir;
    QStringList Errors;
};

} // namespace

TEST_F(MainWindow, StartsEmptyWithTheProgramFolderAsPatchName)
{
    auto W = Open();
    EXPECT_EQ(W->windowTitle(), "Permuto");
    EXPECT_EQ(W->EditPatchName()->text().toStdString(), ExeDir());
    EXPECT_TRUE(W->RadioPoly()->isChecked());
    for (QTableWidget* Grid : {W->StringGridPoly(), W->StringGridCommon()}) {
        EXPECT_EQ(Grid->rowCount(), 1);
        EXPECT_EQ(Grid->columnCount(), 5);
        EXPECT_EQ(Grid->horizontalHeaderItem(0)->text(), "index");
        EXPECT_EQ(Grid->horizontalHeaderItem(4)->text(), "y");
        EXPECT_EQ(Grid->columnWidth(0), 25);
        EXPECT_EQ(Grid->columnWidth(1), (Grid->width() - 82) / 2);
    }
    EXPECT_EQ(W->BitBtnBrowse()->text(), "&Browse ...");
    EXPECT_EQ(W->BitBtnExit()->text(), "E&xit");
}

TEST_F(MainWindow, LoadFillsBothTables)
{
    auto W = Open();
    Load(*W, DataFile("full.pch"));
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join("\n").toStdString();
    QTableWidget* Poly = W->StringGridPoly();
    ASSERT_EQ(Poly->rowCount(), 7);
    EXPECT_EQ(RowTexts(Poly, 0), (QStringList{"1", "KeyVoice", "Keys", "0", "0"}));
    EXPECT_EQ(RowTexts(Poly, 1), (QStringList{"2", "OscSaw", "Saw Osc", "0", "2"}));
    EXPECT_EQ(RowTexts(Poly, 3), (QStringList{"4", "EnvADSR", "Env\"Amp", "1", "3"}));
    EXPECT_EQ(RowTexts(Poly, 6), (QStringList{"", "", "", "", ""}));
    QTableWidget* Common = W->StringGridCommon();
    ASSERT_EQ(Common->rowCount(), 4);
    EXPECT_EQ(RowTexts(Common, 2), (QStringList{"3", "Delay", "Echo", "1", "4"}));

    Load(*W, DataFile("shuffled.pch")); // 8-bit names shown as Latin-1
    EXPECT_EQ(Cell(W->StringGridCommon(), 0, 2), QString::fromLatin1("Ausgang \xe9"));
}

TEST_F(MainWindow, NothingIsSavedBeforeAPatchWasLoaded)
{
    auto W = Open();
    const std::string Existing = Dir.File("mine.pch");
    WriteText(Existing, "precious");
    W->EditPatchName()->setText(QString::fromStdString(Existing));
    EXPECT_FALSE(W->BitBtnSave()->isEnabled());
    QTest::mouseClick(W->BitBtnSave(), Qt::LeftButton);
    QTest::keyClick(W.get(), Qt::Key_S, Qt::AltModifier);
    EXPECT_EQ(ReadText(Existing), "precious");

    Load(*W, Dir.File("missing.pch")); // a failed first load changes nothing
    EXPECT_FALSE(W->BitBtnSave()->isEnabled());
    Load(*W, DataFile("minimal.pch"));
    EXPECT_TRUE(W->BitBtnSave()->isEnabled());
}

TEST_F(MainWindow, ShorterPatchLeavesNoOldTextBehind)
{
    auto W = Open();
    Load(*W, DataFile("full.pch"));
    Load(*W, DataFile("shuffled.pch"));
    QTableWidget* Poly = W->StringGridPoly();
    ASSERT_EQ(Poly->rowCount(), 4);
    EXPECT_EQ(RowTexts(Poly, 3), (QStringList{"", "", "", "", ""}));
}

TEST_F(MainWindow, EmptyAreaShowsHeaderAndOneEmptyRow)
{
    auto W = Open();
    Load(*W, DataFile("minimal.pch"));
    EXPECT_EQ(W->StringGridPoly()->rowCount(), 1);
    EXPECT_EQ(RowTexts(W->StringGridCommon(), 0), (QStringList{"", "", "", "", ""}));
}

TEST_F(MainWindow, SwapInPolyAndCommonUpdatesTablesAndSavedFile)
{
    auto W = Open();
    Load(*W, DataFile("full.pch"));
    TypeIndices(*W, "2", "5");
    QTest::mouseClick(W->BitBtnSwap(), Qt::LeftButton);
    EXPECT_EQ(RowTexts(W->StringGridPoly(), 1), (QStringList{"5", "OscSaw", "Saw Osc", "0", "2"}));
    EXPECT_EQ(RowTexts(W->StringGridPoly(), 4), (QStringList{"2", "AmpVCA", "VCA\tone", "2", "0"}));

    QTest::mouseClick(W->RadioCommon(), Qt::LeftButton);
    EXPECT_EQ(W->Section(), AreaCommon);
    TypeIndices(*W, "1", "3");
    QTest::mouseClick(W->BitBtnSwap(), Qt::LeftButton);
    EXPECT_EQ(Cell(W->StringGridCommon(), 0, 0), "3");
    EXPECT_EQ(Cell(W->StringGridCommon(), 2, 0), "1");
    EXPECT_EQ(Cell(W->StringGridCommon(), 0, 2), "Out");

    const std::string Saved = Dir.File("saved.pch");
    W->EditPatchName()->setText(QString::fromStdString(Saved));
    QTest::mouseClick(W->BitBtnSave(), Qt::LeftButton);
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join("\n").toStdString();
    const std::string Text = ReadText(Saved);
    EXPECT_NE(Text.find("[ModuleDump]\r\n1\r\n1 1 0 0\r\n5 3 0 2\r\n"), std::string::npos);
    EXPECT_NE(Text.find("[ModuleDump]\r\n0\r\n3 2 0 0\r\n2 14 1 0\r\n1 26 1 4\r\n"), std::string::npos);
    EXPECT_NE(Text.find("[NameDump]\r\n0\r\n3 Out\r\n"), std::string::npos);
    EXPECT_NE(Text.find("0 2 0 1 3 0 0\r\n1 1 0 1 2 1 0\r\n[/CableDump]"), std::string::npos);
}

TEST_F(MainWindow, NonIntegerIndexRefusesTheSwap)
{
    auto W = Open();
    Load(*W, DataFile("full.pch"));
    TypeIndices(*W, "2", "abc");
    EXPECT_EQ(W->Index2(), 0);
    QTest::mouseClick(W->BitBtnSwap(), Qt::LeftButton);
    ASSERT_EQ(Errors.size(), 1);
    EXPECT_EQ(Errors[0], NonIntegerSwapMessage);
    EXPECT_EQ(Cell(W->StringGridPoly(), 1, 0), "2");
}

TEST_F(MainWindow, LeadingZerosAreNormalised)
{
    auto W = Open();
    TypeIndices(*W, "007", "-0012");
    EXPECT_EQ(W->Index1(), 7);
    EXPECT_EQ(W->EditIndex1()->text(), "7");
    EXPECT_EQ(W->Index2(), -12);
    EXPECT_EQ(W->EditIndex2()->text(), "-12");
}

TEST_F(MainWindow, ClickingATableChoosesItsArea)
{
    auto W = Open();
    Load(*W, DataFile("full.pch"));
    QTableWidget* Poly = W->StringGridPoly();
    QTableWidget* Common = W->StringGridCommon();
    EXPECT_EQ(Poly->palette().color(QPalette::Base), QColor(Qt::white));
    QTest::mouseClick(Common->viewport(), Qt::LeftButton, {}, QPoint(40, 10));
    EXPECT_EQ(W->Section(), AreaCommon);
    EXPECT_TRUE(W->RadioCommon()->isChecked());
    EXPECT_EQ(Common->palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(Poly->palette().color(QPalette::Base), W->palette().color(QPalette::Button));
    QTest::mouseClick(Poly->viewport(), Qt::LeftButton, {}, QPoint(40, 10));
    EXPECT_EQ(W->Section(), AreaPoly);
    EXPECT_TRUE(W->RadioPoly()->isChecked());
}

TEST_F(MainWindow, FailedLoadKeepsTablesAndDocument)
{
    auto W = Open();
    Load(*W, DataFile("full.pch"));
    const std::string Missing = Dir.File("missing.pch");
    Load(*W, Missing);
    ASSERT_EQ(Errors.size(), 1);
    EXPECT_EQ(Errors[0].toStdString(), "Cannot open file \"" + Missing + "\". No such file or directory");
    EXPECT_EQ(W->StringGridPoly()->rowCount(), 7);
    EXPECT_EQ(W->Patch().ModuleDumps[PolyDump].Count(), 6);

    WriteText(Dir.File("noversion.pch"), "[ModuleDump]\r\n1\r\n9 9 9 9\r\n");
    Load(*W, Dir.File("noversion.pch"));
    ASSERT_EQ(Errors.size(), 2);
    EXPECT_EQ(Errors[1], "List index out of bounds (3)");
    EXPECT_EQ(Cell(W->StringGridPoly(), 0, 1), "KeyVoice");

    Load(*W, "");
    EXPECT_EQ(Errors.size(), 3);
    EXPECT_EQ(W->StringGridPoly()->rowCount(), 7);
}

TEST_F(MainWindow, PatchNameIsRememberedAcrossRuns)
{
    {
        auto W = Open();
        W->EditPatchName()->setText(QString::fromStdString(DataFile("full.pch")));
        W->close();
    }
    const std::string Ini = ReadText(IniFileName());
    EXPECT_NE(Ini.find("[Settings]"), std::string::npos);
    EXPECT_NE(Ini.find("PatchName=" + DataFile("full.pch")), std::string::npos);
    auto Again = Open();
    EXPECT_EQ(Again->EditPatchName()->text().toStdString(), DataFile("full.pch"));
}

TEST_F(MainWindow, AnEmptyRememberedNameFallsBackToTheProgramFolder)
{
    WriteText(IniFileName(), "[Settings]\nPatchName=\n");
    auto W = Open();
    EXPECT_EQ(W->EditPatchName()->text().toStdString(), ExeDir());
}

TEST_F(MainWindow, ExitClosesTheWindow)
{
    auto W = Open();
    QTest::mouseClick(W->BitBtnExit(), Qt::LeftButton);
    EXPECT_FALSE(W->isVisible());
    EXPECT_TRUE(std::filesystem::exists(IniFileName()));
}

TEST_F(MainWindow, UnwritableSettingsAreReportedAndTheWindowStillCloses)
{
    auto W = Open();
    std::filesystem::create_directory(IniFileName()); // a folder where the file should be
    W->close();
    EXPECT_FALSE(W->isVisible());
    ASSERT_EQ(Errors.size(), 1);
    EXPECT_TRUE(Errors[0].startsWith("Cannot create file")) << Errors[0].toStdString();
}

TEST(VersionTable, EveryKeyUnknownWithoutATable)
{
    const TVersionInfo Info = ReadVersionInfo({});
    for (size_t I = 0; I < VersionKeys.size(); ++I) {
        EXPECT_EQ(Info.Values[I], "Unknown");
        EXPECT_FALSE(Info.Present[I]);
    }
    TAboutPage Page(Info);
    for (int I = 0; I < VersionKeyCount; ++I)
        EXPECT_EQ(Page.ValueLabel(I)->text(), "Unknown");
}

TEST(VersionTable, BuildTableNamesTheProgramAndItsLicence)
{
    const TVersionInfo Info = ReadVersionInfo(BuildVersionTable());
    EXPECT_EQ(Info.Value("ProductName"), "Permuto");
    EXPECT_EQ(Info.Value("Gnu"), "COPYING");
    EXPECT_NE(Info.Value("FileVersion"), "Unknown");
}

TEST(AboutLinks, OpenWebMailAndLicenceTargets)
{
    InitGlobals("/opt/permuto/permuto");
    const TVersionInfo Info =
        ReadVersionInfo({{"Www", "example.org/permuto"}, {"Mail", "team@example.org"}, {"Gnu", "COPYING"}});
    TAboutPage Page(Info);
    QList<QUrl> Opened;
    Page.SetOpener([&](const QUrl& Url) { Opened << Url; });
    QTest::mouseClick(Page.StaticTextWww(), Qt::LeftButton);
    QTest::mouseClick(Page.StaticTextMail(), Qt::LeftButton);
    QTest::mouseClick(Page.StaticTextLicense(), Qt::LeftButton);
    ASSERT_EQ(Opened.size(), 3);
    EXPECT_EQ(Opened[0].toString(), "http://example.org/permuto");
    EXPECT_EQ(Opened[1].toString(), "mailto:team@example.org");
    EXPECT_EQ(Opened[2].toLocalFile(), "/opt/permuto/COPYING");
    EXPECT_EQ(Page.StaticTextWww()->cursor().shape(), Qt::PointingHandCursor);

    const TVersionInfo Empty = ReadVersionInfo({{"Www", ""}});
    TAboutPage EmptyPage(Empty);
    EmptyPage.SetOpener([&](const QUrl& Url) { Opened << Url; });
    QTest::mouseClick(EmptyPage.StaticTextWww(), Qt::LeftButton);
    ASSERT_EQ(Opened.size(), 4);
    EXPECT_EQ(Opened[3].toString(), "http://");
}

TEST(AboutLinks, MissingKeysAreNoLinks)
{
    TAboutPage Page(ReadVersionInfo({}));
    int Opened = 0;
    Page.SetOpener([&](const QUrl&) { ++Opened; });
    for (TLinkLabel* Link : {Page.StaticTextWww(), Page.StaticTextMail(), Page.StaticTextLicense()}) {
        QTest::mouseClick(Link, Qt::LeftButton);
        EXPECT_NE(Link->cursor().shape(), Qt::PointingHandCursor);
    }
    EXPECT_EQ(Opened, 0);
}

TEST(Logo, DecodesOurJpegAndRefusesGarbage)
{
    const std::string Bytes = ReadText(std::string(PERMUTO_RESOURCES) + "/logo.jpg");
    const QImage Image = DecodeJpeg(reinterpret_cast<const unsigned char*>(Bytes.data()), Bytes.size());
    ASSERT_FALSE(Image.isNull());
    EXPECT_EQ(Image.size(), QSize(320, 300));
    EXPECT_LT(qGray(Image.pixel(5, 5)), 20); // black background
    const QImage Reference(QString::fromStdString(std::string(PERMUTO_RESOURCES) + "/logo.jpg"));
    if (!Reference.isNull()) {
        const QColor Ours = Image.pixelColor(100, 90), Theirs = Reference.pixelColor(100, 90);
        EXPECT_NEAR(Ours.green(), Theirs.green(), 8);
    }
    const unsigned char Garbage[] = {0xFF, 0xD8, 0x00, 0x01, 0x02};
    EXPECT_TRUE(DecodeJpeg(Garbage, sizeof Garbage).isNull());
    EXPECT_TRUE(DecodeJpeg(nullptr, 0).isNull());

    TAboutPage Page(ReadVersionInfo({}));
    EXPECT_FALSE(Page.Logo()->pixmap().isNull());
}
