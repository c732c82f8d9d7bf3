#pragma once
// The controls beside the tables: the area choice ("Section": poly or
// common), the two index fields of a swap and the buttons of the commands
// that renumber the chosen area. The fields take decimal numbers only.
#include <QWidget>
#include <optional>

#include "base/SimpleTypes.h"
#include "flow/CommandTexts.h"

class QButtonGroup;
class QLineEdit;
class QRadioButton;

namespace permuto {

struct TWindowActions;

class TRenumberPanel : public QWidget {
    Q_OBJECT
public:
    TRenumberPanel(const TWindowActions& Actions, QWidget* Parent = nullptr);

    TArea Area() const { return FArea; }
    // Chooses the area (2 counts as the poly area).
    void SetArea(TArea Area);
    // The index typed into a field, when it holds a decimal integer.
    std::optional<int32_t> Index1() const;
    std::optional<int32_t> Index2() const;
    // Why the fields hold no pair of indices; empty when they do.
    QString IndexProblem() const;

    QLineEdit* EditIndex1() const { return FEditIndex1; }
    QLineEdit* EditIndex2() const { return FEditIndex2; }
    QRadioButton* RadioPoly() const { return FRadioPoly; }
    QRadioButton* RadioCommon() const { return FRadioCommon; }
    // The controls in keyboard order.
    QList<QWidget*> TabOrder() const;

signals:
    void AreaChosen(permuto::TArea Area);
    // Enter in an index field.
    void SwapRequested();

private:
    QLineEdit* IndexField(const QString& Tip);

    TArea FArea = AreaPoly;
    QButtonGroup* FChoice;
    QRadioButton* FRadioPoly;
    QRadioButton* FRadioCommon;
    QLineEdit* FEditIndex1;
    QLineEdit* FEditIndex2;
    QList<QWidget*> FButtons;
};

} // namespace permuto
