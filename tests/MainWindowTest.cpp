// The real window, driven headless through its widgets and events: loading,
// the tables in processing order with their late inputs, undoable swaps,
// moves and orders from anywhere, the file a save writes, questions before
// anything unsaved is lost, the keyboard, what is drawn, settings, and the
// About page.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QGraphicsItem>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QUndoStack>
#include <QUrl>
#include <sys/stat.h>

#include "AboutPage.h"
#include "AppFixture.h"
#include "AreaTable.h"
#include "FrmMain.h"
#include "JpegImage.h"
#include "ModuleTableModel.h"
#include "PatchView.h"
#include "RecentFiles.h"
#include "RenumberPanel.h"
#include "Settings.h"
#include "VersionInfo.h"
#include "WindowActions.h"

using namespace permuto;
using namespace permuto::test;

namespace {

QString Cell(QTableView* Grid, int Row, int Column, int Role = Qt::DisplayRole)
{
    return Grid->model()->index(Row, Column).data(Role).toString();
}

QStringList Column(QTableView* Grid, int Column)
{
    QStringList Texts;
    for (int Row = 0; Row < Grid->model()->rowCount(); ++Row)
        Texts << Cell(Grid, Row, Column);
    return Texts;
}

class MainWindow : public AppFixture {
protected:
    std::unique_ptr<TFormMain> Open()
    {
        auto Window = std::make_unique<TFormMain>();
        Window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
        return Window;
    }

    void TypeInto(QLineEdit* Edit, const QString& Text, bool Enter = false)
    {
        Edit->clear();
        QTest::keyClicks(Edit, Text);
        if (Enter)
            QTest::keyClick(Edit, Qt::Key_Return);
    }
    // Types the path and presses Enter, as a user loads a patch.
    void Load(TFormMain& W, const std::string& File) { TypeInto(W.EditPatchName(), Q(File), true); }
    QTableView* Poly(TFormMain& W) { return W.Table(AreaPoly)->View(); }
    QTableView* Common(TFormMain& W) { return W.Table(AreaCommon)->View(); }
    // The button that shows Action, clicked as a user does.
    void Click(TFormMain& W, QAction* Action)
    {
        for (auto* Button : W.findChildren<TActionButton*>())
            if (Button->text() == Action->text()) {
                QTest::mouseClick(Button, Qt::LeftButton);
                return;
            }
        ADD_FAILURE() << "no button shows " << Action->text().toStdString();
    }
    void ClickRow(QTableView* Grid, int Row)
    {
        QTest::mouseClick(Grid->viewport(), Qt::LeftButton, {}, Grid->visualRect(Grid->model()->index(Row, 0)).center());
    }
};

} // namespace

TEST_F(MainWindow, ShowsBothAreasInProcessingOrderWithTheirLateInputs)
{
    auto W = Open();
    EXPECT_EQ(W->windowTitle(), "Permuto");
    EXPECT_EQ(W->EditPatchName()->text(), ""); // not the program's folder
    EXPECT_FALSE(W->EditPatchName()->placeholderText().isEmpty());
    EXPECT_FALSE(W->Actions().Save->isEnabled() || W->Actions().Swap->isEnabled()); // nothing to act on yet

    Load(*W, DataFile("full.pch"));
    ASSERT_TRUE(Errors.isEmpty()) << Errors.join("\n").toStdString();
    ASSERT_EQ(Poly(*W)->model()->rowCount(), 6);
    EXPECT_EQ(Column(Poly(*W), 4), (QStringList{"0", "2", "0", "3", "0", "6"})); // y
    EXPECT_EQ(Cell(Poly(*W), 3, 2), "Env\"Amp");
    EXPECT_EQ(Column(Poly(*W), 5), (QStringList{"", "1", "1", "", "", ""}));
    EXPECT_EQ(Cell(Poly(*W), 2, 5, Qt::ToolTipRole), "Arrives a sample late from 4 (Env\"Amp)");
    EXPECT_EQ(W->LateStatus()->text(), "poly: 2 late\ncommon: 2 late");
    // Four of its types have other parameter counts than the library gives.
    EXPECT_EQ(W->statusBar()->currentMessage(),
              "Loaded full.pch: 6 + 3 modules. 4 module types of this patch are not described by the module library "
              "(4 contradicted by the patch) and show as \"type N\"; Settings \u25b8 Module library ... chooses another");
    EXPECT_EQ(W->windowTitle(), "full.pch[*] - Permuto");
    EXPECT_FALSE(W->isWindowModified());

    // A patch whose modules stand in another order is shown in processing
    // order; its 8-bit names as Latin-1.
    Load(*W, DataFile("shuffled.pch"));
    EXPECT_EQ(Column(Common(*W), 0), (QStringList{"1", "2"}));
    EXPECT_EQ(Cell(Common(*W), 0, 2), QString::fromLatin1("Ausgang \xe9"));
    EXPECT_EQ(W->Recent()->Files().size(), 2);
}

