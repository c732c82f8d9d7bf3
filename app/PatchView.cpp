#include "PatchView.h"
#include "SystemText.h"

#include <QFontMetricsF>
#include <QGraphicsItem>
#include <QHelpEvent>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QStackedWidget>
#include <QStyleOptionGraphicsItem>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

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

const QColor SelectionColour(32, 96, 224);

} // namespace

// The whole picture of an area as one item: it paints the boxes, labels,
// connectors and cables that lie in the exposed part, so that nothing is
// kept per module but the picture's own data.
class TPictureItem : public QGraphicsItem {
public:
    TPictureItem() { setFlag(ItemUsesExtendedStyleOption); }

    void SetPicture(TAreaPicture Picture, QString Note)
    {
        prepareGeometryChange();
        FPicture = std::move(Picture);
        FNote = std::move(Note);
        FCableBounds.clear();
        FCableBounds.reserve(FPicture.Cables.size());
        for (const TPictureCable& Cable : FPicture.Cables) {
            const double Left = std::min({Cable.From.X, Cable.To.X, Cable.Bend1.X, Cable.Bend2.X});
            const double Top = std::min({Cable.From.Y, Cable.To.Y, Cable.Bend1.Y, Cable.Bend2.Y});
            const double Right = std::max({Cable.From.X, Cable.To.X, Cable.Bend1.X, Cable.Bend2.X});
            const double Bottom = std::max({Cable.From.Y, Cable.To.Y, Cable.Bend1.Y, Cable.Bend2.Y});
            FCableBounds.emplace_back(Left - 2, Top - 2, Right - Left + 4, Bottom - Top + 4);
        }
        update();
    }
    const TAreaPicture& Picture() const { return FPicture; }
    const QString& Note() const { return FNote; }
    void SetSelected(std::optional<int32_t> Index)
    {
        FSelected = Index;
        update();
    }

    // The box of module Index (boxes stand in ascending index).
    const TPictureModule* Box(int32_t Index) const
    {
        const auto Found = std::lower_bound(FPicture.Modules.begin(), FPicture.Modules.end(), Index,
                                            [](const TPictureModule& Box, int32_t I) { return Box.Index < I; });
        return Found != FPicture.Modules.end() && Found->Index == Index ? &*Found : nullptr;
    }
    const TPictureModule* BoxAt(const QPointF& Point) const
    {
        for (auto Box = FPicture.Modules.rbegin(); Box != FPicture.Modules.rend(); ++Box)
            if (Rect(*Box).contains(Point))
                return &*Box;
        return nullptr;
    }
    static QRectF Rect(const TPictureModule& Box) { return {Box.Left, Box.Top, Box.Width, Box.Height}; }

    QRectF boundingRect() const override
    {
        if (!FNote.isEmpty())
            return QRectF(QPointF(0, 0), QFontMetricsF(QFont()).size(0, FNote) + QSizeF(24, 24));
        return {0, 0, FPicture.Width, FPicture.Height};
    }

