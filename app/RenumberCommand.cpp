#include "RenumberCommand.h"

#include "PatchDocument.h"

namespace permuto {

TRenumberCommand::TRenumberCommand(TPatchDocument& Document, TArea Area, TRenumbering Map, const QString& Text)
    : QUndoCommand(Text)
    , FDocument(Document)
    , FArea(Area)
    , FMap(std::move(Map))
    , FInverse(FMap.Inverse())
{
}

void TRenumberCommand::redo()
{
    FDocument.Apply(FArea, FMap);
}

void TRenumberCommand::undo()
{
    FDocument.Apply(FArea, FInverse);
}

} // namespace permuto
