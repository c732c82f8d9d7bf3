#include "FrmMain.h"

#include <QAction>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QUndoStack>
#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "AboutPage.h"
#include "Application.h"
#include "Globals.h"
#include "ModuleTableModel.h"
#include "RenumberCommand.h"
#include "Settings.h"
#include "VersionInfo.h"

namespace permuto {

namespace {

const QColor CaptionColour(216, 216, 216);

std::string ToLocal(const QString& FileName)
{
    return QFile::encodeName(FileName).toStdString();
}

QString FromLocal(const std::string& FileName)
{
    return QFile::decodeName(QByteArray::fromStdString(FileName));
}

QString ShortName(const QString& FileName)
{
    return QFileInfo(FileName).fileName();
}

bool SameFile(const QString& A, const QString& B)
{
    const QFileInfo First(A), Second(B);
    if (First.exists() && Second.exists())
        return First.canonicalFilePath() == Second.canonicalFilePath();
    return First.absoluteFilePath() == Second.absoluteFilePath();
}

QString AreaText(uint8_t Area)
{
    return QString::fromLatin1(AreaName(Area));
}

QLabel* CaptionBar(const QString& Text, QWidget* Parent)
{
    auto* Bar = new QLabel(Text, Parent);
    Bar->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Bar->setAutoFillBackground(true);
    Bar->setContentsMargins(2, 2, 2, 2);
    QPalette Colours = Bar->palette();
    Colours.setColor(QPalette::Window, CaptionColour);
    Colours.setColor(QPalette::WindowText, Qt::black);
    Bar->setPalette(Colours);
    return Bar;
}

QAction* AddAction(QMenu* Menu, const QString& Text, QList<QKeySequence> Keys, QObject* Receiver,
                   std::function<void()> Slot)
{
    QAction* Action = Menu->addAction(Text);
    Action->setShortcuts(Keys);
    QObject::connect(Action, &QAction::triggered, Receiver, std::move(Slot));
    return Action;
}

} // namespace

TFormMain::TFormMain(QWidget* Parent)
    : QMainWindow(Parent)
    , FPatch(std::make_unique<TPatchDef>())
    , FUndo(new QUndoStack(this))
{
    BuildWindow();
    FPages->setCurrentIndex(0);
    SetPatchName(QStringLiteral("-"));
    SetPatchName(FromLocal(ExeDir()));
    FSection = 0;
    SetSection(AreaPoly);
    LoadSettings();
    ShowLateStatus();
    UpdateTitle();
}

TFormMain::~TFormMain()
{
    // What refers to the document goes before it: the undo stack (its last
    // signals must not reach a window that is half destroyed), the views and
    // the models over it.
    FUndo->disconnect(this);
    delete FUndo;
    delete takeCentralWidget();
    for (QSortFilterProxyModel* Sorted : FSorted)
        delete Sorted;
    for (TModuleTableModel* Model : FModels)
        delete Model;
}

void TFormMain::BuildWindow()
{
    // "MS Sans Serif" 8 pt where it exists; otherwise a sans serif of that size.
    QFont Font(QStringLiteral("MS Sans Serif"), 8);
    Font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
    Font.setStyleHint(QFont::SansSerif);
    setFont(Font);
    move(102, 189);
    resize(700, 595);
    setMinimumSize(520, 380);
    setAcceptDrops(true);

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

    FLateStatus = new QLabel(this);
    statusBar()->addPermanentWidget(FLateStatus);
    BuildMenus();
    connect(FUndo, &QUndoStack::cleanChanged, this, [this] { UpdateTitle(); });

    // Keyboard order: the file row, the tables, the area, the indices and
    // the buttons that act on them.
    QWidget* const Order[] = {FEditPatchName, FBrowse, FLoad, FSave,       FExit,  FGrids[0], FGrids[1],
                              FRadioPoly,     FRadioCommon, FEditIndex1, FEditIndex2, FSwap, FOrder,
                              FMoveUp,        FMoveDown};
    for (size_t I = 0; I + 1 < std::size(Order); ++I)
        setTabOrder(Order[I], Order[I + 1]);
}

void TFormMain::BuildMenus()
{
    QMenu* File = menuBar()->addMenu(tr("&File"));
    AddAction(File, tr("&Browse ..."), {QKeySequence::Open}, this, [this] { BrowseClick(); });
    AddAction(File, tr("&Load"), {}, this, [this] { LoadClick(); });
    FSaveAction = AddAction(File, tr("&Save"), {QKeySequence::Save}, this, [this] { SaveClick(); });
    FSaveAction->setEnabled(false);
    FRecentMenu = File->addMenu(tr("Recent &patches"));
    File->addSeparator();
    AddAction(File, tr("E&xit"), {QKeySequence::Quit}, this, [this] { close(); });

    QMenu* Edit = menuBar()->addMenu(tr("&Edit"));
    QAction* Undo = FUndo->createUndoAction(this, tr("&Undo"));
    Undo->setShortcut(QKeySequence::Undo);
    QAction* Redo = FUndo->createRedoAction(this, tr("&Redo"));
    Redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    Edit->addAction(Undo);
    Edit->addAction(Redo);
    Edit->addSeparator();
    FEditActions = {
        AddAction(Edit, tr("S&wap indices"), {}, this, [this] { SwapClick(); }),
        AddAction(Edit, tr("&Order by signal flow"), {QKeySequence(Qt::CTRL | Qt::Key_R)}, this, [this] { OrderClick(); }),
        AddAction(Edit, tr("Move &up"), {QKeySequence(Qt::ALT | Qt::Key_Up)}, this, [this] { MoveSelected(-1); }),
        AddAction(Edit, tr("Move &down"), {QKeySequence(Qt::ALT | Qt::Key_Down)}, this, [this] { MoveSelected(+1); })};
    for (QAction* Action : FEditActions)
        Action->setEnabled(false);
    // What was done or undone, in the status bar.
    connect(FUndo, &QUndoStack::indexChanged, this, [this](int Index) {
        if (Index > FUndoIndex)
            statusBar()->showMessage(FUndo->text(Index - 1), 5000);
        else if (Index < FUndoIndex)
            statusBar()->showMessage(tr("Undone: %1").arg(FUndo->text(Index)), 5000);
        FUndoIndex = Index;
    });
}

QWidget* TFormMain::BuildTopBar()
{
    auto* Bar = new QWidget;
    auto* Row = new QHBoxLayout(Bar);
    Row->setContentsMargins(1, 1, 1, 1);
    Row->setSpacing(2);
    FEditPatchName = new QLineEdit(Bar);
    Row->addWidget(FEditPatchName, 1);
    FBrowse = new QPushButton(QStringLiteral("&Browse ..."), Bar);
    FSave = new QPushButton(QStringLiteral("&Save"), Bar);
    FLoad = new QPushButton(QStringLiteral("&Load"), Bar);
    FExit = new QPushButton(QStringLiteral("E&xit"), Bar);
    for (QPushButton* Button : {FBrowse, FSave, FLoad, FExit}) {
        Button->setAutoDefault(false);
        Row->addWidget(Button);
    }
    // Until a patch has been loaded there is nothing to save: an empty
    // document must never replace a patch file by a slip of the hand.
    FSave->setEnabled(false);

    // Typing changes the name without writing it back, so the cursor stays.
    connect(FEditPatchName, &QLineEdit::textEdited, this, [this](const QString& Text) { FPatchName = Text; });
    connect(FEditPatchName, &QLineEdit::returnPressed, this, [this] { LoadClick(); });
    connect(FBrowse, &QPushButton::clicked, this, [this] { BrowseClick(); });
    connect(FLoad, &QPushButton::clicked, this, [this] { LoadClick(); });
    connect(FSave, &QPushButton::clicked, this, [this] { SaveClick(); });
    connect(FExit, &QPushButton::clicked, this, &TFormMain::close);
    return Bar;
}

QTableView* TFormMain::BuildGrid(uint8_t Area, QWidget* Parent)
{
    const int Dump = DumpOf(Area);
    FModels[Dump] = new TModuleTableModel(*FPatch, Area, this);
    FSorted[Dump] = new QSortFilterProxyModel(this);
    FSorted[Dump]->setSourceModel(FModels[Dump]);
    FSorted[Dump]->setSortRole(TModuleTableModel::SortRole);
    connect(FModels[Dump], &TModuleTableModel::MoveRequested, this,
            [this, Area](int32_t From, int32_t To) { TApplication::Guarded([&] { Move(Area, From, To); }); });

    auto* Grid = new QTableView(Parent);
    Grid->setModel(FSorted[Dump]);
    Grid->verticalHeader()->setVisible(false);
    Grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Grid->verticalHeader()->setDefaultSectionSize(Grid->fontMetrics().height() + 6);
    Grid->horizontalHeader()->setHighlightSections(false);
    Grid->horizontalHeader()->setSectionResizeMode(TModuleTableModel::ColumnType, QHeaderView::Stretch);
    Grid->horizontalHeader()->setSectionResizeMode(TModuleTableModel::ColumnName, QHeaderView::Stretch);
    // Rows stand in the patch's order; a click on a header sorts by it.
    Grid->setSortingEnabled(true);
    Grid->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    Grid->setShowGrid(true);
    Grid->setWordWrap(false);
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid->setTabKeyNavigation(false); // Tab leaves the table
    Grid->setDragEnabled(true);
    Grid->setAcceptDrops(true);
    Grid->setDropIndicatorShown(true);
    Grid->setDragDropMode(QAbstractItemView::DragDrop);
    Grid->setDefaultDropAction(Qt::MoveAction);
    Grid->setDragDropOverwriteMode(true); // a row is dropped onto another, not between two
    Grid->setAccessibleName(AreaText(Area) + QStringLiteral(" area"));
    Grid->viewport()->installEventFilter(this);
    Grid->installEventFilter(this);
    FGrids[Dump] = Grid;
    FitNumberColumns(Area);
    return Grid;
}

QWidget* TFormMain::BuildWorkPage()
{
    auto* Page = new QWidget;
    auto* Row = new QHBoxLayout(Page);
    Row->setContentsMargins(0, 0, 0, 0);
    Row->setSpacing(4);

    // The tables, with a splitter that sizes the poly table.
    auto* Left = new QWidget(Page);
    auto* LeftColumn = new QVBoxLayout(Left);
    LeftColumn->setContentsMargins(0, 0, 0, 0);
    LeftColumn->setSpacing(0);
    LeftColumn->addWidget(CaptionBar(QStringLiteral("poly area"), Left));
    FSplitter = new QSplitter(Qt::Vertical, Left);
    FSplitter->setHandleWidth(6);
    FSplitter->setChildrenCollapsible(false);
    FSplitter->setStyleSheet(QStringLiteral("QSplitter::handle { background: rgb(216,216,216); "
                                            "border-top: 1px solid white; border-bottom: 1px solid gray; }"));
    FSplitter->addWidget(BuildGrid(AreaPoly, FSplitter));
    auto* CommonPart = new QWidget(FSplitter);
    auto* CommonColumn = new QVBoxLayout(CommonPart);
    CommonColumn->setContentsMargins(0, 0, 0, 0);
    CommonColumn->setSpacing(0);
    CommonColumn->addWidget(CaptionBar(QStringLiteral("common area"), CommonPart));
    CommonColumn->addWidget(BuildGrid(AreaCommon, CommonPart), 1);
    FSplitter->addWidget(CommonPart);
    FSplitter->setSizes({192, 400});
    FSplitter->setStretchFactor(0, 0);
    FSplitter->setStretchFactor(1, 1);
    LeftColumn->addWidget(FSplitter, 1);
    Row->addWidget(Left, 1);

    // The area choice, the two indices and what acts on them.
    auto* Right = new QWidget(Page);
    auto* Controls = new QVBoxLayout(Right);
    Controls->setContentsMargins(4, 4, 4, 4);
    auto* Group = new QGroupBox(QStringLiteral("Section"), Right);
    auto* Choice = new QVBoxLayout(Group);
    FRadioPoly = new QRadioButton(QStringLiteral("&poly"), Group);
    FRadioCommon = new QRadioButton(QStringLiteral("&common"), Group);
    Choice->addWidget(FRadioPoly);
    Choice->addWidget(FRadioCommon);
    FSectionGroup = new QButtonGroup(this);
    FSectionGroup->addButton(FRadioPoly, 0);
    FSectionGroup->addButton(FRadioCommon, 1);
    Controls->addWidget(Group);
    FEditIndex1 = new QLineEdit(QStringLiteral("0"), Right);
    FEditIndex2 = new QLineEdit(QStringLiteral("0"), Right);
    auto* Label1 = new QLabel(tr("First &index"), Right);
    auto* Label2 = new QLabel(tr("Seco&nd index"), Right);
    Label1->setBuddy(FEditIndex1);
    Label2->setBuddy(FEditIndex2);
    // Ctrl+Z in an index field undoes the last step of the patch, not the typing.
    FEditIndex1->installEventFilter(this);
    FEditIndex2->installEventFilter(this);
    FEditIndex1->setAccessibleName(tr("First index"));
    FEditIndex2->setAccessibleName(tr("Second index"));
    FEditIndex1->setToolTip(tr("First module index of a swap (Enter swaps)"));
    FEditIndex2->setToolTip(tr("Second module index of a swap (Enter swaps)"));
    FSwap = new QPushButton(QStringLiteral("S&wap indices"), Right);
    FOrder = new QPushButton(tr("&Order by signal flow"), Right);
    FOrder->setToolTip(tr("Renumber the chosen area so that signals flow from lower to higher indices"));
    FMoveUp = new QPushButton(tr("Move &up"), Right);
    FMoveUp->setToolTip(tr("Process the selected module one place earlier (Alt+Up)"));
    FMoveDown = new QPushButton(tr("Move &down"), Right);
    FMoveDown->setToolTip(tr("Process the selected module one place later (Alt+Down)"));
    for (QWidget* Control : std::initializer_list<QWidget*>{Label1, FEditIndex1, Label2, FEditIndex2, FSwap, FOrder,
                                                            FMoveUp, FMoveDown})
        Controls->addWidget(Control);
    for (QPushButton* Button : {FSwap, FOrder, FMoveUp, FMoveDown}) {
        Button->setAutoDefault(false);
        Button->setEnabled(false); // until a patch is loaded there is nothing to act on
    }
    Controls->addStretch(1);
    Row->addWidget(Right);

    connect(FSectionGroup, &QButtonGroup::idClicked, this, [this](int Item) {
        if (Item == 0 || Item == 1)
            SetSection(static_cast<uint8_t>(1 - Item));
    });
    // Typing sets the index; the text is written back in decimal only when
    // the typing is done ("007" becomes "7", "$10" becomes "16").
    connect(FEditIndex1, &QLineEdit::textEdited, this, [this] { EditIndexEdited(FEditIndex1, FIndex1); });
    connect(FEditIndex2, &QLineEdit::textEdited, this, [this] { EditIndexEdited(FEditIndex2, FIndex2); });
    connect(FEditIndex1, &QLineEdit::editingFinished, this, [this] { SetIndex1(FIndex1); });
    connect(FEditIndex2, &QLineEdit::editingFinished, this, [this] { SetIndex2(FIndex2); });
    connect(FEditIndex1, &QLineEdit::returnPressed, this, [this] { SwapClick(); });
    connect(FEditIndex2, &QLineEdit::returnPressed, this, [this] { SwapClick(); });
    connect(FSwap, &QPushButton::clicked, this, [this] { SwapClick(); });
    connect(FOrder, &QPushButton::clicked, this, [this] { OrderClick(); });
    connect(FMoveUp, &QPushButton::clicked, this, [this] { MoveSelected(-1); });
    connect(FMoveDown, &QPushButton::clicked, this, [this] { MoveSelected(+1); });
    return Page;
}

bool TFormMain::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() == QEvent::ShortcutOverride && (Watched == FEditIndex1 || Watched == FEditIndex2)) {
        auto* Key = static_cast<QKeyEvent*>(Event);
        if (Key->matches(QKeySequence::Undo) || Key->matches(QKeySequence::Redo) ||
            Key->keyCombination() == QKeyCombination(Qt::CTRL | Qt::SHIFT, Qt::Key_Z))
            return true; // not taken by the field: the window's Undo and Redo get it
    }
    // Clicking into a table, or reaching it with the keyboard, chooses its area.
    if (Event->type() == QEvent::MouseButtonPress || Event->type() == QEvent::FocusIn)
        for (uint8_t Area : {AreaPoly, AreaCommon})
            if (Watched == FGrids[DumpOf(Area)] || Watched == FGrids[DumpOf(Area)]->viewport())
                SetSection(Area);
    return QMainWindow::eventFilter(Watched, Event);
}

