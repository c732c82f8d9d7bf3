#include "AreaTable.h"

#include <QEvent>
#include <QHeaderView>
#include <QTimer>
#include <QLabel>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "CaptionBar.h"
#include "ModuleTableModel.h"
#include "PatchDocument.h"

namespace permuto {

TAreaTable::TAreaTable(TPatchDocument& Document, TArea Area, QWidget* Parent)
    : QWidget(Parent)
    , FDocument(Document)
    , FArea(Area)
    , FModel(new TModuleTableModel(Document, Area, this))
    , FSorted(new QSortFilterProxyModel(this))
    , FView(new QTableView(this))
{
    const QString Name = QString::fromLatin1(AreaName(Area));
    auto* Column = new QVBoxLayout(this);
    Column->setContentsMargins(0, 0, 0, 0);
    Column->setSpacing(0);
    Column->addWidget(CaptionBar(Name + QStringLiteral(" area"), this));
    Column->addWidget(FView, 1);

    FSorted->setSourceModel(FModel);
    FSorted->setSortRole(TModuleTableModel::SortRole);
    FView->setModel(FSorted);
    FView->verticalHeader()->setVisible(false);
    FView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    FView->verticalHeader()->setDefaultSectionSize(FView->fontMetrics().height() + 6);
    QHeaderView* Header = FView->horizontalHeader();
    Header->setHighlightSections(false);
    Header->setSectionResizeMode(TModuleTableModel::ColumnType, QHeaderView::Stretch);
    Header->setSectionResizeMode(TModuleTableModel::ColumnName, QHeaderView::Stretch);
    // Processing order first; a click on another header sorts by that column.
    FView->setSortingEnabled(true);
    FView->sortByColumn(TModuleTableModel::ColumnIndex, Qt::AscendingOrder);
    // The selected module stays in sight when the rows take another order
    // (once the view has placed them).
    connect(FView->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this, [this] {
        QTimer::singleShot(0, this, [this] {
            if (FView->currentIndex().isValid())
                FView->scrollTo(FView->currentIndex(), QAbstractItemView::EnsureVisible);
        });
    });
    FView->setWordWrap(false);
    FView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FView->setSelectionMode(QAbstractItemView::SingleSelection);
    FView->setSelectionBehavior(QAbstractItemView::SelectRows);
    FView->setTabKeyNavigation(false); // Tab leaves the table
    FView->setDragEnabled(true);
    FView->setAcceptDrops(true);
    FView->setDropIndicatorShown(true);
    FView->setDragDropMode(QAbstractItemView::DragDrop);
    FView->setDefaultDropAction(Qt::MoveAction);
    FView->setDragDropOverwriteMode(true); // a row is dropped onto another, not between two
    FView->setAccessibleName(Name + QStringLiteral(" area"));
    FView->viewport()->installEventFilter(this);
    FView->installEventFilter(this);

    connect(&Document, &TPatchDocument::AboutToReload, FModel, &TModuleTableModel::BeginReload);
    connect(&Document, &TPatchDocument::Reloaded, this, [this] {
        FModel->EndReload();
        FitNumberColumns();
    });
    connect(&Document, &TPatchDocument::Renumbered, this, &TAreaTable::Renumbered);
    connect(&Document, &TPatchDocument::TypesChanged, FModel, &TModuleTableModel::Renumbered);
    connect(FModel, &TModuleTableModel::MoveRequested, this,
            [this](int32_t From, int32_t To) { emit MoveRequested(FArea, From, To); });
    connect(FView->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        if (const std::optional<int32_t> Module = CurrentModule())
            emit CurrentModuleChanged(FArea, *Module);
    });
    FitNumberColumns();
}

void TAreaTable::SetChosen(bool Chosen)
{
    const QColor Grey = palette().color(QPalette::Window).darker(115);
    QPalette Colours = FView->palette();
    Colours.setColor(QPalette::Base, Chosen ? QColor(Qt::white) : Grey);
    FView->setPalette(Colours);
    FView->viewport()->setPalette(Colours);
}

std::optional<int32_t> TAreaTable::CurrentModule() const
{
    const QModelIndex Current = FView->currentIndex();
    if (!Current.isValid())
        return std::nullopt;
    return FModel->ModuleIndexAt(FSorted->mapToSource(Current).row());
}

void TAreaTable::SelectModule(int32_t Index)
{
    const int Row = FModel->RowOf(Index);
    if (Row < 0)
        return;
    const QModelIndex Shown = FSorted->mapFromSource(FModel->index(Row, 0));
    FView->setCurrentIndex(Shown);
    FView->scrollTo(Shown);
}

bool TAreaTable::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() == QEvent::MouseButtonPress || Event->type() == QEvent::FocusIn)
        emit Chosen(FArea);
    return QWidget::eventFilter(Watched, Event);
}

void TAreaTable::Renumbered(TArea Area, const TRenumbering& /*Map*/)
{
    if (Area != FArea)
        return;
    // Each row stays its module, so the current module stays current while
    // the rows take their new places in the sort.
    FModel->Renumbered();
    FitNumberColumns();
    if (FView->currentIndex().isValid())
        FView->scrollTo(FView->currentIndex());
}

void TAreaTable::FitNumberColumns()
{
    // The widest number of each column, found from its smallest and largest
    // value, and the header with its sort arrow: every digit and every
    // header stays readable however many rows there are.
    int32_t Low[3] = {0, 0, 0}, High[3] = {0, 0, 0};
    for (const TModuleDef& Module : FDocument.Patch().ModuleDumps[FArea].Modules()) {
        const int32_t Values[3] = {Module.ModuleIndex, Module.X, Module.Y};
        for (int I = 0; I < 3; ++I) {
            Low[I] = std::min(Low[I], Values[I]);
            High[I] = std::max(High[I], Values[I]);
        }
    }
    QHeaderView* Header = FView->horizontalHeader();
    const QFontMetrics Metrics = FView->fontMetrics();
    const auto Fit = [&](int Column, const QStringList& Texts) {
        int Width = Header->sectionSizeHint(Column);
        for (const QString& Text : Texts)
            Width = std::max(Width, Metrics.horizontalAdvance(Text) + 12);
        Header->resizeSection(Column, Width);
    };
    const int Columns[3] = {TModuleTableModel::ColumnIndex, TModuleTableModel::ColumnX, TModuleTableModel::ColumnY};
    for (int I = 0; I < 3; ++I)
        Fit(Columns[I], {QString::number(Low[I]), QString::number(High[I])});
    Fit(TModuleTableModel::ColumnLate, {QStringLiteral("999")});
}

} // namespace permuto
