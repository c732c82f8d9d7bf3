#include "FrmMain.h"
#include "CaptionBar.h"
#include "SystemText.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QUndoStack>
#include <QVBoxLayout>
#include <algorithm>

#include "AboutPage.h"
#include "Application.h"
#include "AreaTable.h"
#include "PatchView.h"
#include "LibraryChoice.h"
#include "ModuleTableModel.h"
#include "RecentFiles.h"
#include "RenumberPanel.h"
#include "Settings.h"
#include "StatusText.h"
#include "VersionInfo.h"
#include "WindowActions.h"
#include "base/ProgramPaths.h"

namespace permuto {

TFormMain::TFormMain(QWidget* Parent)
    : QMainWindow(Parent)
{
    move(102, 189);
    resize(700, 595);
    setMinimumSize(520, 380);
    setAcceptDrops(true);
    FActions = std::make_unique<TWindowActions>(this, menuBar(), FDocument.UndoStack());
    FRecent = new TRecentFiles(FActions->Recent, this);
    FLibrary = new TLibraryChoice(this);

    auto* Central = new QWidget(this);
    auto* Column = new QVBoxLayout(Central);
    Column->setContentsMargins(0, 0, 0, 0);
    Column->setSpacing(0);
    Column->addWidget(BuildTopBar());
    FPages = new QTabWidget(Central);
    FPages->addTab(BuildWorkPage(), QStringLiteral("Work"));
    FAbout = new TAboutPage(ReadVersionInfo(BuildVersionTable()));
    FPages->addTab(FAbout, QStringLiteral("About"));
    Column->addWidget(FPages, 1);
    setCentralWidget(Central);
    // The status line says what was done, over the window's whole width,
    // wrapped when it is long: two lines at least, so that the panes above
    // keep their sizes for all but the longest messages.
    auto* Status = new TStatusText(this);
    FStatusText = Status;
    statusBar()->addPermanentWidget(Status, 1);
    connect(statusBar(), &QStatusBar::messageChanged, Status, &TStatusText::Show);
    // The patch's Undo and Redo keys stay the patch's in every text field.
    auto* UndoKeys = new TPatchUndoKeys(this);
    for (QLineEdit* Field : findChildren<QLineEdit*>())
        Field->installEventFilter(UndoKeys);

    Wire();
    SetArea(AreaPoly);
    LoadSettings();
    UpdateTitle();
    TApplication::SetDialogParent(this);
}

TFormMain::~TFormMain() = default;

QWidget* TFormMain::BuildTopBar()
{
    auto* Bar = new QWidget;
    auto* Row = new QHBoxLayout(Bar);
    Row->setContentsMargins(1, 1, 1, 1);
    Row->setSpacing(2);
    FEditPatchName = new QLineEdit(Bar);
    FEditPatchName->setPlaceholderText(tr("Path of a patch file (*.pch)"));
    FEditPatchName->setAccessibleName(tr("Patch file"));
    Row->addWidget(FEditPatchName, 1);
    FTopButtons = {new TActionButton(FActions->Open, QStringLiteral("&Browse ..."), Bar),
                   new TActionButton(FActions->Save, QStringLiteral("&Save"), Bar),
                   new TActionButton(FActions->Load, QStringLiteral("&Load"), Bar),
                   new TActionButton(FActions->Exit, QStringLiteral("E&xit"), Bar)};
    for (QWidget* Button : FTopButtons)
        Row->addWidget(Button);
    // Browse, Load, Save, Exit: the tab order the buttons are known by.
    std::swap(FTopButtons[1], FTopButtons[2]);
    return Bar;
}

QWidget* TFormMain::BuildWorkPage()
{
    auto* Page = new QWidget;
    auto* Row = new QHBoxLayout(Page);
    Row->setContentsMargins(0, 0, 0, 0);
    Row->setSpacing(4);
    FSplitter = new QSplitter(Qt::Vertical, Page);
    FSplitter->setHandleWidth(6);
    FSplitter->setChildrenCollapsible(false);
    FSplitter->setStyleSheet(QStringLiteral("QSplitter::handle { background: %1; "
                                            "border-top: 1px solid white; border-bottom: 1px solid gray; }")
                                 .arg(CaptionColour.name()));
    for (const TArea Area : BothAreas) {
        FTables[Area] = new TAreaTable(FDocument, Area, FSplitter);
        FSplitter->addWidget(FTables[Area]);
        // both tables share what the window gains
        FSplitter->setStretchFactor(FSplitter->indexOf(FTables[Area]), 1);
    }
    FPane = new TPatchPane(FDocument, FSplitter);
    FSplitter->addWidget(FPane);
    FSplitter->setStretchFactor(2, 1);
    FSplitter->setSizes({165, 95, 190});
    Row->addWidget(FSplitter, 1);
    // Beside the tables: the panel that renumbers the chosen area, and
    // below it the late connections of both areas.
    auto* Side = new QVBoxLayout;
    Side->setContentsMargins(0, 0, 0, 0);
    FPanel = new TRenumberPanel(*FActions, Page);
    Side->addWidget(FPanel);
    FLateStatus = new QLabel(Page);
    FLateStatus->setWordWrap(true);
    FLateStatus->setContentsMargins(6, 0, 6, 6);
    FLateStatus->setMaximumWidth(FPanel->sizeHint().width());
    FLateStatus->setAccessibleName(tr("Late connections"));
    Side->addWidget(FLateStatus, 1, Qt::AlignTop);
    Row->addLayout(Side);
    return Page;
}

void TFormMain::Wire()
{
    const TWindowActions& A = *FActions;
    connect(A.Open, &QAction::triggered, this, &TFormMain::OpenChosen);
    connect(A.Load, &QAction::triggered, this, &TFormMain::LoadTyped);
    connect(A.Save, &QAction::triggered, this, &TFormMain::SaveTyped);
    connect(A.SaveAs, &QAction::triggered, this, &TFormMain::SaveAsChosen);
    connect(A.Exit, &QAction::triggered, this, &TFormMain::close);
    connect(A.Swap, &QAction::triggered, this, &TFormMain::SwapTyped);
    connect(A.Order, &QAction::triggered, this, [this] { FDocument.Order(Area()); });
    connect(A.OrderFewest, &QAction::triggered, this, [this] { FDocument.Order(Area(), true); });
    connect(A.Fit, &QAction::triggered, this, [this] { FPane->Current()->Fit(); });
    connect(A.ZoomIn, &QAction::triggered, this, [this] { FPane->Current()->Zoom(1.25); });
    connect(A.ZoomOut, &QAction::triggered, this, [this] { FPane->Current()->Zoom(0.8); });
    connect(A.MoveUp, &QAction::triggered, this, [this] { MoveCurrent(-1); });
    connect(A.MoveDown, &QAction::triggered, this, [this] { MoveCurrent(+1); });
    connect(A.Library, &QAction::triggered, FLibrary, &TLibraryChoice::Choose);
    connect(A.DefaultLibrary, &QAction::triggered, FLibrary, &TLibraryChoice::UseDefault);
    connect(FLibrary, &TLibraryChoice::Changed, this, [this] {
        FActions->DefaultLibrary->setEnabled(!FLibrary->Chosen().isEmpty());
        FAbout->ShowLibrary(FLibrary->Report());
        FDocument.LibraryChanged();
    });
    connect(FEditPatchName, &QLineEdit::returnPressed, A.Load, &QAction::trigger);
    connect(FPanel, &TRenumberPanel::SwapRequested, A.Swap, &QAction::trigger);
    connect(FPanel, &TRenumberPanel::AreaChosen, this, &TFormMain::SetArea);
    connect(FRecent, &TRecentFiles::Chosen, this, [this](const QString& File) {
        OpenPatch(File);
        if (!QFileInfo::exists(File))
            FRecent->Remove(File); // gone: no longer offered
    });
    for (TAreaTable* Table : FTables) {
        connect(Table, &TAreaTable::Chosen, this, &TFormMain::SetArea);
        connect(Table, &TAreaTable::MoveRequested, &FDocument, &TPatchDocument::Move);
        // A module chosen in a table is chosen in the picture, and back.
        connect(Table, &TAreaTable::CurrentModuleChanged, this,
                [this](TArea Area, int32_t Index) { FPane->View(Area)->SelectModule(Index); });
        connect(FPane->View(Table->Area()), &TPatchView::ModuleSelected, Table,
                [Table](TArea, int32_t Index) { Table->SelectModule(Index); });
    }

    connect(&FDocument, &TPatchDocument::Message, this, [this](const QString& Text) {
        statusBar()->showMessage(Text);
    });
    connect(&FDocument, &TPatchDocument::FileUsed, FRecent, &TRecentFiles::Add);
    connect(&FDocument, &TPatchDocument::FileUsed, this, &TFormMain::ShowDocumentFile);
    connect(&FDocument, &TPatchDocument::FileNameChanged, this, [this] {
        ShowDocumentFile();
        UpdateTitle();
    });
    connect(&FDocument, &TPatchDocument::ModifiedChanged, this, &TFormMain::UpdateTitle);
    connect(&FDocument, &TPatchDocument::Reloaded, this, [this] {
        FActions->SetPatchLoaded(true);
        ShowLateStatus();
    });
    connect(&FDocument, &TPatchDocument::Renumbered, this, &TFormMain::ShowLateStatus);
}

TArea TFormMain::Area() const
{
    return FPanel->Area();
}

void TFormMain::SetArea(TArea Area)
{
    FPanel->SetArea(Area);
    // Keyboard order: the file row, the chosen area's table, the area, the
    // indices and the buttons that act on it, then the other table: Tab from
    // the chosen table reaches the buttons without choosing the other area.
    QList<QWidget*> Order = QList<QWidget*>{FEditPatchName} + FTopButtons;
    Order << FTables[FPanel->Area()]->View();
    Order += FPanel->TabOrder();
    Order << FTables[OtherArea(FPanel->Area())]->View();
    for (qsizetype I = 0; I + 1 < Order.size(); ++I)
        setTabOrder(Order[I], Order[I + 1]);
    FPane->SetArea(FPanel->Area());
    // The chosen area's table is white, the other one grey: a swap, move or
    // order acts on the white one.
    for (TAreaTable* Table : FTables)
        Table->SetChosen(Table->Area() == FPanel->Area());
}

void TFormMain::ShowDocumentFile()
{
    if (FDocument.HasPatch() && FEditPatchName->text() != FDocument.FileName())
        FEditPatchName->setText(FDocument.FileName());
}

void TFormMain::OpenPatch(const QString& FileName)
{
    // A name relative to where the program was started means that file
    // later too (the field and the settings keep it).
    const QString File = FileName.isEmpty() ? FileName : QFileInfo(FileName).absoluteFilePath();
    FEditPatchName->setText(File);
    if (!FDocument.Open(File))
        ShowDocumentFile();
}

void TFormMain::OpenChosen()
{
    const QFileInfo Typed(FEditPatchName->text());
    const QString Start = Typed.exists() ? Typed.absoluteFilePath()
                          : FDocument.HasPatch() ? FDocument.FileName()
                                                 : FromCore(ExeDir());
    const QString Chosen = TApplication::ChooseFile(TApplication::TFileDialog::Open, Start);
    if (!Chosen.isEmpty())
        OpenPatch(Chosen);
}

// A name typed into the path field counts without the blanks around it,
// which nobody sees: "f.pch " is f.pch, never a second file.
void TFormMain::LoadTyped()
{
    OpenPatch(FEditPatchName->text().trimmed());
}

void TFormMain::SaveTyped()
{
    const QString Typed = FEditPatchName->text().trimmed();
    FDocument.SaveTo(Typed.isEmpty() ? FDocument.FileName() : Typed);
    ShowDocumentFile(); // the field names the file the patch belongs to
}

void TFormMain::SaveAsChosen()
{
    const QString Chosen = TApplication::ChooseFile(TApplication::TFileDialog::SaveAs, FDocument.FileName());
    if (!Chosen.isEmpty())
        FDocument.SaveAs(Chosen);
}

void TFormMain::SwapTyped()
{
    if (const QString Problem = FPanel->IndexProblem(); !Problem.isEmpty()) {
        TApplication::ShowError(Problem);
        return;
    }
    FDocument.Swap(Area(), *FPanel->Index1(), *FPanel->Index2());
}

void TFormMain::MoveCurrent(int Step)
{
    const std::optional<int32_t> Module = FTables[Area()]->CurrentModule();
    if (!Module) {
        statusBar()->showMessage(tr("Select the module to move in the %1 table").arg(AreaName(Area())), 8000);
        return;
    }
    FDocument.MoveStep(Area(), *Module, Step);
}

void TFormMain::ShowLateStatus()
{
    if (!FDocument.HasPatch())
        return; // nothing loaded, nothing to count
    const auto Count = [this](TArea Area) {
        const TLateCount& Late = FDocument.Analysis(Area).Late;
        if (!Late.Complete)
            return tr("%1: too many feeds to count").arg(AreaName(Area));
        if (Late.InsideLoops == 0)
            return tr("%1: %2 late").arg(AreaName(Area)).arg(Late.Late);
        return tr("%1: %2 late (%3 in loops)").arg(AreaName(Area)).arg(Late.Late).arg(Late.InsideLoops);
    };
    // One area to a line, in the narrow room beside the tables.
    FLateStatus->setText(Count(AreaPoly) + QLatin1Char('\n') + Count(AreaCommon));
}

void TFormMain::UpdateTitle()
{
    if (!FDocument.HasPatch()) {
        setWindowTitle(QStringLiteral("Permuto"));
        return;
    }
    setWindowTitle(QFileInfo(FDocument.FileName()).fileName() + QStringLiteral("[*] - Permuto"));
    setWindowModified(FDocument.IsModified());
}

void TFormMain::dragEnterEvent(QDragEnterEvent* Event)
{
    const QList<QUrl> Urls = Event->mimeData()->urls();
    if (Urls.size() == 1 && Urls.first().isLocalFile())
        Event->acceptProposedAction();
}

void TFormMain::dropEvent(QDropEvent* Event)
{
    const QList<QUrl> Urls = Event->mimeData()->urls();
    if (Urls.size() != 1 || !Urls.first().isLocalFile())
        return;
    Event->acceptProposedAction();
    OpenPatch(Urls.first().toLocalFile());
}

void TFormMain::LoadSettings()
{
    const QString File = SettingsFileName();
    QString Why;
    if (!SettingsFileUsable(File, &Why)) {
        // Never read (a FIFO would make the start wait) and never written.
        // Said once the window is up, so that no message of the start (a
        // patch loaded from the command line) puts it out of sight.
        const QString Note = tr("The settings in %1 are not used: %2").arg(QDir::toNativeSeparators(File), Why);
        statusBar()->showMessage(Note);
        QTimer::singleShot(0, this, [Note] { TApplication::ShowWarning(Note); });
        FLibrary->Start({});
        return;
    }
    FSettingsFile = File;
    FEditPatchName->setText(ReadPatchName(File, FEditPatchName->text()));
    const TWindowSettings Window = ReadWindowSettings(File);
    if (Window.Frame.isValid()) {
        // Where it was, but never larger than the screen or off it (the
        // screen or the scale may have changed since).
        const QRect Screen = screen()->availableGeometry();
        QRect Frame = Window.Frame;
        Frame.setSize(Frame.size().boundedTo(Screen.size()).expandedTo(minimumSize()));
        const int Left = std::max(Screen.left(), std::min(Frame.left(), Screen.right() + 1 - Frame.width()));
        const int Top = std::max(Screen.top(), std::min(Frame.top(), Screen.bottom() + 1 - Frame.height()));
        Frame.moveTopLeft(QPoint(Left, Top));
        setGeometry(Frame);
    }
    FSplitterState = Window.Splitter;
    FRecent->SetFiles(Window.Recent);
    FLibrary->Start(Window.Library);
}

void TFormMain::SaveSettings()
{
    if (FSettingsFile.isEmpty() || !SettingsFileUsable(FSettingsFile))
        return;
    const TWindowSettings Window{geometry(), FSplitter->saveState(), FRecent->Files(), FLibrary->Chosen()};
    WritePatchName(FSettingsFile, FEditPatchName->text(), &Window);
}

void TFormMain::showEvent(QShowEvent* Event)
{
    QMainWindow::showEvent(Event);
    if (!FSplitterState.isEmpty())
        FSplitter->restoreState(std::exchange(FSplitterState, {}));
}

void TFormMain::closeEvent(QCloseEvent* Event)
{
    if (!FDocument.MaybeSave()) {
        Event->ignore();
        return;
    }
    // The window closes whatever happens to the settings file; an error
    // writing it is still reported.
    Event->accept();
    TApplication::Guarded([this] { SaveSettings(); });
}

} // namespace permuto
