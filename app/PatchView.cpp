#include "PatchView.h"
#include "SystemText.h"

#include <QHelpEvent>
#include <QLabel>
#include <QScrollBar>
#include <QStackedWidget>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "CaptionBar.h"
#include "ModuleTableModel.h"
#include "PatchDocument.h"
#include "PictureItem.h"
#include "picture/PatchPicture.h"

namespace permuto {

TPatchView::TPatchView(TPatchDocument& Document, TArea Area, QWidget* Parent)
    : QGraphicsView(Parent)
    , FDocument(Document)
    , FArea(Area)
    , FScene(new QGraphicsScene(this))
    , FPicture(new TPictureItem)
{
    setScene(FScene);
    FScene->setItemIndexMethod(QGraphicsScene::NoIndex); // one item
    FScene->addItem(FPicture);
    setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    setDragMode(QGraphicsView::ScrollHandDrag);
    // A file dropped here goes to the window, which opens it.
    setAcceptDrops(false);
    viewport()->setAcceptDrops(false);
    setBackgroundBrush(Qt::white);
    setAccessibleName(QString::fromLatin1(AreaName(Area)) + QStringLiteral(" area patch view"));
    connect(&Document, &TPatchDocument::Reloaded, this, [this] {
        FSelected.reset();
        Rebuild();
        Fit();
    });
    connect(&Document, &TPatchDocument::TypesChanged, this, [this] { Rebuild(); });
    connect(&Document, &TPatchDocument::Renumbered, this, [this](TArea Changed, const TRenumbering& Map) {
        if (Changed == FArea)
            Rebuild(&Map);
    });
}

TPatchView::~TPatchView() = default;

void TPatchView::Rebuild(const TRenumbering* Map)
{
    if (FSelected && Map != nullptr)
        FSelected = (*Map)(*FSelected);
    const TPatchDef& Patch = FDocument.Patch();
    const int Modules = Patch.ModuleDumps[FArea].Count();
    if (Modules > MostModules) {
        FPicture->SetPicture({}, tr("The %1 area holds %2 modules, more than the view draws;\n"
                                    "permuto-cli draw writes its picture.")
                                     .arg(QString::fromLatin1(AreaName(FArea)))
                                     .arg(Modules));
        FSelected.reset();
    } else {
        FPicture->SetPicture(DrawArea(Patch, FArea, FDocument.Analysis(FArea), FDocument.Types()), {});
    }
    FPicture->SetSelected(FSelected);
    FScene->setSceneRect(FPicture->boundingRect());
    if (FFitted)
        Fit();
}

void TPatchView::SelectModule(int32_t Index)
{
    const TPictureModule* Box = FPicture->Box(Index);
    FSelected = Box != nullptr ? std::optional(Index) : std::nullopt;
    FPicture->SetSelected(FSelected);
    if (Box != nullptr)
        ensureVisible(TPictureItem::Rect(*Box));
}

QRectF TPatchView::ModuleRect(int32_t Index) const
{
    const TPictureModule* Box = FPicture->Box(Index);
    return Box != nullptr ? TPictureItem::Rect(*Box) : QRectF();
}

QString TPatchView::Note() const
{
    return FPicture->Note();
}

QString TPatchView::ToolTipFor(int32_t Index) const
{
    const TPictureModule* Box = FPicture->Box(Index);
    if (Box == nullptr)
        return {};
    QString Text = QStringLiteral("%1 %2").arg(Box->Index).arg(FromPatch(Box->TypeName));
    if (!Box->Name.empty())
        Text += QStringLiteral(" \"%1\"").arg(FromPatch(Box->Name));
    if (Box->Loop)
        Text += tr("\nIn a feedback loop");
    if (Box->Late) {
        const TNameLookup Names(FDocument.Patch().NameDumps[FArea]);
        Text += tr("\nArrives a sample late from %1").arg(SourcesText(FDocument.Flow(FArea).LateSources(Box->Index), Names));
    }
    return Text;
}

bool TPatchView::viewportEvent(QEvent* Event)
{
    if (Event->type() == QEvent::ToolTip) {
        const auto* Help = static_cast<QHelpEvent*>(Event);
        const TPictureModule* Box = FPicture->BoxAt(mapToScene(Help->pos()));
        if (Box != nullptr)
            QToolTip::showText(Help->globalPos(), ToolTipFor(Box->Index), viewport());
        else
            QToolTip::hideText();
        return true;
    }
    return QGraphicsView::viewportEvent(Event);
}

void TPatchView::mousePressEvent(QMouseEvent* Event)
{
    if (Event->button() == Qt::LeftButton)
        if (const TPictureModule* Box = FPicture->BoxAt(mapToScene(Event->position().toPoint()))) {
            SelectModule(Box->Index);
            emit ModuleSelected(FArea, Box->Index);
        }
    QGraphicsView::mousePressEvent(Event); // and a drag scrolls
}

void TPatchView::Fit()
{
    FFitted = true;
    const QRectF Whole = FScene->sceneRect();
    if (Whole.isEmpty())
        return;
    if (!FPicture->Note().isEmpty()) {
        resetTransform(); // a note is read as it is
        centerOn(Whole.center());
        return;
    }
    const QSizeF Room = QSizeF(viewport()->size()) - QSizeF(4, 4);
    const double ByWidth = Room.width() / Whole.width(), ByHeight = Room.height() / Whole.height();
    double Scale = std::min(ByWidth, ByHeight);
    if (Scale < SmallestFit) // too big to see whole and read: the width first, then scroll
        Scale = std::max(SmallestFit, std::min(ByWidth, 1.0));
    Scale = std::min(Scale, 2.0);
    setTransform(QTransform::fromScale(Scale, Scale));
    centerOn(Whole.center());
    if (Whole.width() * Scale > Room.width() || Whole.height() * Scale > Room.height()) {
        horizontalScrollBar()->setValue(horizontalScrollBar()->minimum());
        verticalScrollBar()->setValue(verticalScrollBar()->minimum());
    }
}

void TPatchView::Zoom(double Factor)
{
    FFitted = false;
    scale(Factor, Factor);
}

void TPatchView::resizeEvent(QResizeEvent* Event)
{
    QGraphicsView::resizeEvent(Event);
    if (FFitted)
        Fit();
}

void TPatchView::showEvent(QShowEvent* Event)
{
    QGraphicsView::showEvent(Event);
    if (FFitted)
        Fit();
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
    for (const TArea Area : BothAreas) {
        FViews[Area] = new TPatchView(Document, Area, FStack);
        FStack->addWidget(FViews[Area]);
    }
    SetArea(AreaPoly);
}

void TPatchPane::SetArea(TArea Area)
{
    FStack->setCurrentWidget(View(Area));
    FCaption->setText(tr("%1 area as a patch (Ctrl+wheel zooms, Ctrl+0 fits it)").arg(AreaName(Area)));
}

TPatchView* TPatchPane::View(TArea Area) const
{
    return FViews[Area];
}

TPatchView* TPatchPane::Current() const
{
    return static_cast<TPatchView*>(FStack->currentWidget());
}

} // namespace permuto
