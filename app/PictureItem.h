#pragma once
// The whole picture of an area as one graphics item (picture/PatchPicture
// laid out, drawn with Qt): it paints the boxes, labels, connectors and
// cables that lie in the exposed part, labels only where they can be read,
// so that nothing is kept per module but the picture's own data. The patch
// view shows one.
#include <QFontMetricsF>
#include <QGraphicsItem>
#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "SystemText.h"
#include "picture/PatchPicture.h"

namespace permuto {

inline QColor PictureColour(const char* Hex)
{
    return QColor(QString::fromLatin1(Hex));
}

inline QRectF ConnectorRect(double X, double Y)
{
    const TPictureRect Square = ConnectorSquare(X, Y);
    return {Square.Left, Square.Top, Square.Width, Square.Height};
}

// The picture's look (picture/PictureStyle.h) as Qt pens and brushes, made
// once. Cable pens are cosmetic, so that a cable is stroked on screen and
// clipped there (long dashed cables cost little); a late cable is dashed.
struct TPictureLook {
    QPen Edge{PictureColour(EdgeColour), EdgeWidth};
    QPen LateEdge{PictureColour(LateColour), LateEdgeWidth};
    QBrush Fill{PictureColour(ModuleFill)};
    QBrush Tint{PictureColour(LoopTint)};
    QBrush Input{PictureColour(InputFill)};
    QBrush Output{PictureColour(OutputFill)};
    QColor Label = PictureColour(LabelColour);
    std::array<QPen, 8> Cables; // by colour field 0..6, then the late cables'

    TPictureLook()
    {
        for (size_t Look = 0; Look < Cables.size(); ++Look) {
            const bool Late = Look == 7;
            QPen Pen(PictureColour(Late ? LateColour : CableColour(static_cast<uint8_t>(Look))), CableWidth);
            Pen.setCosmetic(true);
            if (Late)
                Pen.setDashPattern({LateDash / CableWidth, LateGap / CableWidth}); // in widths of the pen
            Cables[Look] = Pen;
        }
    }
    const QPen& CablePen(const TPictureCable& Cable) const { return Cables[Cable.Late ? 7 : Cable.Color % 7]; }
};

inline const TPictureLook& PictureLook()
{
    static const TPictureLook Look;
    return Look;
}

inline const QColor SelectionColour(32, 96, 224);

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
            const TPictureLook& Look = PictureLook();
            // Too small to read: boxes and straight cables in batches by
            // look, without smoothing, so that a whole large area paints fast.
            Painter->setRenderHint(QPainter::Antialiasing, false);
            std::array<std::vector<QRectF>, 4> Boxes; // by late * 2 + loop
            for (const TPictureModule& Box : FPicture.Modules)
                if (const QRectF Area = Rect(Box); Area.intersects(Exposed))
                    Boxes[(Box.Late ? 2 : 0) + (Box.Loop ? 1 : 0)].push_back(Area);
            for (size_t Kind = 0; Kind < Boxes.size(); ++Kind) {
                Painter->setPen(Kind >= 2 ? Look.LateEdge : Look.Edge);
                Painter->setBrush(Kind % 2 == 1 ? Look.Tint : Look.Fill);
                Painter->drawRects(Boxes[Kind].data(), static_cast<int>(Boxes[Kind].size()));
            }
            std::array<std::vector<QLineF>, 8> Lines; // by pen
            for (size_t I = 0; I < FPicture.Cables.size(); ++I)
                if (FCableBounds[I].intersects(Exposed)) {
                    const TPictureCable& Cable = FPicture.Cables[I];
                    Lines[Cable.Late ? 7 : Cable.Color % 7].emplace_back(Cable.From.X, Cable.From.Y, Cable.To.X, Cable.To.Y);
                }
            for (size_t Pen = 0; Pen < Lines.size(); ++Pen) {
                Painter->setPen(Look.Cables[Pen]);
                Painter->drawLines(Lines[Pen].data(), static_cast<int>(Lines[Pen].size()));
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
        const TPictureLook& Look = PictureLook();
        std::vector<const TPictureModule*> Boxes;
        for (const TPictureModule& Box : FPicture.Modules)
            if (Rect(Box).intersects(Exposed))
                Boxes.push_back(&Box);
        for (const TPictureModule* Box : Boxes) {
            Painter->setPen(Box->Late ? Look.LateEdge : Look.Edge);
            Painter->setBrush(Box->Loop ? Look.Tint : Look.Fill);
            Painter->drawRoundedRect(Rect(*Box), BoxCorner, BoxCorner);
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
            Painter->setPen(Look.CablePen(Cable));
            Painter->drawPath(Path);
        }
        Painter->setRenderHint(QPainter::Antialiasing, Smooth);
        const QFontMetricsF Metrics(Painter->font());
        for (const TPictureModule* Box : Boxes) {
            const QRectF Area = Rect(*Box);
            const QRectF Room = Area.adjusted(LabelInset, LabelTop, -4, 0);
            const QString Label = Metrics.elidedText(FromPatch(Box->Label()), Qt::ElideRight, Room.width());
            QColor Backing = (Box->Loop ? Look.Tint : Look.Fill).color();
            Backing.setAlpha(225);
            Painter->fillRect(QRectF(Room.left() - 2, Room.top(), Metrics.horizontalAdvance(Label) + 4,
                                     std::min(Metrics.height(), Room.height())),
                              Backing);
            Painter->setPen(Look.Label);
            Painter->drawText(Room, Qt::AlignLeft | Qt::AlignTop, Label);
            if (Detail >= 0.5) {
                Painter->setPen(Look.Edge);
                Painter->setBrush(Look.Input);
                for (const double Y : Box->InputsY)
                    Painter->drawRect(ConnectorRect(Box->Left, Y));
                Painter->setPen(Qt::NoPen);
                Painter->setBrush(Look.Output);
                for (const double Y : Box->OutputsY)
                    Painter->drawRect(ConnectorRect(Box->Left + Box->Width, Y));
            }
        }
    }

    TAreaPicture FPicture;
    std::vector<QRectF> FCableBounds;
    QString FNote;
    std::optional<int32_t> FSelected;
};

} // namespace permuto