TEST_F(MainWindow, EveryEditIsAStepThatUndoesExactlyFromAnyField)
{
    auto W = Open();
    const std::string File = Copy("full.pch", "p.pch");
    Load(*W, File);
    const std::string Loaded = SavedText(W->Patch());
    TRenumberPanel* Panel = W->Panel();

    TypeInto(Panel->EditIndex1(), "2");
    TypeInto(Panel->EditIndex2(), "5", true); // Enter swaps
    EXPECT_EQ(Column(Poly(*W), 1)[1], "AmpVCA"); // the rows follow their new indices
    // Ctrl+Z undoes the swap wherever the focus is, never a field's typing.
    for (QLineEdit* Field : {Panel->EditIndex2(), W->EditPatchName()}) {
        TypeInto(Field, "17");
        QTest::keyClick(Field, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(W->Document().UndoStack()->index(), 0);
        EXPECT_EQ(Field->text(), "17");
        QTest::keyClick(Field, Qt::Key_Y, Qt::ControlModifier);
        EXPECT_EQ(W->Document().UndoStack()->index(), 1);
    }
    W->EditPatchName()->setText(Q(File));

    Click(*W, W->Actions().Order);
    EXPECT_EQ(W->LateStatus()->text(), "poly: 0 late\ncommon: 2 late");
    ClickRow(Common(*W), 2);
    EXPECT_EQ(W->Area(), AreaCommon);
    QTest::keyClick(Common(*W), Qt::Key_Up, Qt::AltModifier); // module 3 goes before 2
    QTest::keyClick(Common(*W), Qt::Key_Up, Qt::AltModifier); // and before 1: it stays selected
    QTest::keyClick(Common(*W), Qt::Key_Up, Qt::AltModifier); // first already: nothing happens
    EXPECT_EQ(W->statusBar()->currentMessage(), "Module 1 is processed first in the common area already");
    ASSERT_EQ(W->Document().UndoStack()->count(), 4) << Errors.join("\n").toStdString();
    EXPECT_EQ(W->Document().UndoStack()->text(1), "Order by signal flow (poly)");
    EXPECT_EQ(W->Document().UndoStack()->text(3), "Move 2 to 1 (common)");
    EXPECT_EQ(Column(Common(*W), 1), (QStringList{"type 1026", "type 1002", "Mixer3"}));
    EXPECT_EQ(Common(*W)->currentIndex().row(), 0);
    EXPECT_TRUE(W->isWindowModified());
    const std::string Edited = SavedText(W->Patch());

    for (int I = 0; I < 4; ++I)
        QTest::keyClick(W.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(SavedText(W->Patch()), Loaded);
    EXPECT_FALSE(W->isWindowModified());
    EXPECT_EQ(Cell(Common(*W), Common(*W)->currentIndex().row(), 2), "Echo"); // still the moved module
    QTest::keyClick(W.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    for (int I = 0; I < 3; ++I)
        QTest::keyClick(W.get(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(SavedText(W->Patch()), Edited);

    // A row dragged onto another moves it there; onto the other area's table
    // it cannot be dropped.
    TModuleTableModel* PolyModel = W->Table(AreaPoly)->Model();
    TModuleTableModel* CommonModel = W->Table(AreaCommon)->Model();
    std::unique_ptr<QMimeData> Dragged(PolyModel->mimeData({PolyModel->index(0, 0)}));
    const int32_t From = PolyModel->ModuleIndexAt(0), To = PolyModel->ModuleIndexAt(5);
    EXPECT_FALSE(CommonModel->canDropMimeData(Dragged.get(), Qt::MoveAction, -1, -1, CommonModel->index(1, 0)));
    CommonModel->dropMimeData(Dragged.get(), Qt::MoveAction, -1, -1, CommonModel->index(1, 0));
    EXPECT_EQ(W->Document().UndoStack()->count(), 4);
    PolyModel->dropMimeData(Dragged.get(), Qt::MoveAction, -1, -1, PolyModel->index(5, 0));
    EXPECT_EQ(W->Document().UndoStack()->text(4), QString("Move %1 to %2 (poly)").arg(From).arg(To));
    // In the common area (code 0) the last row onto the first: neither the
    // area code nor the index is taken for the other.
    std::unique_ptr<QMimeData> Last(CommonModel->mimeData({CommonModel->index(2, 0)}));
    const int32_t Moved = CommonModel->ModuleIndexAt(2), Onto = CommonModel->ModuleIndexAt(0);
    ASSERT_NE(Moved, 0);
    CommonModel->dropMimeData(Last.get(), Qt::MoveAction, -1, -1, CommonModel->index(0, 0));
    EXPECT_EQ(W->Document().UndoStack()->text(5), QString("Move %1 to %2 (common)").arg(Moved).arg(Onto));
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join("\n").toStdString();
}

// A real patch from the synthesizer's editor: names run to the end of the line.
TEST_F(MainWindow, ShowsTheNamesOfARealPatchWhole)
{
    const std::string Field = std::string(PERMUTO_FIELD_PATCHES) + "/field-04.pch";
    if (!std::filesystem::exists(Field))
        GTEST_SKIP() << "no field patches in " << PERMUTO_FIELD_PATCHES;
    auto W = Open();
    Load(*W, Field);
    ASSERT_TRUE(Errors.isEmpty() && Warnings.isEmpty()) << (Errors + Warnings).join("\n").toStdString();
    EXPECT_TRUE(Column(Poly(*W), 2).contains("Zuz Ravik")) << Column(Poly(*W), 2).join("|").toStdString();
    EXPECT_TRUE(Column(Poly(*W), 2).contains("2 fuzepas1"));
}

TEST_F(MainWindow, SaveWritesThePatchsOwnFileAfterAnyFailedLoad)
{
    auto W = Open();
    const std::string A = Copy("full.pch", "A.pch");
    Load(*W, A);
    TypeInto(W->Panel()->EditIndex1(), "1");
    TypeInto(W->Panel()->EditIndex2(), "2", true);
    const std::string Swapped = SavedText(W->Patch());

    const std::string Folder = Dir.File("folder.pch"), Text = Write("notes.pch", "just some text\n");
    std::filesystem::create_directory(Folder);
    Load(*W, DataFile("shuffled.pch")); // Cancel at the question
    Load(*W, Dir.File("missing.pch"));  // a file that cannot be loaded asks nothing
    Load(*W, Text);
    EXPECT_EQ(Errors.last().toStdString(), "\"" + Text + "\" is no patch: it has no version line with a line after it");
    QMimeData Data;
    Data.setUrls({QUrl::fromLocalFile(Q(Folder))});
    QDragEnterEvent Enter(QPoint(10, 10), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(W.get(), &Enter);
    QDropEvent Drop(QPointF(10, 10), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(W.get(), &Drop);
    EXPECT_EQ(Errors.size(), 3);
    EXPECT_EQ(W->EditPatchName()->text(), Q(A)); // the field shows the patch's file again
    EXPECT_EQ(W->windowTitle(), "A.pch[*] - Permuto");

    QTest::keyClick(W.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(ReadText(A), Swapped);
    EXPECT_FALSE(std::filesystem::exists(Dir.File("missing.pch")));
    EXPECT_EQ(Questions, QStringList{"Save the changes to A.pch?"}); // at the Cancel, no other
}

TEST_F(MainWindow, SavingElsewhereAsksBeforeReplacingAndTheTitleFollows)
{
    auto W = Open();
    const std::string A = Copy("full.pch", "A.pch"), B = Write("B.pch", "precious");
    Load(*W, A);
    W->EditPatchName()->setText(Q(B));
    Answers << QMessageBox::No;
    QTest::mouseClick(W->TopButtons()[2], Qt::LeftButton); // Save
    EXPECT_TRUE(Questions.last().startsWith("Replace B.pch?"));
    EXPECT_EQ(ReadText(B), "precious");

    Chosen << Q(Dir.File("C.pch"));
    QTest::keyClick(W.get(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier); // Save As
    EXPECT_EQ(Dialogs.last(), TApplication::TFileDialog::SaveAs);
    EXPECT_EQ(ReadText(Dir.File("C.pch")), SavedText(W->Patch()));
    EXPECT_EQ(W->windowTitle(), "C.pch[*] - Permuto");
    EXPECT_EQ(W->EditPatchName()->text(), Q(Dir.File("C.pch")));

    // Browse (Ctrl+O) opens the chosen patch at once.
    Chosen << Q(A);
    QTest::keyClick(W.get(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(Dialogs.last(), TApplication::TFileDialog::Open);
    EXPECT_EQ(W->windowTitle(), "A.pch[*] - Permuto");
    EXPECT_EQ(Questions.size(), 1);

    // Blanks round a typed name name no file: "A.pch " saves A.pch.
    TypeInto(W->Panel()->EditIndex1(), "1");
    TypeInto(W->Panel()->EditIndex2(), "2", true);
    W->EditPatchName()->setFocus();
    QTest::keyClick(W->EditPatchName(), Qt::Key_End);
    QTest::keyClick(W->EditPatchName(), Qt::Key_Space);
    QTest::keyClick(W->EditPatchName(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(ReadText(A) == SavedText(W->Patch()));
    EXPECT_NE(ReadText(A), ReadText(DataFile("full.pch")));
    EXPECT_FALSE(std::filesystem::exists(A + " "));
    EXPECT_EQ(W->EditPatchName()->text(), Q(A));
    EXPECT_EQ(Questions.size(), 1);
    TypeInto(W->EditPatchName(), " " + Q(Dir.File("C.pch")) + "  ", true);
    EXPECT_EQ(W->windowTitle(), "C.pch[*] - Permuto");
}

TEST_F(MainWindow, NothingUnsavedIsLostAndAChangeOutsideIsAsked)
{
    auto W = Open();
    const std::string File = Copy("full.pch", "p.pch");
    Load(*W, File);
    QTest::keyClick(W.get(), Qt::Key_R, Qt::ControlModifier); // Order
    W->close(); // Cancel
    EXPECT_TRUE(W->isVisible());
    EXPECT_EQ(Questions.last(), "Save the changes to p.pch?");

    // Answered Save, but the save fails: the window stays, the changes too.
    std::filesystem::permissions(File, std::filesystem::perms::owner_read);
    Answers << QMessageBox::Save;
    W->close();
    EXPECT_TRUE(W->isVisible());
    EXPECT_TRUE(W->isWindowModified());
    std::filesystem::permissions(File, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    // Changed by another program since it was loaded: saving asks, No by default.
    WriteText(File, "rewritten elsewhere\n");
    Answers << QMessageBox::No;
    QTest::keyClick(W.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(Questions.last(), "p.pch was changed by another program since it was loaded. Replace it?");
    EXPECT_EQ(ReadText(File), "rewritten elsewhere\n");

    Answers << QMessageBox::Discard;
    Load(*W, DataFile("shuffled.pch"));
    EXPECT_EQ(W->Document().UndoStack()->count(), 0);
    EXPECT_EQ(W->windowTitle(), "shuffled.pch[*] - Permuto");
    EXPECT_FALSE(W->isWindowModified());
    W->close(); // nothing unsaved: no question
    EXPECT_FALSE(W->isVisible());
}

TEST_F(MainWindow, IndexFieldsTakeDecimalNumbersAndNoModuleGoesBelowOne)
{
    auto W = Open();
    Load(*W, Copy("full.pch", "p.pch"));
    const std::string Loaded = SavedText(W->Patch());
    QLineEdit* First = W->Panel()->EditIndex1();
    QLineEdit* Second = W->Panel()->EditIndex2();
    TypeInto(First, "007");
    emit First->editingFinished();
    EXPECT_EQ(First->text(), "7"); // shown in decimal once typed

    struct TCase {
        QString A, B, Error;
    };
    for (const TCase& C : {TCase{"2", "-1", "The poly area has no module with index -1, and a module cannot take an index below 1"},
                           TCase{"0", "3", "The poly area has no module with index 0, and a module cannot take an index below 1"},
                           // no hexadecimal (a typed "$10" is no 16), nor a decimal point; the field is named
                           TCase{"$10", "2", NonIntegerSwapMessage + QStringLiteral(".\nFirst index \"$10\" is not a decimal number.")},
                           TCase{"2", "3.0", NonIntegerSwapMessage + QStringLiteral(".\nSecond index \"3.0\" is not a decimal number.")},
                           TCase{"2", "", NonIntegerSwapMessage + QStringLiteral(".\nSecond index is empty.")},
                           TCase{"2", "9999999999", "9999999999 is beyond the module indices (-2147483648 to 2147483647), can't swap"}}) {
        TypeInto(First, C.A);
        TypeInto(Second, C.B, true);
        EXPECT_EQ(First->text(), C.A); // what was typed stays
        EXPECT_EQ(Errors.last(), C.Error);
    }
    EXPECT_EQ(SavedText(W->Patch()), Loaded);
    TypeInto(First, "3");
    TypeInto(Second, "3", true);
    EXPECT_EQ(W->statusBar()->currentMessage(), "The two indices are the same: nothing to swap");
    TypeInto(First, "2");
    TypeInto(Second, "40", true); // an unused index of 1 or more is fine
    EXPECT_EQ(Column(Poly(*W), 0).last(), "40");
    EXPECT_EQ(Errors.size(), 6);
}

TEST_F(MainWindow, TheAreaNotChosenIsDrawnGrey)
{
    auto W = Open();
    Load(*W, Write("empty.pch", "Version=x\r\n0\r\n[ModuleDump]\r\n1\r\n[/ModuleDump]\r\n")); // no rows: the tables show their background
    const auto Drawn = [](QTableView* Grid) {
        const QImage Image = Grid->viewport()->grab().toImage();
        return QColor(Image.pixel(Image.width() / 2, Image.height() / 2));
    };
    EXPECT_EQ(Drawn(Poly(*W)), QColor(Qt::white));
    EXPECT_LT(Drawn(Common(*W)).lightness(), 225);
    QTest::mouseClick(Common(*W)->viewport(), Qt::LeftButton);
    EXPECT_TRUE(W->Panel()->RadioCommon()->isChecked());
    EXPECT_EQ(Drawn(Common(*W)), QColor(Qt::white));
    EXPECT_LT(Drawn(Poly(*W)).lightness(), 225);
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
        // From the chosen table Tab goes on to the buttons that act on it,
        // without choosing the other area on the way.
        if (W->Panel()->isAncestorOf(QApplication::focusWidget())) {
            EXPECT_EQ(W->Area(), AreaPoly) << I;
        }
    }
    // Every control a user works with, found by what it shows.
    QList<QWidget*> Expected = {W->Panel()->EditIndex1(), W->Panel()->EditIndex2(), Poly(*W), Common(*W)};
    for (const char* Caption : {"&Browse ...", "&Save", "&Load", "E&xit", "S&wap indices", "&Order by signal flow",
                                "O&rder, fewest late in loops", "Move &up", "Move &down"}) {
        const QList<QPushButton*> Buttons = W->findChildren<QPushButton*>();
        const auto Found = std::find_if(Buttons.begin(), Buttons.end(),
                                        [&](QPushButton* B) { return B->text() == QLatin1String(Caption); });
        ASSERT_NE(Found, Buttons.end()) << Caption;
        Expected << *Found;
    }
    for (QWidget* Control : Expected)
        EXPECT_TRUE(Reached.contains(Control)) << Control->metaObject()->className();
    EXPECT_TRUE(Reached.contains(W->Panel()->RadioPoly()) || Reached.contains(W->Panel()->RadioCommon()));
    EXPECT_EQ(W->Area(), AreaCommon); // reaching a table by Tab chooses its area, as a click does

    // Every Alt key of the window does one thing: a key two controls share
    // only moves the focus between them (as Alt+F did between File and the
    // fewest-late order).
    QMap<QChar, QString> Keys;
    const auto Take = [&](const QString& Text) {
        const qsizetype At = Text.indexOf(QLatin1Char('&'));
        if (At < 0 || At + 1 >= Text.size())
            return;
        const QChar Key = Text.at(At + 1).toLower();
        EXPECT_FALSE(Keys.contains(Key)) << "Alt+" << QString(Key).toStdString() << ": " << Text.toStdString()
                                         << " and " << Keys.value(Key).toStdString();
        Keys.insert(Key, Text);
    };
    for (QAction* Menu : W->menuBar()->actions())
        Take(Menu->text());
    for (QAbstractButton* Button : W->findChildren<QAbstractButton*>())
        if (Button->isVisibleTo(W.get()))
            Take(Button->text());
    for (QLabel* Label : W->findChildren<QLabel*>())
        if (Label->buddy() != nullptr)
            Take(Label->text());
    EXPECT_TRUE(Keys.contains(QLatin1Char('r'))); // the fewest-late order
}

// A long message wraps onto a second line instead of being cut off beside
// the late counts; a patch dropped onto the patch view is opened.
TEST_F(MainWindow, LongMessagesWrapAndDropsOnThePictureOpen)
{
    auto W = Open();
    Load(*W, DataFile("full.pch"));
    const QString Long = W->statusBar()->currentMessage();
    ASSERT_GT(Long.size(), 150); // the load message and the types the library does not describe
    EXPECT_EQ(W->StatusText()->text(), Long);
    // In the window's first size the message fits its two lines, and so do
    // the late counts beside it.
    EXPECT_GE(W->StatusText()->height(), W->StatusText()->heightForWidth(W->StatusText()->width()));
    EXPECT_GT(W->StatusText()->heightForWidth(W->StatusText()->width()), W->StatusText()->fontMetrics().lineSpacing());
    // A longer one makes the line as high as it needs.
    W->statusBar()->showMessage(Long + QStringLiteral("; ") + Long);
    EXPECT_GE(W->StatusText()->height(), W->StatusText()->heightForWidth(W->StatusText()->width()));
    EXPECT_GT(W->StatusText()->height(), 3 * W->StatusText()->fontMetrics().lineSpacing());
    W->LateStatus()->setText("poly: 42 late (9 in loops)\ncommon: 12 late (3 in loops)");
    ASSERT_TRUE(QTest::qWaitFor([&] { // the late counts beside the tables wrap too
        return W->LateStatus()->height() >= W->LateStatus()->heightForWidth(W->LateStatus()->width());
    }));

    QMimeData Data;
    Data.setUrls({QUrl::fromLocalFile(Q(DataFile("shuffled.pch")))});
    QWidget* Picture = W->Pane()->Current()->viewport();
    QDragEnterEvent Enter(QPoint(10, 10), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Picture, &Enter);
    EXPECT_TRUE(Enter.isAccepted());
    QDropEvent Drop(QPointF(10, 10), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Picture, &Drop);
    EXPECT_EQ(W->Document().FileName(), Q(DataFile("shuffled.pch")));
}

TEST_F(MainWindow, SettingsRememberTheNameTheWindowAndRecentPatches)
{
    QList<int> Sizes;
    {
        auto W = Open();
        Load(*W, DataFile("shuffled.pch"));
        W->EditPatchName()->setText(Q(DataFile("full.pch")));
        W->resize(800, 640);
        QTest::qWait(10);
        W->Splitter()->setSizes({300, 200});
        Sizes = W->Splitter()->sizes();
        W->close();
    }
    const std::string Ini = ReadText(IniFileName());
    EXPECT_NE(Ini.find("[Settings]\nPatchName=" + DataFile("full.pch") + "\n\n"), std::string::npos) << Ini;
    auto Again = Open();
    EXPECT_EQ(Again->EditPatchName()->text(), Q(DataFile("full.pch")));
    EXPECT_EQ(Again->size(), QSize(800, 640));
    EXPECT_EQ(Again->Splitter()->sizes(), Sizes);
    ASSERT_EQ(Again->Actions().Recent->actions().size(), 1);
    Again->Actions().Recent->actions().first()->trigger();
    EXPECT_EQ(Again->Document().FileName(), Q(DataFile("shuffled.pch")));
    Again->close();

    // A settings file that is no regular file is neither waited on nor written.
    for (const bool Fifo : {true, false}) {
        std::filesystem::remove_all(IniFileName());
        if (Fifo)
            ASSERT_EQ(::mkfifo(IniFileName().c_str(), 0600), 0);
        else
            std::filesystem::create_directory(IniFileName());
        auto W = Open();
        EXPECT_TRUE(W->statusBar()->currentMessage().startsWith("The settings in ")) << Fifo;
        EXPECT_EQ(W->EditPatchName()->text(), "");
        W->close();
        EXPECT_FALSE(W->isVisible());
    }
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join("\n").toStdString();
}

TEST(AboutPage, LinksOpenFromKeyboardAndMouseAndMissingKeysAreNoLinks)
{
    InitGlobals("/opt/bin/permuto");
    QStringList Warnings;
    TApplication::SetPresenter([&](TApplication::TSeverity, const QString& Message) { Warnings << Message; });
    TAboutPage Page(ReadVersionInfo({{"Www", "example.org/permuto"}, {"Mail", "team@example.org"}, {"Gnu", "COPYING"}}));
    Page.show();
    Page.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Page));
    QList<QUrl> Opened;
    Page.SetOpener([&](const QUrl& Url) {
        Opened << Url;
        return Url.scheme() != "mailto"; // no mail program here
    });
    // Each link takes the keyboard focus (Tab reaches its link) and opens with Enter.
    for (QLabel* Link : {Page.StaticTextWww(), Page.StaticTextMail(), Page.StaticTextLicense()}) {
        EXPECT_TRUE(Link->focusPolicy() & Qt::TabFocus);
        Link->setFocus();
        QTest::keyClick(Link, Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), Link);
        QTest::keyClick(Link, Qt::Key_Return);
    }
    // Installed in /opt/bin: the licence lies in /opt/share/permuto.
    EXPECT_EQ(Opened, (QList<QUrl>{QUrl("http://example.org/permuto"), QUrl("mailto:team@example.org"),
                                   QUrl::fromLocalFile("/opt/share/permuto/COPYING")}));
    EXPECT_EQ(Warnings, QStringList{"No program on this system opens mailto:team@example.org"});
    EXPECT_TRUE(Page.ValueLabel(0)->textInteractionFlags() & Qt::TextSelectableByMouse);

    TAboutPage Bare(ReadVersionInfo({}));
    for (QLabel* Link : {Bare.StaticTextWww(), Bare.StaticTextMail(), Bare.StaticTextLicense()}) {
        EXPECT_EQ(Link->text(), "Unknown");
        EXPECT_EQ(Link->textFormat(), Qt::PlainText);
    }
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

TEST_F(MainWindow, ThePatchViewShowsTheAreaAndFollowsEveryStep)
{
    auto W = Open();
    // The loop 1 -> 3 -> 2 -> 1 in the poly area: two late pairs, inside it.
    std::string Cycle = LoopPatch;
    Cycle.replace(Cycle.find("0 1 0 1 2 0 0\r\n0 2 0 1 3 0 0\r\n0 3 0 1 1 0 0"), 41,
                  "0 1 0 1 3 0 0\r\n0 3 0 1 2 0 0\r\n0 2 0 1 1 0 0");
    Load(*W, Write("loop.pch", Cycle));
    EXPECT_EQ(W->LateStatus()->text(), "poly: 2 late (2 in loops)\ncommon: 0 late");
    TPatchView* View = W->Pane()->View(AreaPoly);
    ASSERT_FALSE(View->ModuleRect(1).isEmpty());
    EXPECT_TRUE(View->ToolTipFor(1).contains("Arrives a sample late from 2"));
    EXPECT_TRUE(View->ToolTipFor(2).contains("Arrives a sample late from 3"));
    EXPECT_TRUE(View->ToolTipFor(3).contains("In a feedback loop"));
    EXPECT_EQ(Cell(Poly(*W), 0, 5, Qt::ToolTipRole), "Arrives a sample late from 2, inside a feedback loop");
    EXPECT_TRUE(Poly(*W)->model()->headerData(5, Qt::Horizontal, Qt::ToolTipRole).toString().endsWith(
        "2 in this area, 2 of them inside feedback loops"));

    // A module chosen in the table is chosen in the picture, and back.
    ClickRow(Poly(*W), 1);
    EXPECT_EQ(View->SelectedModule(), 2);
    View->SelectModule(3);
    emit View->ModuleSelected(AreaPoly, 3);
    EXPECT_EQ(W->Table(AreaPoly)->CurrentModule(), 3);

    // The fewest-late order is a step of its own (3 and 2 change places);
    // the picture follows it and its undo.
    const QPointF Box2 = View->ModuleRect(2).center();
    Click(*W, W->Actions().OrderFewest);
    EXPECT_EQ(W->Document().UndoStack()->text(0), "Order, fewest late in loops (poly)");
    EXPECT_EQ(W->statusBar()->currentMessage(), "Order, fewest late in loops (poly); 1 late connection remains "
                                                "inside a feedback loop");
    EXPECT_EQ(View->ModuleRect(3).center(), Box2); // module 2's box now carries index 3
    EXPECT_EQ(View->SelectedModule(), 2); // module 3 was selected, and is 2 now
    EXPECT_EQ(W->LateStatus()->text(), "poly: 1 late (1 in loops)\ncommon: 0 late");
    QTest::keyClick(W.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(View->ModuleRect(2).center(), Box2);
    EXPECT_EQ(View->SelectedModule(), 3);

    // A click on a box selects its module in the table.
    QTest::mouseClick(View->viewport(), Qt::LeftButton, {}, View->mapFromScene(View->ModuleRect(1).center()));
    EXPECT_EQ(View->SelectedModule(), 1);
    EXPECT_EQ(W->Table(AreaPoly)->CurrentModule(), 1);

    // A zoom stays through a resize; Ctrl+0 shows the whole area again, and
    // so it stays when the window changes its size. The common area's
    // picture comes with its table, fitted at its first showing.
    const auto Whole = [](TPatchView* Shown) {
        return Shown->mapToScene(Shown->viewport()->rect()).boundingRect().contains(Shown->sceneRect());
    };
    View->Zoom(8);
    const double Zoomed = View->transform().m11();
    W->resize(W->width() + 40, W->height());
    QCoreApplication::processEvents();
    EXPECT_EQ(View->transform().m11(), Zoomed); // not fitted again
    EXPECT_FALSE(View->Fitted());
    QTest::keyClick(W.get(), Qt::Key_0, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Whole(View); })); // once the scroll bars are gone
    const double Fitted = View->transform().m11();
    W->resize(W->width() + 200, W->height() + 100);
    ASSERT_TRUE(QTest::qWaitFor([&] { return View->transform().m11() > Fitted; }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Whole(View); }));
    QTest::mouseClick(Common(*W)->viewport(), Qt::LeftButton);
    EXPECT_EQ(W->Pane()->Current(), W->Pane()->View(AreaCommon));
    EXPECT_TRUE(W->Pane()->View(AreaCommon)->Fitted());
}

// An area too big to draw is described in a note that reads at its own
// size, whatever was drawn before; a loop above the exact limit is said to
// be arranged by local search.
TEST_F(MainWindow, BigAreasAreDescribedAndBigLoopsSaidToBeSearched)
{
    auto W = Open();
    Load(*W, DataFile("full.pch"));
    TPatchView* View = W->Pane()->View(AreaPoly);
    std::string Big = "Version=big\r\n0\r\n[ModuleDump]\r\n1\r\n";
    for (int I = 1; I <= TPatchView::MostModules + 1; ++I)
        Big += std::to_string(I) + " 1 0 " + std::to_string(I) + "\r\n";
    Load(*W, Write("big.pch", Big + "[/ModuleDump]\r\n"));
    EXPECT_TRUE(View->Note().contains("more than the view draws")) << View->Note().toStdString();
    EXPECT_EQ(View->transform().m11(), 1.0);
    EXPECT_GT(View->sceneRect().height(), 20);

    // A loop of 25: 1 -> 2 -> ... -> 25 -> 1, numbered against the flow.
    std::string Loop = "Version=loop\r\n0\r\n[ModuleDump]\r\n1\r\n";
    for (int I = 1; I <= 25; ++I)
        Loop += std::to_string(I) + " 1 0 " + std::to_string(I) + "\r\n";
    Loop += "[/ModuleDump]\r\n[CableDump]\r\n1\r\n";
    for (int I = 1; I <= 25; ++I)
        Loop += "0 " + std::to_string(26 - I) + " 0 1 " + std::to_string(I == 25 ? 25 : 25 - I) + " 0 0\r\n";
    Load(*W, Write("loop25.pch", Loop + "[/CableDump]\r\n"));
    Click(*W, W->Actions().OrderFewest);
    EXPECT_TRUE(W->statusBar()->currentMessage().contains("the feedback loop of 25 modules in the poly area, now "
                                                          "modules 1 to 25, was arranged by local search"))
        << W->statusBar()->currentMessage().toStdString();
    EXPECT_EQ(W->LateStatus()->text(), "poly: 1 late (1 in loops)\ncommon: 0 late");
}

// Settings > Module library ...: the chosen library names the types it
// describes, in the tables, the picture and the About page, and is
// remembered for the next start; one that cannot be read is said, and the
// shipped library is used.
TEST_F(MainWindow, TheChosenModuleLibraryNamesTheTypesAndIsRemembered)
{
    const std::string Own = Dir.File("own library.txt");
    WriteText(Own, JoinLines(LibraryEntry("1026 TapeEcho", 3, {"0 \"Time\" 0..127 0 \"\"", "1 \"Repeat\" 0..127 0 \"\""},
                                       {"0 \"In\" audio"}, {"0 \"Out\" audio"})));
    {
        auto W = Open();
        EXPECT_FALSE(W->Actions().DefaultLibrary->isEnabled()); // nothing chosen yet
        EXPECT_TRUE(W->AboutPage()->LibraryLabel()->text().contains("shipped with Permuto"));
        Load(*W, DataFile("full.pch"));
        ASSERT_EQ(Cell(Common(*W), 2, 1), "type 1026");
        Chosen << Q(Own);
        W->Actions().Library->trigger();
        EXPECT_EQ(Dialogs.last(), TApplication::TFileDialog::Library);
        EXPECT_EQ(Cell(Common(*W), 2, 1), "TapeEcho");
        EXPECT_EQ(Cell(Common(*W), 1, 1), "type 1014"); // the shipped library's Mixer3 is not in it
        EXPECT_TRUE(W->Pane()->View(AreaCommon)->ToolTipFor(3).startsWith("3 TapeEcho"));
        EXPECT_TRUE(W->statusBar()->currentMessage().startsWith("Module library: " + Q(Own) + ". 8 module types"))
            << W->statusBar()->currentMessage().toStdString();
        EXPECT_TRUE(W->AboutPage()->LibraryLabel()->text().startsWith(Q(Own) + " (chosen, 1 module type)"));
        EXPECT_TRUE(W->Actions().DefaultLibrary->isEnabled());
        EXPECT_TRUE(Warnings.isEmpty()) << Warnings.join("\n").toStdString();
        W->close();
    }
    const QString Ini = Q(Dir.File("permuto.ini"));
    EXPECT_EQ(ReadWindowSettings(Ini).Library, Q(Own));
    LoadModuleLibrary(); // as main() does at the next start
    {
        auto W = Open(); // which reads the choice again
        Load(*W, DataFile("full.pch"));
        EXPECT_EQ(Cell(Common(*W), 2, 1), "TapeEcho");
        Chosen << Q(Dir.File("missing.txt"));
        W->Actions().Library->trigger();
        ASSERT_EQ(Warnings.size(), 1);
        EXPECT_TRUE(Warnings.last().startsWith("Cannot open file \"" + Q(Dir.File("missing.txt")) + "\""));
        EXPECT_TRUE(Warnings.last().endsWith("the module library shipped with Permuto is used instead"));
        EXPECT_EQ(Cell(Common(*W), 1, 1), "Mixer3");
        EXPECT_FALSE(W->Actions().DefaultLibrary->isEnabled());
        W->close();
    }
    EXPECT_EQ(ReadWindowSettings(Ini).Library, ""); // a failed choice is not kept
}

// Settings that cannot be used are said in a warning once the window is
// up, which a patch loaded at the start does not put out of sight.
TEST_F(MainWindow, AnUnusableSettingsFileIsSaidAfterTheStart)
{
    std::filesystem::create_directory(Dir.File("permuto.ini"));
    auto W = Open();
    W->OpenPatch(Q(DataFile("full.pch")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Warnings.isEmpty(); }));
    EXPECT_EQ(Warnings.first(), "The settings in " + Q(Dir.File("permuto.ini")) + " are not used: it is a folder");
}

// The running window shows the program's icon, and docks match it with its
// launcher by the desktop entry's name.
TEST_F(MainWindow, TheWindowCarriesItsIconAndDesktopName)
{
    auto W = Open();
    EXPECT_EQ(QGuiApplication::desktopFileName(), "org.example.permuto");
    ASSERT_FALSE(W->windowIcon().isNull());
    EXPECT_EQ(W->windowIcon().pixmap(128).size(), QSize(128, 128));
}

// A name given relative to where the program started is kept as the file it
// means, in the field and so in the settings.
TEST_F(MainWindow, RelativeNamesStayTheFileTheyMean)
{
    auto W = Open();
    const QString Started = QDir::currentPath();
    QDir::setCurrent(Q(Dir.Path()));
    W->OpenPatch(QStringLiteral("missing.pch"));
    QDir::setCurrent(Started);
    EXPECT_EQ(W->EditPatchName()->text(), Q(Dir.File("missing.pch")));
    W->close();
    EXPECT_NE(ReadText(Dir.File("permuto.ini")).find("PatchName=" + Dir.File("missing.pch")), std::string::npos);
}

// The recent patches the settings hold are cut to the menu's eight.
TEST_F(MainWindow, TheRecentPatchesFromTheSettingsAreCutToEight)
{
    QStringList Twelve;
    for (int I = 0; I < 12; ++I)
        Twelve << Q(Write("p" + std::to_string(I) + ".pch", LoopPatch));
    {
        QSettings Ini(Q(Dir.File("permuto.ini")), QSettings::IniFormat);
        Ini.setValue(QStringLiteral("Recent/Files"), Twelve);
    }
    auto W = Open();
    ASSERT_EQ(W->Actions().Recent->actions().size(), 8);
    EXPECT_TRUE(W->Actions().Recent->actions().first()->text().contains(QStringLiteral("p0.pch")));
}