void TFormMain::SetPatchName(const QString& Name)
{
    if (Name == FPatchName)
        return;
    FPatchName = Name;
    if (FEditPatchName->text() != Name)
        FEditPatchName->setText(Name);
}

void TFormMain::SetSection(uint8_t Value)
{
    if (Value == 2)
        Value = AreaPoly;
    if (Value == FSection)
        return;
    FSection = Value;
    (Value == AreaPoly ? FRadioPoly : FRadioCommon)->setChecked(true);
    // The chosen area's table is white, the other one grey: a swap, move or
    // order acts on the white one.
    const QColor Grey = palette().color(QPalette::Window).darker(115);
    for (uint8_t Area : {AreaPoly, AreaCommon}) {
        QTableView* Grid = FGrids[DumpOf(Area)];
        QPalette Colours = Grid->palette();
        Colours.setColor(QPalette::Base, Area == Value ? QColor(Qt::white) : Grey);
        Grid->setPalette(Colours);
        Grid->viewport()->setPalette(Colours);
    }
}

namespace {

// Writes Value into its field in decimal, unless the field says so already.
void ShowIndex(QLineEdit* Edit, int32_t Value)
{
    const QString Normal = QString::number(Value);
    if (Edit->text() != Normal && IsInteger(Edit->text().toStdString()))
        Edit->setText(Normal);
}

} // namespace

