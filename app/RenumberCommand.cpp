#include "RenumberCommand.h"

namespace permuto {

TRenumberCommand::TRenumberCommand(TPatchDef& Patch, TAreaCode Area, TRenumbering Map, const QString& Text,
                                   std::function<void(TAreaCode)> Changed)
    : QUndoCommand(Text)
    , FPatch(Patch)
    , FArea(Area)
    , FMap(std::move(Map))
    , FInverse(FMap.Inverse())
    , FChanged(std::move(Changed))
{
}

void TRenumberCommand::redo()
{
    FPatch.Renumber(FArea, FMap);
    FChanged(FArea);
}

void TRenumberCommand::undo()
{
    FPatch.Renumber(FArea, FInverse);
    FChanged(FArea);
}

} // namespace permuto