    void paint(QPainter* Painter, const QStyleOptionGraphicsItem* Option, QWidget*) override
    {
        if (!FNote.isEmpty()) {
            Painter->drawText(boundingRect().adjusted(12, 12, -12, -12), Qt::AlignLeft | Qt::AlignTop, FNote);
            return;
        }
        const QRectF Exposed = Option->exposedRect;
        const double Detail = Option->levelOfDetailFromTransform(Painter->worldTransform());
        if (Detail < 0.35) {
            const QPen Edge(Colour("#404040"), 1), LateEdge(Colour(LateColour), 2);
            const QBrush Fill(Colour(ModuleFill)), Tint(Colour(LoopTint));
            // Too small to read: boxes and straight cables in batches by
            // look, without smoothing, so that a whole large area paints fast.
            Painter->setRenderHint(QPainter::Antialiasing, false);
            std::array<std::vector<QRectF>, 4> Boxes; // by late * 2 + loop
            for (const TPictureModule& Box : FPicture.Modules)
                if (const QRectF Area = Rect(Box); Area.intersects(Exposed))
                    Boxes[(Box.Late ? 2 : 0) + (Box.Loop ? 1 : 0)].push_back(Area);
            for (size_t Look = 0; Look < Boxes.size(); ++Look) {
                Painter->setPen(Look >= 2 ? LateEdge : Edge);
                Painter->setBrush(Look % 2 == 1 ? Tint : Fill);
                Painter->drawRects(Boxes[Look].data(), static_cast<int>(Boxes[Look].size()));
            }
            std::array<std::vector<QLineF>, 8> Lines; // by colour, the last for late cables
            for (size_t I = 0; I < FPicture.Cables.size(); ++I)
                if (FCableBounds[I].intersects(Exposed)) {
                    const TPictureCable& Cable = FPicture.Cables[I];
                    Lines[Cable.Late ? 7 : Cable.Color % 7].emplace_back(Cable.From.X, Cable.From.Y, Cable.To.X, Cable.To.Y);
                }
            for (size_t Look = 0; Look < Lines.size(); ++Look) {
                QPen Pen(Colour(Look == 7 ? LateColour : CableColour(static_cast<uint8_t>(Look))), 2);
                Pen.setCosmetic(true);
                if (Look == 7)
                    Pen.setStyle(Qt::DashLine);
                Painter->setPen(Pen);
                Painter->drawLines(Lines[Look].data(), static_cast<int>(Lines[Look].size()));
            }
        } else {
            PaintReadable(Painter, Exposed, Detail);
        }
        // The selected box: a wide frame in the selection colour around it,
        // over everything, and as wide on screen at every scale.
        if (const TPictureModule* Selected = FSelected ? Box(*FSelected) : nullptr) {
            QPen Frame(SelectionColour, 4);
            Frame.setCosmetic(true);
            Painter->setPen(Frame);
            QColor Wash = SelectionColour;
            Wash.setAlpha(40);
            Painter->setBrush(Wash);
            Painter->drawRect(Rect(*Selected).adjusted(-3, -3, 3, 3));
        }
    }

private:
    // Boxes, then the cables over them, then each label on a backing of the
    // box's colour and the connectors: a cable never hides a label or an end.
    void PaintReadable(QPainter* Painter, const QRectF& Exposed, double Detail) const
    {
        const QPen Edge(Colour("#404040"), 1), LateEdge(Colour(LateColour), 2);
        const QBrush Fill(Colour(ModuleFill)), Tint(Colour(LoopTint)), Output(Colour("#404040"));
        std::vector<const TPictureModule*> Boxes;
        for (const TPictureModule& Box : FPicture.Modules)
            if (Rect(Box).intersects(Exposed))
                Boxes.push_back(&Box);
        for (const TPictureModule* Box : Boxes) {
            Painter->setPen(Box->Late ? LateEdge : Edge);
            Painter->setBrush(Box->Loop ? Tint : Fill);
            Painter->drawRect(Rect(*Box));
        }
        Painter->setBrush(Qt::NoBrush);
        // Many cables at once are drawn without smoothing, which strokes
        // them on the fast path.
        std::vector<size_t> Shown;
        for (size_t I = 0; I < FPicture.Cables.size(); ++I)
            if (FCableBounds[I].intersects(Exposed))
                Shown.push_back(I);
        const bool Smooth = Painter->testRenderHint(QPainter::Antialiasing);
        if (Shown.size() > 1000)
            Painter->setRenderHint(QPainter::Antialiasing, false);
        for (const size_t I : Shown) {
            const TPictureCable& Cable = FPicture.Cables[I];
            QPainterPath Path(QPointF(Cable.From.X, Cable.From.Y));
            Path.cubicTo(Cable.Bend1.X, Cable.Bend1.Y, Cable.Bend2.X, Cable.Bend2.Y, Cable.To.X, Cable.To.Y);
            QPen Pen(Colour(Cable.Late ? LateColour : CableColour(Cable.Color)), 2);
            Pen.setCosmetic(true); // stroked on screen, clipped there: long dashed cables cost little
            if (Cable.Late)
                Pen.setStyle(Qt::DashLine);
            Painter->setPen(Pen);
            Painter->drawPath(Path);
        }
        Painter->setRenderHint(QPainter::Antialiasing, Smooth);
        const QFontMetricsF Metrics(Painter->font());
        for (const TPictureModule* Box : Boxes) {
            const QRectF Area = Rect(*Box);
            const QRectF Room = Area.adjusted(7, 2, -4, 0);
            const QString Label = Metrics.elidedText(FromPatch(Box->Label()), Qt::ElideRight, Room.width());
            QColor Backing = Colour(Box->Loop ? LoopTint : ModuleFill);
            Backing.setAlpha(225);
            Painter->fillRect(QRectF(Room.left() - 2, Room.top(), Metrics.horizontalAdvance(Label) + 4,
                                     std::min(Metrics.height(), Room.height())),
                              Backing);
            Painter->setPen(Qt::black);
            Painter->drawText(Room, Qt::AlignLeft | Qt::AlignTop, Label);
            if (Detail >= 0.5) {
                Painter->setPen(Edge);
                Painter->setBrush(Qt::white);
                for (const double Y : Box->InputsY)
                    Painter->drawRect(QRectF(Box->Left - 2.5, Y - 2.5, 5, 5));
                Painter->setBrush(Output);
                for (const double Y : Box->OutputsY)
                    Painter->drawRect(QRectF(Box->Left + Box->Width - 2.5, Y - 2.5, 5, 5));
            }
        }
    }

    TAreaPicture FPicture;
    std::vector<QRectF> FCableBounds;
    QString FNote;
    std::optional<int32_t> FSelected;
};

TPatchView::TPatchView(TPatchDocument& Document, TAreaCode Area, QWidget* Parent)
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
    connect(&Document, &TPatchDocument::Renumbered, this, [this](TAreaCode Changed, const TRenumbering& Map) {
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
    const int Modules = Patch.ModuleDumps[DumpOf(FArea)].Count();
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
        const TNameLookup Names(FDocument.Patch().NameDumps[DumpOf(FArea)]);
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
    for (const TAreaCode Area : {AreaPoly, AreaCommon}) {
        FViews[DumpOf(Area)] = new TPatchView(Document, Area, FStack);
        FStack->addWidget(FViews[DumpOf(Area)]);
    }
    SetArea(AreaPoly);
}

void TPatchPane::SetArea(TAreaCode Area)
{
    FStack->setCurrentWidget(View(Area));
    FCaption->setText(tr("%1 area as a patch (Ctrl+wheel zooms, Ctrl+0 fits it)").arg(AreaName(Area)));
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