void TFormMain::SetIndex1(int32_t Value)
{
    FIndex1 = Value;
    ShowIndex(FEditIndex1, Value);
}

void TFormMain::SetIndex2(int32_t Value)
{
    FIndex2 = Value;
    ShowIndex(FEditIndex2, Value);
}

void TFormMain::EditIndexEdited(QLineEdit* Edit, int32_t& Index)
{
    int32_t Value = 0;
    if (IsInteger(Edit->text().toStdString(), &Value))
        Index = Value;
}

bool TFormMain::HasPatch()
{
    if (!FDocumentName.isEmpty())
        return true;
    statusBar()->showMessage(tr("Load a patch first"), 5000);
    return false;
}

void TFormMain::SwapClick()
{
    if (!HasPatch())
        return;
    TApplication::Guarded([this] {
        if (!IsInteger(FEditIndex1->text().toStdString()) || !IsInteger(FEditIndex2->text().toStdString()))
            throw EPermutoError(NonIntegerSwapMessage);
        SetIndex1(FIndex1);
        SetIndex2(FIndex2);
        TRenumbering Map = TRenumbering::Swap(FIndex1, FIndex2);
        if (!FPatch->ChangedBy(FSection, Map)) {
            statusBar()->showMessage(tr("Nothing to swap: no line of the %1 area refers to %2 or %3")
                                         .arg(AreaText(FSection))
                                         .arg(FIndex1)
                                         .arg(FIndex2),
                                     5000);
            return;
        }
        const QString Text = tr("Swap %1 and %2 (%3)").arg(FIndex1).arg(FIndex2).arg(AreaText(FSection));
        FUndo->push(new TRenumberCommand(*FPatch, FSection, std::move(Map), Text,
                                         [this](TAreaCode Area) { Renumbered(Area); }));
    });
}

