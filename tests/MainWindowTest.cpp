// The real window, driven headless through its widgets and events: loading,
// the tables with their late inputs, undoable swaps, moves and orders,
// questions before anything unsaved is lost, opening patches as a desktop
// does, the keyboard, what is drawn, settings, and the About page.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QUndoStack>
#include <QUrl>
#include <filesystem>

#include "AboutPage.h"
#include "Application.h"
#include "FrmMain.h"
#include "Globals.h"
#include "JpegImage.h"
#include "ModuleTableModel.h"
#include "Startup.h"
#include "TestHelpers.h"
#include "VersionInfo.h"

using namespace permuto;
using namespace permuto::test;

namespace {

std::string DataFile(const std::string& Name)
{
    return std::string(PERMUTO_TEST_DATA) + "/" + Name;
}

QString Cell(QTableView* Grid, int Row, int Column, int Role = Qt::DisplayRole)
{
    return Grid->model()->index(Row, Column).data(Role).toString();
}

QStringList RowTexts(QTableView* Grid, int Row)
{
    QStringList Texts;
    for (int Column = 0; Column < Grid->model()->columnCount(); ++Column)
        Texts << Cell(Grid, Row, Column);
    return Texts;
}

// Every test runs in a fresh program folder with the library and a settings
// file of its own; messages are recorded and questions answered from a list.
class MainWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directory(Dir.File("resources"));
        std::filesystem::copy_file(std::string(PERMUTO_RESOURCES) + "/patch303.txt",
                                   Dir.File("resources/patch303.txt"));
        InitGlobals(Dir.File("permuto"));
        ASSERT_EQ(LoadModuleLibrary(), "");
        TApplication::SetPresenter([this](TApplication::TSeverity Severity, const QString& Message) {
            (Severity == TApplication::TSeverity::Error ? Errors : Warnings) << Message;
        });
        TApplication::SetAsker([this](const QString& Question, QMessageBox::StandardButtons,
                                      QMessageBox::StandardButton Default) {
            Defaults << Default;
            Questions << Question;
            return Answers.isEmpty() ? QMessageBox::Cancel : Answers.takeFirst();
        });
    }
    void TearDown() override
    {
        TApplication::SetPresenter(nullptr);
        TApplication::SetAsker(nullptr);
    }

    std::unique_ptr<TFormMain> Open()
    {
        auto Window = std::make_unique<TFormMain>();
        Window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
        return Window;
    }

    // Our own copy of a sample, which the tests may change.
    std::string Copy(const std::string& Sample, const std::string& Name)
    {
        WriteText(Dir.File(Name), ReadText(DataFile(Sample)));
        return Dir.File(Name);
    }

    void Load(TFormMain& Window, const std::string& File)
    {
        Window.SetPatchName(QString::fromStdString(File));
        QTest::mouseClick(Window.BitBtnLoad(), Qt::LeftButton);
    }

    void TypeInto(QLineEdit* Edit, const QString& Text, bool Enter = false)
    {
        Edit->selectAll();
        QTest::keyClicks(Edit, Text);
        if (Enter)
            QTest::keyClick(Edit, Qt::Key_Return);
    }

    TTempDir Dir;
    QStringList Errors, Warnings, Questions;
    QList<QMessageBox::StandardButton> Answers, Defaults;
};

} // namespace

TEST_F(MainWindow, LoadShowsBothAreasTheirLateInputsAndTheFile)
{
    auto W = Open();
    EXPECT_EQ(W->windowTitle(), "Permuto");
    EXPECT_EQ(W->EditPatchName()->text().toStdString(), ExeDir());
    EXPECT_FALSE(W->BitBtnSwap()->isEnabled() || W->BitBtnOrder()->isEnabled()); // nothing to act on yet
    Load(*W, DataFile("full.pch"));
    ASSERT_TRUE(Errors.isEmpty()) << Errors.join("\n").toStdString();
    QTableView* Poly = W->StringGridPoly();
    ASSERT_EQ(Poly->model()->rowCount(), 6);
    EXPECT_EQ(RowTexts(Poly, 1), (QStringList{"2", "OscSaw", "Saw Osc", "0", "2", "1"}));
    EXPECT_EQ(RowTexts(Poly, 3), (QStringList{"4", "EnvADSR", "Env\"Amp", "1", "3", ""}));
    EXPECT_EQ(Cell(Poly, 2, 5, Qt::ToolTipRole), "Arrives a sample late from 4 (Env\"Amp)");
    EXPECT_EQ(RowTexts(W->StringGridCommon(), 2), (QStringList{"3", "Delay", "Echo", "1", "4", ""}));
    EXPECT_EQ(W->LateStatus()->text(), "poly: 2 late, common: 2 late");
    EXPECT_EQ(W->statusBar()->currentMessage(), "Loaded full.pch: 6 + 3 modules");
    EXPECT_EQ(W->windowTitle(), "full.pch[*] - Permuto");
    EXPECT_FALSE(W->isWindowModified());

    Load(*W, DataFile("shuffled.pch")); // 8-bit names shown as Latin-1
    EXPECT_EQ(Cell(W->StringGridCommon(), 0, 2), QString::fromLatin1("Ausgang \xe9"));
    EXPECT_EQ(W->RecentMenu()->actions().size(), 2);
}

