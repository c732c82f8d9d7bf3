#include "FrmMain.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <unordered_map>

#include "AboutPage.h"
#include "Globals.h"
#include "Settings.h"
#include "VersionInfo.h"
#include "library/Errors.h"

namespace permuto {

namespace {

const QColor CaptionColour(216, 216, 216);
constexpr int ColumnCount = 5;
constexpr int NarrowColumn = 25;
constexpr int GridExtra = 82; // three narrow columns plus lines and borders

std::string ToLocal(const QString& FileName)
{
    return QFile::encodeName(FileName).toStdString();
}

QString FromLocal(const std::string& FileName)
{
    return QFile::decodeName(QByteArray::fromStdString(FileName));
}

QLabel* CaptionBar(const QString& Text, QWidget* Parent)
{
    auto* Bar = new QLabel(Text, Parent);
    Bar->setFixedHeight(19);
    Bar->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Bar->setAutoFillBackground(true);
    QPalette Colours = Bar->palette();
    Colours.setColor(QPalette::Window, CaptionColour);
    Colours.setColor(QPalette::WindowText, Qt::black);
    Bar->setPalette(Colours);
    return Bar;
}

QPushButton* Button(const QString& Caption, QWidget* Parent, int Left, int Top, int Width, int Height)
{
    auto* B = new QPushButton(Caption, Parent);
    B->setGeometry(Left, Top, Width, Height);
    return B;
}

void SetCell(QTableWidget* Grid, int Row, int Column, const QString& Text)
{
    auto* Item = new QTableWidgetItem(Text);
    Item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    Grid->setItem(Row, Column, Item);
}

} // namespace

TFormMain::TFormMain(QWidget* Parent)
    : QMainWindow(Parent)
    , FPatch(std::make_unique<TPatchDef>())
{
    BuildWindow();
    FPages->setCurrentIndex(0);
    SetPatchName(QStringLiteral("-"));
    SetPatchName(FromLocal(ExeDir()));
    FSection = 0;
    SetSection(AreaPoly);
    LoadSettings();
}

TFormMain::~TFormMain() = default;

void TFormMain::BuildWindow()
{
    setWindowTitle(QStringLiteral("Permuto"));
    // "MS Sans Serif" 8 pt where it exists; otherwise a narrow sans serif, so
    // that captions and narrow columns keep the room they were laid out for.
    QFont Font(QStringLiteral("MS Sans Serif"), 8);
    Font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans Condensed"),
                      QStringLiteral("Liberation Sans Narrow")});
    Font.setStyleHint(QFont::SansSerif);
    setFont(Font);
    move(102, 189);
    resize(700, 595);

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

    setTabOrder(FBrowse, FLoad);
    setTabOrder(FLoad, FSave);
    setTabOrder(FSave, FExit);
}

QWidget* TFormMain::BuildTopBar()
{
    auto* Bar = new QWidget;
    Bar->setFixedHeight(25);
    auto* Row = new QHBoxLayout(Bar);
    Row->setContentsMargins(0, 0, 0, 0);
    Row->setSpacing(0);

    FEditPatchName = new QLineEdit(Bar);
    FEditPatchName->setFixedHeight(23);
    Row->addWidget(FEditPatchName, 1);

    FPanelButtons = new QWidget(Bar);
    FPanelButtons->setFixedSize(310, 25);
    FBrowse = Button(QStringLiteral("&Browse ..."), FPanelButtons, 1, 1, 75, 23);
    FSave = Button(QStringLiteral("&Save"), FPanelButtons, 78, 1, 75, 23);
    FLoad = Button(QStringLiteral("&Load"), FPanelButtons, 156, 1, 75, 23);
    FExit = Button(QStringLiteral("E&xit"), FPanelButtons, 233, 1, 75, 23);
    Row->addWidget(FPanelButtons);
    // Until a patch has been loaded there is nothing to save: an empty
    // document must never replace a patch file by a slip of the hand.
    FSave->setEnabled(false);

    connect(FEditPatchName, &QLineEdit::textChanged, this, &TFormMain::SetPatchName);
    connect(FBrowse, &QPushButton::clicked, this, &TFormMain::BrowseClick);
    connect(FLoad, &QPushButton::clicked, this, &TFormMain::LoadClick);
    connect(FSave, &QPushButton::clicked, this, &TFormMain::SaveClick);
    connect(FExit, &QPushButton::clicked, this, &TFormMain::close);
    return Bar;
}