void TFormMain::OrderClick()
{
    if (!HasPatch())
        return;
    TApplication::Guarded([this] {
        TRenumbering Map = FPatch->SignalFlowOrder(FSection);
        if (Map.IsIdentity()) {
            statusBar()->showMessage(tr("The %1 area is in signal-flow order already").arg(AreaText(FSection)), 5000);
            return;
        }
        FUndo->push(new TRenumberCommand(*FPatch, FSection, std::move(Map),
                                         tr("Order by signal flow (%1)").arg(AreaText(FSection)),
                                         [this](TAreaCode Area) { Renumbered(Area); }));
    });
}

void TFormMain::MoveSelected(int Step)
{
    if (!HasPatch())
        return;
    TApplication::Guarded([this, Step] {
        const int Dump = DumpOf(FSection);
        const QModelIndex Current = FGrids[Dump]->currentIndex();
        if (!Current.isValid()) {
            statusBar()->showMessage(tr("Select the module to move in the %1 table").arg(AreaText(FSection)), 5000);
            return;
        }
        const int32_t From = FModels[Dump]->ModuleIndexAt(FSorted[Dump]->mapToSource(Current).row());
        Move(FSection, From, FPatch->NeighbourInOrder(FSection, From, Step)); // itself when first or last
    });
}

