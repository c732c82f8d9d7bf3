#pragma once
// The modules of one area under their caption bar ("poly area"): a table in
// processing order (sorted by index until the user sorts by another column),
// white while its area is the chosen one and grey otherwise. A click into it,
// or reaching it with the keyboard, chooses its area. It follows every load
// and renumbering of the document and keeps the module that was current.
#include <QWidget>
#include <optional>

#include "base/SimpleTypes.h"

class QSortFilterProxyModel;
class QTableView;

namespace permuto {

class TModuleTableModel;
class TPatchDocument;
class TRenumbering;

class TAreaTable : public QWidget {
    Q_OBJECT
public:
    TAreaTable(TPatchDocument& Document, TArea Area, QWidget* Parent = nullptr);

    TArea Area() const { return FArea; }
    QTableView* View() const { return FView; }
    TModuleTableModel* Model() const { return FModel; }

    // White when chosen, grey when not.
    void SetChosen(bool Chosen);
    // The module of the current row, if there is one.
    std::optional<int32_t> CurrentModule() const;
    // Makes the module with that index the current row and shows it.
    void SelectModule(int32_t Index);

signals:
    // The user clicked into the table or reached it with the keyboard.
    void Chosen(permuto::TArea Area);
    void CurrentModuleChanged(permuto::TArea Area, int32_t Index);
    // A row was dropped onto another: module From to the place of module To.
    void MoveRequested(permuto::TArea Area, int32_t From, int32_t To);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void Renumbered(TArea Area, const TRenumbering& Map);
    void FitNumberColumns();

    TPatchDocument& FDocument;
    TArea FArea;
    TModuleTableModel* FModel;
    QSortFilterProxyModel* FSorted;
    QTableView* FView;
};

} // namespace permuto