QWidget* TFormMain::BuildWorkPage()
{
    auto* Page = new QWidget;
    auto* Row = new QHBoxLayout(Page);
    Row->setContentsMargins(0, 0, 0, 0);
    Row->setSpacing(0);

    // The tables, with a splitter that sizes the poly table.
    auto* Left = new QWidget(Page);
    auto* LeftColumn = new QVBoxLayout(Left);
    LeftColumn->setContentsMargins(0, 0, 0, 0);
    LeftColumn->setSpacing(0);
    LeftColumn->addWidget(CaptionBar(QStringLiteral("poly area"), Left));
    auto* Splitter = new QSplitter(Qt::Vertical, Left);
    Splitter->setHandleWidth(6);
    Splitter->setChildrenCollapsible(false);
    Splitter->setStyleSheet(QStringLiteral("QSplitter::handle { background: rgb(216,216,216); "
                                           "border-top: 1px solid white; border-bottom: 1px solid gray; }"));
    FGridPoly = new QTableWidget(Splitter);
    auto* CommonPart = new QWidget(Splitter);
    auto* CommonColumn = new QVBoxLayout(CommonPart);
    CommonColumn->setContentsMargins(0, 0, 0, 0);
    CommonColumn->setSpacing(0);
    CommonColumn->addWidget(CaptionBar(QStringLiteral("common area"), CommonPart));
    FGridCommon = new QTableWidget(CommonPart);
    CommonColumn->addWidget(FGridCommon, 1);
    Splitter->addWidget(FGridPoly);
    Splitter->addWidget(CommonPart);
    Splitter->setSizes({192, 400});
    Splitter->setStretchFactor(0, 0);
    Splitter->setStretchFactor(1, 1);
    LeftColumn->addWidget(Splitter, 1);
    Row->addWidget(Left, 1);

    // The area choice, the two indices and the swap button.
    auto* Right = new QWidget(Page);
    Right->setFixedWidth(139);
    auto* Group = new QGroupBox(QStringLiteral("Section"), Right);
    Group->setGeometry(8, 4, 117, 66);
    FRadioPoly = new QRadioButton(QStringLiteral("poly"), Group);
    FRadioPoly->setGeometry(10, 20, 100, 18);
    FRadioCommon = new QRadioButton(QStringLiteral("common"), Group);
    FRadioCommon->setGeometry(10, 40, 100, 18);
    FSectionGroup = new QButtonGroup(this);
    FSectionGroup->addButton(FRadioPoly, 0);
    FSectionGroup->addButton(FRadioCommon, 1);
    FEditIndex1 = new QLineEdit(Right);
    FEditIndex1->setGeometry(8, 80, 121, 21);
    FEditIndex2 = new QLineEdit(Right);
    FEditIndex2->setGeometry(8, 112, 121, 21);
    FSwap = Button(QStringLiteral("Swap indices"), Right, 8, 142, 119, 25);
    Row->addWidget(Right);

    SetUpGrid(FGridPoly);
    SetUpGrid(FGridCommon);
    FEditIndex1->setText(QStringLiteral("0"));
    FEditIndex2->setText(QStringLiteral("0"));

    connect(FSectionGroup, &QButtonGroup::idClicked, this, [this](int Item) {
        if (Item == 0 || Item == 1)
            SetSection(static_cast<uint8_t>(1 - Item));
    });
    connect(FEditIndex1, &QLineEdit::textChanged, this, [this] { EditIndexChange(FEditIndex1, &TFormMain::SetIndex1); });
    connect(FEditIndex2, &QLineEdit::textChanged, this, [this] { EditIndexChange(FEditIndex2, &TFormMain::SetIndex2); });
    connect(FSwap, &QPushButton::clicked, this, &TFormMain::SwapClick);
    return Page;
}

void TFormMain::SetUpGrid(QTableWidget* Grid)
{
    Grid->setColumnCount(ColumnCount);
    Grid->setRowCount(1);
    Grid->setHorizontalHeaderLabels(
        {QStringLiteral("index"), QStringLiteral("type"), QStringLiteral("name"), QStringLiteral("x"), QStringLiteral("y")});
    Grid->verticalHeader()->setVisible(false);
    Grid->verticalHeader()->setDefaultSectionSize(20);
    Grid->horizontalHeader()->setFixedHeight(20);
    Grid->horizontalHeader()->setHighlightSections(false);
    // "index" has to fit its narrow column in fonts wider than the window's own.
    Grid->horizontalHeader()->setStyleSheet(QStringLiteral("QHeaderView::section { padding: 0px; font-size: 7pt; }"));
    Grid->horizontalHeader()->setMinimumSectionSize(NarrowColumn);
    Grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Grid->setShowGrid(true);
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid->setAutoFillBackground(true);
    for (int Column : {0, 3, 4})
        Grid->setColumnWidth(Column, NarrowColumn);
    for (int Column = 0; Column < ColumnCount; ++Column)
        SetCell(Grid, 0, Column, QString());
    Grid->viewport()->installEventFilter(this);
}

void TFormMain::FitColumns()
{
    for (QTableWidget* Grid : {FGridPoly, FGridCommon}) {
        const int Wide = (Grid->width() - GridExtra) / 2;
        Grid->setColumnWidth(1, Wide);
        Grid->setColumnWidth(2, Wide);
    }
}

void TFormMain::resizeEvent(QResizeEvent* Event)
{
    QMainWindow::resizeEvent(Event);
    FitColumns();
}

void TFormMain::showEvent(QShowEvent* Event)
{
    QMainWindow::showEvent(Event);
    FitColumns();
}

