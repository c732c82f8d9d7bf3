#pragma once
// One undoable step of the window: a renumbering of one area (a swap, a move
// or an order by signal flow). Undoing it applies the inverse renumbering,
// which gives back exactly what was there before.
#include <QUndoCommand>
#include <functional>

#include "patch/PatchDefs.h"

namespace permuto {

class TRenumberCommand : public QUndoCommand {
public:
    // Changed is told which area was renumbered, after every redo and undo.
    TRenumberCommand(TPatchDef& Patch, TAreaCode Area, TRenumbering Map, const QString& Text,
                     std::function<void(TAreaCode)> Changed);
    void redo() override;
    void undo() override;

private:
    TPatchDef& FPatch;
    TAreaCode FArea;
    TRenumbering FMap;
    TRenumbering FInverse;
    std::function<void(TAreaCode)> FChanged;
};

} // namespace permuto