TEST_F(MainWindow, EveryEditIsAStepThatUndoesExactly)
{
    auto W = Open();
    Load(*W, Copy("full.pch", "p.pch"));
    const std::string Loaded = SavedText(W->Patch());

    TypeInto(W->EditIndex1(), "7");
    TypeInto(W->EditIndex2(), "8", true); // no line refers to either: no step
    EXPECT_EQ(W->UndoStack()->count(), 0);
    TypeInto(W->EditIndex1(), "2");
    TypeInto(W->EditIndex2(), "5", true); // Enter swaps
    QTest::keyClick(W->EditIndex2(), Qt::Key_Z, Qt::ControlModifier); // undoes the swap, not the typing
    EXPECT_EQ(W->UndoStack()->index(), 0);
    EXPECT_EQ(W->EditIndex2()->text(), "5");
    QTest::keyClick(W->EditIndex2(), Qt::Key_Y, Qt::ControlModifier);
    QTest::mouseClick(W->BitBtnOrder(), Qt::LeftButton);
    EXPECT_EQ(W->LateStatus()->text(), "poly: 0 late, common: 2 late");
    QTest::mouseClick(W->StringGridCommon()->viewport(), Qt::LeftButton, {},
                      W->StringGridCommon()->visualRect(W->StringGridCommon()->model()->index(2, 0)).center());
    EXPECT_EQ(W->Section(), AreaCommon);
    QTest::keyClick(W->StringGridCommon(), Qt::Key_Up, Qt::AltModifier); // module 3 goes before 2
    QTest::keyClick(W->StringGridCommon(), Qt::Key_Up, Qt::AltModifier); // and before 1: it stays selected
    ASSERT_EQ(W->UndoStack()->count(), 4) << Errors.join("\n").toStdString();
    EXPECT_EQ(W->UndoStack()->text(0), "Swap 2 and 5 (poly)");
    EXPECT_EQ(W->UndoStack()->text(1), "Order by signal flow (poly)");
    EXPECT_EQ(W->UndoStack()->text(2), "Move 3 to 2 (common)");
    EXPECT_EQ(W->UndoStack()->text(3), "Move 2 to 1 (common)");
    EXPECT_EQ(Cell(W->StringGridCommon(), 2, 0), "1");
    EXPECT_TRUE(W->isWindowModified());
    const std::string Edited = SavedText(W->Patch());

    for (int I = 0; I < 4; ++I)
        QTest::keyClick(W.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(SavedText(W->Patch()), Loaded);
    EXPECT_FALSE(W->isWindowModified());
    QTest::keyClick(W.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    for (int I = 0; I < 3; ++I)
        QTest::keyClick(W.get(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(SavedText(W->Patch()), Edited);

    // A drag of one row onto another moves it there (what the view asks of its model).
    TModuleTableModel* Model = W->Model(AreaPoly);
    const int32_t From = Model->ModuleIndexAt(0), To = Model->ModuleIndexAt(5);
    std::unique_ptr<QMimeData> Dragged(Model->mimeData({Model->index(0, 0)}));
    Model->dropMimeData(Dragged.get(), Qt::MoveAction, -1, -1, Model->index(5, 0));
    EXPECT_EQ(W->UndoStack()->text(4), QString("Move %1 to %2 (poly)").arg(From).arg(To));
    EXPECT_EQ(Model->ModuleIndexAt(0), To);
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join("\n").toStdString();
}

TEST_F(MainWindow, NothingUnsavedIsLostWithoutAQuestion)
{
    auto W = Open();
    const std::string File = Copy("full.pch", "p.pch");
    Load(*W, File);
    TypeInto(W->EditIndex1(), "1");
    TypeInto(W->EditIndex2(), "2", true);

    W->close(); // Cancel
    EXPECT_TRUE(W->isVisible());
    EXPECT_EQ(Questions.last(), "Save the changes to p.pch?");
    Load(*W, DataFile("minimal.pch")); // Cancel: the changed patch stays
    EXPECT_EQ(W->UndoStack()->count(), 1);
    Answers << QMessageBox::Save;
    W->close();
    EXPECT_FALSE(W->isVisible());
    EXPECT_EQ(Questions.size(), 3);
    EXPECT_EQ(ReadText(File), SavedText(W->Patch())); // saved where it came from

    auto Again = Open();
    Load(*Again, File);
    QTest::mouseClick(Again->BitBtnOrder(), Qt::LeftButton);
    Answers << QMessageBox::Discard;
    Again->OpenPatch(QString::fromStdString(DataFile("minimal.pch")));
    EXPECT_EQ(Again->Patch().ModuleDumps[PolyDump].Count(), 0);
}

TEST_F(MainWindow, SavingOverAnotherExistingFileAsksFirst)
{
    auto W = Open();
    const std::string A = Copy("full.pch", "A.pch"), B = Dir.File("B.pch");
    WriteText(B, "precious");
    EXPECT_FALSE(W->BitBtnSave()->isEnabled()); // nothing loaded: nothing to save
    Load(*W, A);
    W->SetPatchName(QString::fromStdString(B));
    Answers << QMessageBox::No;
    QTest::mouseClick(W->BitBtnSave(), Qt::LeftButton);
    EXPECT_TRUE(Questions.last().startsWith("Replace B.pch?"));
    EXPECT_EQ(ReadText(B), "precious");
    Answers << QMessageBox::Yes;
    QTest::keyClick(W.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(ReadText(B), SavedText(W->Patch()));
    EXPECT_EQ(W->statusBar()->currentMessage(), "Saved B.pch");
    EXPECT_EQ(W->windowTitle(), "B.pch[*] - Permuto");
    QTest::mouseClick(W->BitBtnSave(), Qt::LeftButton); // its own file now: no question
    EXPECT_EQ(Questions.size(), 2);
}

TEST_F(MainWindow, PatchesOpenFromTheCommandLineAndByDropping)
{
    auto W = Open();
    W->OpenPatch(QString::fromStdString(DataFile("full.pch"))); // what "permuto PATCH" does
    EXPECT_EQ(W->StringGridPoly()->model()->rowCount(), 6);

    QMimeData Data;
    Data.setUrls({QUrl::fromLocalFile(QString::fromStdString(DataFile("shuffled.pch")))});
    QDragEnterEvent Enter(QPoint(10, 10), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(W.get(), &Enter);
    EXPECT_TRUE(Enter.isAccepted());
    QDropEvent Drop(QPointF(10, 10), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(W.get(), &Drop);
    EXPECT_EQ(W->StringGridPoly()->model()->rowCount(), 3);
    EXPECT_EQ(W->EditPatchName()->text().toStdString(), DataFile("shuffled.pch"));
}

TEST_F(MainWindow, TypingInTheMiddleOfAFieldKeepsTheCursor)
{
    auto W = Open();
    struct TCase {
        QLineEdit* Edit;
        QString Before;
        int Cursor;
        QString Typed, After;
        int CursorAfter;
    };
    for (const TCase& C : {TCase{W->EditPatchName(), "/tmp/ab.pch", 5, "X", "/tmp/Xab.pch", 6},
                           TCase{W->EditIndex1(), "12", 1, "5", "152", 2},
                           TCase{W->EditIndex2(), "", 0, "$10", "$10", 3}}) {
        C.Edit->setText(C.Before);
        C.Edit->setCursorPosition(C.Cursor);
        QTest::keyClicks(C.Edit, C.Typed);
        EXPECT_EQ(C.Edit->text(), C.After);
        EXPECT_EQ(C.Edit->cursorPosition(), C.CursorAfter) << C.After.toStdString();
    }
    EXPECT_EQ(W->PatchName(), "/tmp/Xab.pch");
    EXPECT_EQ(W->Index1(), 152);
    EXPECT_EQ(W->Index2(), 16);
    // Once the typing is done the field shows the index in decimal: "$10" is 16, "007" is 7.
    emit W->EditIndex2()->editingFinished();
    EXPECT_EQ(W->EditIndex2()->text(), "16");
    TypeInto(W->EditIndex1(), "007");
    emit W->EditIndex1()->editingFinished();
    EXPECT_EQ(W->EditIndex1()->text(), "7");
}

TEST_F(MainWindow, TheAreaNotChosenIsDrawnGrey)
{
    auto W = Open();
    Load(*W, DataFile("minimal.pch")); // no rows: the tables show their background
    const auto Drawn = [](QTableView* Grid) {
        const QImage Image = Grid->viewport()->grab().toImage();
        return QColor(Image.pixel(Image.width() / 2, Image.height() / 2));
    };
    EXPECT_EQ(Drawn(W->StringGridPoly()), QColor(Qt::white));
    EXPECT_LT(Drawn(W->StringGridCommon()).lightness(), 225);
    QTest::mouseClick(W->StringGridCommon()->viewport(), Qt::LeftButton);
    EXPECT_TRUE(W->RadioCommon()->isChecked());
    EXPECT_EQ(Drawn(W->StringGridCommon()), QColor(Qt::white));
    EXPECT_LT(Drawn(W->StringGridPoly()).lightness(), 225);
}

TEST_F(MainWindow, TheKeyboardReachesEveryControl)
{
    auto W = Open();
    Load(*W, DataFile("full.pch"));
    W->EditPatchName()->setFocus();
    QList<QWidget*> Reached;
    for (int I = 0; I < 14; ++I) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        Reached << QApplication::focusWidget();
    }
    for (QWidget* Control : std::initializer_list<QWidget*>{
             W->BitBtnBrowse(), W->BitBtnLoad(), W->BitBtnSave(), W->BitBtnExit(), W->StringGridPoly(),
             W->StringGridCommon(), W->EditIndex1(), W->EditIndex2(), W->BitBtnSwap(),
             W->BitBtnOrder(), W->BitBtnMoveUp(), W->BitBtnMoveDown()})
        EXPECT_TRUE(Reached.contains(Control)) << Control->metaObject()->className() << " "
                                               << Control->accessibleName().toStdString();
    EXPECT_TRUE(Reached.contains(W->RadioPoly()) || Reached.contains(W->RadioCommon())); // the area choice
    // Reaching a table by Tab chooses its area, as a click does.
    EXPECT_EQ(W->Section(), AreaCommon);
}

TEST_F(MainWindow, ErrorsAreShownAndChangeNothing)
{
    auto W = Open();
    Load(*W, DataFile("full.pch"));
    TypeInto(W->EditIndex1(), "2");
    TypeInto(W->EditIndex2(), "abc");
    QTest::mouseClick(W->BitBtnSwap(), Qt::LeftButton);
    ASSERT_EQ(Errors.size(), 1);
    EXPECT_EQ(Errors[0], NonIntegerSwapMessage);

    const std::string Missing = Dir.File("missing.pch");
    Load(*W, Missing);
    EXPECT_EQ(Errors.last().toStdString(), "Cannot open file \"" + Missing + "\". No such file or directory");
    WriteText(Dir.File("noversion.pch"), "[ModuleDump]\r\n1\r\n9 9 9 9\r\n");
    Load(*W, Dir.File("noversion.pch"));
    EXPECT_EQ(Errors.last(), "List index out of bounds (3)");
    EXPECT_EQ(Errors.size(), 3);
    EXPECT_EQ(Cell(W->StringGridPoly(), 0, 1), "KeyVoice"); // tables, document and title as they were
    EXPECT_EQ(W->Patch().FileName, DataFile("full.pch"));
    EXPECT_EQ(W->windowTitle(), "full.pch[*] - Permuto");

    WriteText(Dir.File("text.pch"), "Version=not a patch\r\njust some text\r\n");
    Load(*W, Dir.File("text.pch"));
    ASSERT_EQ(Warnings.size(), 1);
    EXPECT_TRUE(Warnings[0].startsWith("text.pch does not look like a patch")) << Warnings[0].toStdString();
    QTest::keyClick(W.get(), Qt::Key_S, Qt::ControlModifier); // asked, No by default: the text stays
    EXPECT_TRUE(Questions.last().startsWith("Replace text.pch?"));
    EXPECT_EQ(Defaults.last(), QMessageBox::No);
    EXPECT_EQ(ReadText(Dir.File("text.pch")), "Version=not a patch\r\njust some text\r\n");
}

TEST_F(MainWindow, SettingsRememberTheNameTheWindowAndRecentPatches)
{
    {
        auto W = Open();
        Load(*W, DataFile("minimal.pch"));
        W->SetPatchName(QString::fromStdString(DataFile("full.pch")));
        W->resize(800, 640);
        W->Splitter()->setSizes({300, 200});
        W->close();
    }
    const std::string Ini = ReadText(IniFileName());
    EXPECT_NE(Ini.find("[Settings]\nPatchName=" + DataFile("full.pch") + "\n\n"), std::string::npos) << Ini;
    auto Again = Open();
    EXPECT_EQ(Again->EditPatchName()->text().toStdString(), DataFile("full.pch"));
    EXPECT_EQ(Again->size(), QSize(800, 640));
    EXPECT_EQ(Again->Splitter()->sizes().value(0), 300);
    ASSERT_EQ(Again->RecentMenu()->actions().size(), 1);
    Again->RecentMenu()->actions().first()->trigger();
    EXPECT_EQ(Again->Patch().FileName, DataFile("minimal.pch"));

    Again->close();
    WriteText(IniFileName(), "[Settings]\nPatchName=\n");
    EXPECT_EQ(Open()->EditPatchName()->text().toStdString(), ExeDir()); // an empty name: the program folder
}

TEST_F(MainWindow, UnwritableSettingsAreReportedAndTheWindowStillCloses)
{
    auto W = Open();
    std::filesystem::create_directory(IniFileName()); // a folder where the file should be
    QTest::mouseClick(W->BitBtnExit(), Qt::LeftButton);
    EXPECT_FALSE(W->isVisible());
    ASSERT_EQ(Errors.size(), 1);
    EXPECT_EQ(Errors[0].toStdString(), "Cannot create file \"" + IniFileName() + "\". Is a directory");
}

TEST(AboutPage, LinksOpenTheirTargetsAndMissingKeysAreNoLinks)
{
    InitGlobals("/opt/permuto/permuto");
    QStringList Warnings;
    TApplication::SetPresenter([&](TApplication::TSeverity, const QString& Message) { Warnings << Message; });
    TAboutPage Page(ReadVersionInfo({{"Www", "example.org/permuto"}, {"Mail", "team@example.org"}, {"Gnu", "COPYING"}}));
    QList<QUrl> Opened;
    Page.SetOpener([&](const QUrl& Url) {
        Opened << Url;
        return Url.scheme() != "mailto"; // no mail program here
    });
    for (TLinkLabel* Link : {Page.StaticTextWww(), Page.StaticTextMail(), Page.StaticTextLicense()})
        QTest::mouseClick(Link, Qt::LeftButton);
    EXPECT_EQ(Opened, (QList<QUrl>{QUrl("http://example.org/permuto"), QUrl("mailto:team@example.org"),
                                   QUrl::fromLocalFile("/opt/permuto/COPYING")}));

    TAboutPage Bare(ReadVersionInfo({}));
    Bare.SetOpener([&](const QUrl& Url) {
        Opened << Url;
        return true;
    });
    for (TLinkLabel* Link : {Bare.StaticTextWww(), Bare.StaticTextMail(), Bare.StaticTextLicense()}) {
        QTest::mouseClick(Link, Qt::LeftButton);
        EXPECT_EQ(Link->text(), "Unknown");
        EXPECT_NE(Link->cursor().shape(), Qt::PointingHandCursor);
        // Drawn like the plain values, not in the links' colour.
        EXPECT_EQ(Link->palette().color(QPalette::WindowText), Bare.ValueLabel(0)->palette().color(QPalette::WindowText));
    }
    EXPECT_EQ(Opened.size(), 3);
    EXPECT_NE(Page.StaticTextWww()->palette().color(QPalette::WindowText),
              Page.ValueLabel(0)->palette().color(QPalette::WindowText));
    EXPECT_EQ(Warnings, QStringList{"No program on this system opens mailto:team@example.org"});
    TApplication::SetPresenter(nullptr);
}

TEST(Logo, OurJpegDecodesToItsPicture)
{
    const std::string Bytes = ReadText(std::string(PERMUTO_RESOURCES) + "/logo.jpg");
    const QImage Image = DecodeJpeg(reinterpret_cast<const unsigned char*>(Bytes.data()), Bytes.size());
    ASSERT_EQ(Image.size(), QSize(320, 300));
    // The black ground, a box's green edge, the orange arrow, the green digit.
    for (const auto& [X, Y, Colour] : {std::tuple{5, 5, QColor(0, 0, 0)}, {20, 90, QColor(0, 253, 3)},
                                        {160, 75, QColor(254, 126, 0)}, {80, 75, QColor(3, 248, 5)}}) {
        const QColor C = Image.pixelColor(X, Y);
        EXPECT_LT(std::abs(C.red() - Colour.red()) + std::abs(C.green() - Colour.green()) +
                      std::abs(C.blue() - Colour.blue()), 30) << X << "," << Y;
    }
    const unsigned char Garbage[] = {0xFF, 0xD8, 0x00, 0x01, 0x02};
    EXPECT_TRUE(DecodeJpeg(Garbage, sizeof Garbage).isNull());
}