bool TFormMain::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() == QEvent::MouseButtonPress) {
        if (Watched == FGridPoly->viewport())
            SetSection(AreaPoly);
        else if (Watched == FGridCommon->viewport())
            SetSection(AreaCommon);
    }
    return QMainWindow::eventFilter(Watched, Event);
}

void TFormMain::SetPatchName(const QString& Name)
{
    if (Name == FPatchName)
        return;
    FPatchName = Name;
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
    const QColor Face = palette().color(QPalette::Button);
    for (QTableWidget* Grid : {FGridPoly, FGridCommon}) {
        const bool Chosen = (Grid == FGridPoly) == (Value == AreaPoly);
        QPalette Colours = Grid->palette();
        Colours.setColor(QPalette::Base, Chosen ? QColor(Qt::white) : Face);
        Grid->setPalette(Colours);
    }
}

void TFormMain::SetIndex1(int32_t Value)
{
    if (Value == FIndex1)
        return;
    FIndex1 = Value;
    FEditIndex1->setText(QString::number(Value));
}

void TFormMain::SetIndex2(int32_t Value)
{
    if (Value == FIndex2)
        return;
    FIndex2 = Value;
    FEditIndex2->setText(QString::number(Value));
}

void TFormMain::EditIndexChange(QLineEdit* Edit, void (TFormMain::*Setter)(int32_t))
{
    int32_t Value = 0;
    if (IsInteger(Edit->text().toStdString(), &Value))
        (this->*Setter)(Value);
}

void TFormMain::SwapIndices()
{
    FPatch->SwapModules(FSection, FIndex1, FIndex2);
    RefreshGrids();
}

void TFormMain::SwapClick()
{
    if (!IsInteger(FEditIndex1->text().toStdString()) || !IsInteger(FEditIndex2->text().toStdString()))
        throw EPermutoError(NonIntegerSwapMessage);
    SwapIndices();
}

void TFormMain::RefreshGrids()
{
    FillGrid(FGridPoly, PolyDump);
    FillGrid(FGridCommon, CommonDump);
}

void TFormMain::FillGrid(QTableWidget* Grid, int Dump)
{
    const TModuleDump& Modules = FPatch->ModuleDumps[static_cast<size_t>(Dump)];
    const TNameDump& Names = FPatch->NameDumps[static_cast<size_t>(Dump)];

    const TNameLookup FirstName(Names);

    const int Count = Modules.Count();
    Grid->setUpdatesEnabled(false);
    Grid->clearContents();
    Grid->setRowCount(Count + 1); // one row per module and one empty row
    for (int Row = 0; Row < Count; ++Row) {
        const TModuleDef& Module = Modules.Items(Row);
        const std::string* Name = FirstName.Find(Module.ModuleIndex);
        SetCell(Grid, Row, 0, QString::number(Module.ModuleIndex));
        SetCell(Grid, Row, 1, QString::fromLatin1(Module.TypeName()));
        SetCell(Grid, Row, 2, Name == nullptr ? QString() : QString::fromLatin1(*Name));
        SetCell(Grid, Row, 3, QString::number(Module.X));
        SetCell(Grid, Row, 4, QString::number(Module.Y));
    }
    for (int Column = 0; Column < ColumnCount; ++Column)
        SetCell(Grid, Count, Column, QString());
    Grid->setUpdatesEnabled(true);
}

void TFormMain::BrowseClick()
{
    QFileDialog Dialog(this, QStringLiteral("Select an NM Classic patch"));
    Dialog.setDefaultSuffix(QStringLiteral("pch"));
    Dialog.setNameFilters({QStringLiteral("nm classic patches (*.pch)"), QStringLiteral("any file (*.*)")});
    Dialog.setFileMode(QFileDialog::ExistingFile);
    const QFileInfo Current(FPatchName);
    if (!FPatchName.isEmpty() && Current.isFile()) {
        Dialog.setDirectory(Current.absolutePath());
        Dialog.selectFile(Current.fileName());
    } else {
        Dialog.setDirectory(FromLocal(ExeDir()));
    }
    if (Dialog.exec() == QDialog::Accepted && !Dialog.selectedFiles().isEmpty())
        SetPatchName(Dialog.selectedFiles().constFirst());
}

void TFormMain::LoadClick()
{
    FPatch->LoadFromFile(ToLocal(FPatchName));
    RefreshGrids();
    FSave->setEnabled(true);
}

void TFormMain::SaveClick()
{
    FPatch->SaveToFile(ToLocal(FPatchName));
}

void TFormMain::LoadSettings()
{
    SetPatchName(ReadPatchName(SettingsFileName(), FEditPatchName->text()));
    if (FPatchName.isEmpty())
        SetPatchName(FromLocal(ExeDir()));
}

void TFormMain::SaveSettings()
{
    WritePatchName(SettingsFileName(), FPatchName);
}

void TFormMain::closeEvent(QCloseEvent* Event)
{
    // The window closes whatever happens to the settings file; an error
    // writing it is still reported.
    Event->accept();
    SaveSettings();
}

} // namespace permuto
