#pragma once
// The patch view: the picture of an area (picture/PatchPicture) drawn with Qt,
// modules as boxes at their grid places, cables between their connectors,
// late cables dashed in the warning colour, members of feedback loops
// tinted. The whole picture is one item that paints only what is exposed
// (labels and connectors only where they can be read), so a large area
// costs no more than its picture's plain data; tooltips are made when asked
// for. It follows every load, renumbering and undo of the document, and the
// selected module stays selected under its new index; selecting a module
// here selects it in the table and back. Each area is fitted when first
// shown and on every resize until the user zooms (Ctrl+wheel); Fit fits it
// again. The pane below the tables shows the view of the chosen area.
#include <QGraphicsView>
#include <QWidget>
#include <array>
#include <optional>

#include "base/SimpleTypes.h"

class QLabel;
class QStackedWidget;

namespace permuto {

class TPatchDocument;
class TPictureItem;
class TRenumbering;

class TPatchView : public QGraphicsView {
    Q_OBJECT
public:
    // Areas with more modules than this are described, not drawn.
    static constexpr int MostModules = 20000;
    // Fit never shrinks the picture below this scale, where labels are still
    // read; the rest is scrolled to.
    static constexpr double SmallestFit = 0.6;

    TPatchView(TPatchDocument& Document, TArea Area, QWidget* Parent = nullptr);
    ~TPatchView() override;

    TArea Area() const { return FArea; }
    // Selects the module's box and shows it (nothing when it has none).
    void SelectModule(int32_t Index);
    // The module whose box is selected, or none.
    std::optional<int32_t> SelectedModule() const { return FSelected; }
    // Shows the whole area, or as much of it as fits at SmallestFit (the
    // width first); later resizes fit it again. Zoom leaves that.
    void Fit();
    void Zoom(double Factor);
    bool Fitted() const { return FFitted; }
    // Where a module's box is in the scene (empty when it has none), what
    // its tooltip says, and the note shown instead of a picture; for tests.
    QRectF ModuleRect(int32_t Index) const;
    QString ToolTipFor(int32_t Index) const;
    QString Note() const;

signals:
    void ModuleSelected(permuto::TArea Area, int32_t Index);

protected:
    bool viewportEvent(QEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void showEvent(QShowEvent* Event) override;

private:
    // Draws the area anew; a selected module keeps its selection under the
    // index Map gives it.
    void Rebuild(const TRenumbering* Map = nullptr);

    TPatchDocument& FDocument;
    TArea FArea;
    QGraphicsScene* FScene;
    TPictureItem* FPicture;
    std::optional<int32_t> FSelected;
    bool FFitted = true;
};

// Below the tables: a caption and the patch view of the chosen area.
class TPatchPane : public QWidget {
    Q_OBJECT
public:
    TPatchPane(TPatchDocument& Document, QWidget* Parent = nullptr);
    void SetArea(TArea Area);
    TPatchView* View(TArea Area) const;
    TPatchView* Current() const;

private:
    QLabel* FCaption;
    QStackedWidget* FStack;
    TPerArea<TPatchView*> FViews;
};

} // namespace permuto