void TFormMain::Move(uint8_t Area, int32_t From, int32_t To)
{
    TRenumbering Map = FPatch->ModuleMove(Area, From, To);
    if (Map.IsIdentity())
        return;
    FUndo->push(new TRenumberCommand(*FPatch, Area, std::move(Map),
                                     tr("Move %1 to %2 (%3)").arg(From).arg(To).arg(AreaText(Area)),
                                     [this](TAreaCode Changed) { Renumbered(Changed); }));
}

void TFormMain::Renumbered(uint8_t Area)
{
    FModels[DumpOf(Area)]->Renumbered();
    FitNumberColumns(Area);
    ShowLateStatus();
}

void TFormMain::ShowLateStatus()
{
    if (FDocumentName.isEmpty())
        return; // nothing loaded, nothing to count
    const auto Count = [this](uint8_t Area) {
        const TModuleTableModel* Model = FModels[DumpOf(Area)];
        return Model->LateComplete() ? QString::number(Model->LateCount())
                                     : tr("over %1").arg(TModuleTableModel::LateLimit);
    };
    FLateStatus->setText(tr("poly: %1 late, common: %2 late").arg(Count(AreaPoly), Count(AreaCommon)));
}

void TFormMain::UpdateTitle()
{
    if (FDocumentName.isEmpty()) {
        setWindowTitle(QStringLiteral("Permuto"));
        return;
    }
    setWindowTitle(ShortName(FDocumentName) + QStringLiteral("[*] - Permuto"));
    setWindowModified(!FUndo->isClean());
}

