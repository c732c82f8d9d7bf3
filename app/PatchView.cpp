#include "PatchView.h"
#include "SystemText.h"

#include <QGraphicsPathItem>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QLabel>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cmath>

#include "CaptionBar.h"
#include "ModuleTableModel.h"
#include "PatchDocument.h"
#include "patch/PatchPicture.h"

namespace permuto {

namespace {

QColor Colour(const char* Hex)
{
    return QColor(QString::fromLatin1(Hex));
}

// What a box's tooltip says: the module, and whence it is fed late.
QString Tip(const TPictureModule& Box, const TSignalFlow& Flow, const TNameLookup& Names)
{
    QString Text = QStringLiteral("%1 %2").arg(Box.Index).arg(FromPatch(Box.TypeName));
    if (!Box.Name.empty())
        Text += QStringLiteral(" \"%1\"").arg(FromPatch(Box.Name));
    if (Box.Loop)
        Text += TPatchView::tr("\nIn a feedback loop");
    if (Box.Late) {
        Text += TPatchView::tr("\nArrives a sample late from %1").arg(SourcesText(Flow.LateSources(Box.Index), Names));
    }
    return Text;
}

} // namespace

TPatchView::TPatchView(TPatchDocument& Document, TAreaCode Area, QWidget* Parent)
    : QGraphicsView(Parent)
    , FDocument(Document)
    , FArea(Area)
    , FScene(new QGraphicsScene(this))
{
    setScene(FScene);
    setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    setDragMode(QGraphicsView::ScrollHandDrag);
    setBackgroundBrush(Qt::white);
    setAccessibleName(QString::fromLatin1(AreaName(Area)) + QStringLiteral(" area patch view"));
    connect(&Document, &TPatchDocument::Reloaded, this, [this] {
        Rebuild();
        Fit();
    });
    connect(&Document, &TPatchDocument::TypesChanged, this, &TPatchView::Rebuild);
    connect(&Document, &TPatchDocument::Renumbered, this, [this](TAreaCode Changed) {
        if (Changed == FArea)
            Rebuild();
    });
    connect(FScene, &QGraphicsScene::selectionChanged, this, [this] {
        if (const std::optional<int32_t> Module = SelectedModule(); Module && !FSelecting)
            emit ModuleSelected(FArea, *Module);
    });
}

TPatchView::~TPatchView()
{
    FScene->disconnect(this); // the scene's items go later, and say nothing to a view that is gone
}

void TPatchView::Rebuild()
{
    const std::optional<int32_t> Selected = SelectedModule();
    FScene->clear();
    FModules.clear();
    const TPatchDef& Patch = FDocument.Patch();
    const int Modules = Patch.ModuleDumps[DumpOf(FArea)].Count();
    if (Modules > MostModules) {
        FScene->addSimpleText(tr("The %1 area holds %2 modules, more than the view draws; "
                                 "permuto-cli draw writes its picture.")
                                  .arg(QString::fromLatin1(AreaName(FArea)))
                                  .arg(Modules));
        return;
    }
    const TSignalFlow& Flow = FDocument.Flow(FArea);
    const TAreaPicture Picture = DrawArea(Patch, FArea, FDocument.Analysis(FArea), FDocument.Types());
    const TNameLookup Names(Patch.NameDumps[DumpOf(FArea)]);
    const QPen Edge(Colour("#404040"), 1), LateEdge(Colour(LateColour), 2);
    for (const TPictureModule& Box : Picture.Modules) {
        auto* Item = FScene->addRect(QRectF(Box.Left, Box.Top, Box.Width, Box.Height), Box.Late ? LateEdge : Edge,
                                     Colour(Box.Loop ? LoopTint : ModuleFill));
        Item->setFlag(QGraphicsItem::ItemIsSelectable);
        Item->setData(0, Box.Index);
        Item->setToolTip(Tip(Box, Flow, Names));
        auto* Label = new QGraphicsSimpleTextItem(FromPatch(Box.Label()), Item);
        Label->setPos(Box.Left + 7, Box.Top + 3);
        for (const double Y : Box.InputsY)
            new QGraphicsRectItem(Box.Left - 2.5, Y - 2.5, 5, 5, Item);
        for (const double Y : Box.OutputsY) {
            auto* Output = new QGraphicsRectItem(Box.Left + Box.Width - 2.5, Y - 2.5, 5, 5, Item);
            Output->setBrush(Colour("#404040"));
        }
        FModules[Box.Index] = Item;
    }
    for (const TPictureCable& Cable : Picture.Cables) {
        QPainterPath Path(QPointF(Cable.From.X, Cable.From.Y));
        Path.cubicTo(Cable.Bend1.X, Cable.Bend1.Y, Cable.Bend2.X, Cable.Bend2.Y, Cable.To.X, Cable.To.Y);
        QPen Pen(Colour(Cable.Late ? LateColour : CableColour(Cable.Color)), 2);
        if (Cable.Late)
            Pen.setStyle(Qt::DashLine);
        FScene->addPath(Path, Pen)->setZValue(1); // cables above the boxes
    }
    FScene->setSceneRect(0, 0, Picture.Width, Picture.Height);
    if (Selected)
        SelectModule(*Selected);
}

void TPatchView::SelectModule(int32_t Index)
{
    const auto Found = FModules.find(Index);
    FSelecting = true;
    FScene->clearSelection();
    if (Found != FModules.end()) {
        Found->second->setSelected(true);
        ensureVisible(Found->second);
    }
    FSelecting = false;
}

std::optional<int32_t> TPatchView::SelectedModule() const
{
    const QList<QGraphicsItem*> Selected = FScene->selectedItems();
    if (Selected.size() != 1)
        return std::nullopt;
    return Selected.first()->data(0).toInt();
}

QGraphicsItem* TPatchView::ModuleItem(int32_t Index) const
{
    const auto Found = FModules.find(Index);
    return Found == FModules.end() ? nullptr : Found->second;
}

void TPatchView::Fit()
{
    fitInView(FScene->sceneRect(), Qt::KeepAspectRatio);
}

void TPatchView::Zoom(double Factor)
{
    scale(Factor, Factor);
}

void TPatchView::wheelEvent(QWheelEvent* Event)
{
    if (!(Event->modifiers() & Qt::ControlModifier)) {
        QGraphicsView::wheelEvent(Event);
        return;
    }
    setTransformationAnchor(QGraphicsView::AnchorUnderMouse);
    Zoom(std::pow(1.15, Event->angleDelta().y() / 120.0));
    Event->accept();
}

TPatchPane::TPatchPane(TPatchDocument& Document, QWidget* Parent)
    : QWidget(Parent)
    , FCaption(CaptionBar({}, this))
    , FStack(new QStackedWidget(this))
{
    auto* Column = new QVBoxLayout(this);
    Column->setContentsMargins(0, 0, 0, 0);
    Column->setSpacing(0);
    Column->addWidget(FCaption);
    Column->addWidget(FStack, 1);
    for (const TAreaCode Area : {AreaPoly, AreaCommon}) {
        FViews[DumpOf(Area)] = new TPatchView(Document, Area, FStack);
        FStack->addWidget(FViews[DumpOf(Area)]);
    }
    SetArea(AreaPoly);
}

void TPatchPane::SetArea(TAreaCode Area)
{
    FStack->setCurrentWidget(View(Area));
    FCaption->setText(tr("%1 area as a patch (Ctrl+wheel zooms, Ctrl+0 shows it whole)").arg(AreaName(Area)));
}

TPatchView* TPatchPane::View(TAreaCode Area) const
{
    return FViews[DumpOf(Area)];
}

TPatchView* TPatchPane::Current() const
{
    return static_cast<TPatchView*>(FStack->currentWidget());
}

} // namespace permuto
