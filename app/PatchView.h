#pragma once
// The patch view: the picture of an area (patch/PatchPicture) drawn with Qt,
// modules as boxes at their grid places, cables between their connectors,
// late cables dashed in the warning colour, members of feedback loops
// tinted. It follows every load, renumbering and undo of the document;
// selecting a module here selects it in the table and back. Ctrl+wheel
// zooms; Fit shows the whole area. The pane below the tables shows the view
// of the chosen area.
#include <QGraphicsView>
#include <QWidget>
#include <array>
#include <map>
#include <optional>

#include "library/SimpleTypes.h"

class QLabel;
class QStackedWidget;

namespace permuto {

class TPatchDocument;
class TRenumbering;

class TPatchView : public QGraphicsView {
    Q_OBJECT
public:
    // Areas with more modules than this are described, not drawn.
    static constexpr int MostModules = 20000;

    TPatchView(TPatchDocument& Document, TAreaCode Area, QWidget* Parent = nullptr);
    ~TPatchView() override;

    TAreaCode Area() const { return FArea; }
    // Selects the module's box and shows it (nothing when it has none).
    void SelectModule(int32_t Index);
    // The module whose box is selected, or none.
    std::optional<int32_t> SelectedModule() const;
    // Shows the whole area; zooms by a factor.
    void Fit();
    void Zoom(double Factor);
    // The box of a module, for tests.
    QGraphicsItem* ModuleItem(int32_t Index) const;

signals:
    void ModuleSelected(permuto::TAreaCode Area, int32_t Index);

protected:
    void wheelEvent(QWheelEvent* Event) override;

private:
    void Rebuild();

    TPatchDocument& FDocument;
    TAreaCode FArea;
    QGraphicsScene* FScene;
    std::map<int32_t, QGraphicsItem*> FModules;
    bool FSelecting = false;
};

// Below the tables: a caption and the patch view of the chosen area.
class TPatchPane : public QWidget {
    Q_OBJECT
public:
    TPatchPane(TPatchDocument& Document, QWidget* Parent = nullptr);
    void SetArea(TAreaCode Area);
    TPatchView* View(TAreaCode Area) const;
    TPatchView* Current() const;

private:
    QLabel* FCaption;
    QStackedWidget* FStack;
    std::array<TPatchView*, 2> FViews{};
};

} // namespace permuto