void TFormMain::FitNumberColumns(uint8_t Area)
{
    // The widest number of each column, found from its smallest and largest
    // value: every digit stays readable however many rows there are.
    const int Dump = DumpOf(Area);
    int32_t Low[3] = {0, 0, 0}, High[3] = {0, 0, 0};
    for (const TModuleDef& Module : FPatch->ModuleDumps[Dump].Modules()) {
        const int32_t Values[3] = {Module.ModuleIndex, Module.X, Module.Y};
        for (int I = 0; I < 3; ++I) {
            Low[I] = std::min(Low[I], Values[I]);
            High[I] = std::max(High[I], Values[I]);
        }
    }
    QHeaderView* Header = FGrids[Dump]->horizontalHeader();
    const QFontMetrics Metrics = FGrids[Dump]->fontMetrics();
    const auto Fit = [&](int Column, const QStringList& Texts) {
        int Width = Header->fontMetrics().horizontalAdvance(FModels[Dump]->headerData(Column, Qt::Horizontal, Qt::DisplayRole).toString()) + 12;
        for (const QString& Text : Texts)
            Width = std::max(Width, Metrics.horizontalAdvance(Text) + 12);
        Header->resizeSection(Column, Width);
    };
    const int Columns[3] = {TModuleTableModel::ColumnIndex, TModuleTableModel::ColumnX, TModuleTableModel::ColumnY};
    for (int I = 0; I < 3; ++I)
        Fit(Columns[I], {QString::number(Low[I]), QString::number(High[I])});
    Fit(TModuleTableModel::ColumnLate, {QStringLiteral("999")});
}

