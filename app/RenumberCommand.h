#pragma once
// One undoable step of the patch: a renumbering of one area (a swap, a move
// or an order by signal flow). Undoing it applies the inverse renumbering,
// which gives back exactly what was there before.
#include <QUndoCommand>

#include "patch/PatchDefs.h"

namespace permuto {

class TPatchDocument;

class TRenumberCommand : public QUndoCommand {
public:
    TRenumberCommand(TPatchDocument& Document, TArea Area, TRenumbering Map, const QString& Text);
    void redo() override;
    void undo() override;

private:
    TPatchDocument& FDocument;
    TArea FArea;
    TRenumbering FMap;
    TRenumbering FInverse;
};

} // namespace permuto