void TFormMain::BrowseClick()
{
    TApplication::Guarded([this] {
        QFileDialog Dialog(this, QStringLiteral("Select an NM Classic patch"));
        Dialog.setDefaultSuffix(QStringLiteral("pch"));
        Dialog.setNameFilters({QStringLiteral("nm classic patches (*.pch)"), QStringLiteral("any file (*)")});
        Dialog.setFileMode(QFileDialog::ExistingFile);
        const QFileInfo Current(FPatchName);
        if (!FPatchName.isEmpty() && Current.isFile()) {
            Dialog.setDirectory(Current.absolutePath());
            Dialog.selectFile(Current.fileName());
        } else {
            Dialog.setDirectory(FromLocal(ExeDir()));
        }
        if (Dialog.exec() == QDialog::Accepted && !Dialog.selectedFiles().isEmpty()) {
            SetPatchName(Dialog.selectedFiles().constFirst());
            FLoad->setFocus(); // Enter loads it
        }
    });
}

bool TFormMain::MaybeSave()
{
    if (FUndo->isClean())
        return true;
    const QMessageBox::StandardButton Answer =
        TApplication::Ask(tr("Save the changes to %1?").arg(ShortName(FDocumentName)),
                          QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (Answer == QMessageBox::Save)
        return MayReplace(FDocumentName) && TApplication::Guarded([this] { SaveTo(FDocumentName); });
    return Answer == QMessageBox::Discard;
}

void TFormMain::LoadClick()
{
    if (MaybeSave())
        TApplication::Guarded([this] { Load(FPatchName); });
}

void TFormMain::OpenPatch(const QString& FileName)
{
    if (!MaybeSave())
        return;
    SetPatchName(FileName);
    TApplication::Guarded([this, FileName] { Load(FileName); });
}

void TFormMain::Load(const QString& FileName)
{
    TPatchDef Loaded; // all or nothing: a failure changes nothing here
    Loaded.LoadFromFile(ToLocal(FileName));
    FUndoIndex = 0;
    FUndo->clear(); // its steps belong to the patch that goes
    for (TModuleTableModel* Model : FModels)
        Model->BeginReload();
    *FPatch = std::move(Loaded);
    for (TModuleTableModel* Model : FModels)
        Model->EndReload();
    FDocumentName = FileName;
    for (uint8_t Area : {AreaPoly, AreaCommon})
        FitNumberColumns(Area);
    ShowLateStatus();
    for (QPushButton* Button : {FSave, FSwap, FOrder, FMoveUp, FMoveDown})
        Button->setEnabled(true);
    FSaveAction->setEnabled(true);
    for (QAction* Action : FEditActions)
        Action->setEnabled(true);
    UpdateTitle();
    statusBar()->showMessage(tr("Loaded %1: %2 + %3 modules")
                                 .arg(ShortName(FileName))
                                 .arg(FPatch->ModuleDumps[PolyDump].Count())
                                 .arg(FPatch->ModuleDumps[CommonDump].Count()));
    AddRecent(FileName);
    if (FPatch->NulAt() >= 0)
        TApplication::ShowWarning(tr("%1 holds a NUL byte at byte %2: what follows it was not read, and saving "
                                     "would lose it. Saving asks before it replaces this file.")
                                      .arg(ShortName(FileName))
                                      .arg(FPatch->NulAt()));
    else if (!FPatch->LooksLikePatch())
        TApplication::ShowWarning(tr("%1 does not look like a patch: besides its version line it holds no patch "
                                     "section. Saving writes the patch as shown, with empty sections, and asks "
                                     "before it replaces this file.")
                                      .arg(ShortName(FileName)));
}

void TFormMain::SaveClick()
{
    if (FDocumentName.isEmpty())
        return;
    const QString Target = FPatchName;
    if (MayReplace(Target))
        TApplication::Guarded([this, Target] { SaveTo(Target); });
}

bool TFormMain::MayReplace(const QString& Target)
{
    QString Why;
    if (!SameFile(Target, FDocumentName))
        Why = tr("The patch shown was loaded from %1.").arg(QDir::toNativeSeparators(FDocumentName));
    else if (!FPatch->LooksLikePatch())
        Why = tr("It did not look like a patch when it was loaded: its text would be replaced by the patch "
                 "shown.");
    else if (FPatch->NulAt() >= 0)
        Why = tr("It holds a NUL byte: what follows it was not read and would be lost.");
    if (Why.isEmpty() || !QFileInfo::exists(Target))
        return true;
    return TApplication::Ask(tr("Replace %1?\n\n%2").arg(ShortName(Target), Why), QMessageBox::Yes | QMessageBox::No,
                             QMessageBox::No) == QMessageBox::Yes;
}

bool TFormMain::SaveTo(const QString& FileName)
{
    FPatch->SaveToFile(ToLocal(FileName));
    FDocumentName = FileName;
    FUndo->setClean();
    UpdateTitle();
    statusBar()->showMessage(tr("Saved %1").arg(ShortName(FileName)));
    AddRecent(FileName);
    return true;
}

void TFormMain::AddRecent(const QString& FileName)
{
    FRecent = WithRecent(FRecent, QFileInfo(FileName).absoluteFilePath());
    FillRecentMenu();
}

void TFormMain::FillRecentMenu()
{
    FRecentMenu->clear();
    for (int I = 0; I < FRecent.size(); ++I) {
        const QString File = FRecent[I];
        QAction* Action = FRecentMenu->addAction(QStringLiteral("&%1 %2").arg(I + 1).arg(QDir::toNativeSeparators(File)));
        connect(Action, &QAction::triggered, this, [this, File] { OpenPatch(File); });
    }
    FRecentMenu->setEnabled(!FRecent.isEmpty());
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
    SetPatchName(ReadPatchName(File, FEditPatchName->text()));
    if (FPatchName.isEmpty())
        SetPatchName(FromLocal(ExeDir()));
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
    if (!Window.Splitter.isEmpty())
        FSplitter->restoreState(Window.Splitter);
    FRecent = Window.Recent;
    FillRecentMenu();
}

void TFormMain::SaveSettings()
{
    const TWindowSettings Window{geometry(), FSplitter->saveState(), FRecent};
    WritePatchName(SettingsFileName(), FPatchName, &Window);
}

void TFormMain::closeEvent(QCloseEvent* Event)
{
    if (!MaybeSave()) {
        Event->ignore();
        return;
    }
    // The window closes whatever happens to the settings file; an error
    // writing it is still reported.
    Event->accept();
    TApplication::Guarded([this] { SaveSettings(); });
}

} // namespace permuto
