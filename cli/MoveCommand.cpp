// permuto-cli move PATCH AREA I T: move module I to the place of module T in
// processing order; the modules in between shift by one place.
#include "Command.h"

namespace permuto::cli {

namespace {

class TMoveCommand : public TIndexPairCommand {
public:
    TMoveCommand()
        : TIndexPairCommand("move", "Move module I to the place of module T in AREA's processing order",
                            {"I", "The index of the module to move"},
                            {"T", "The index of the module whose place it takes"})
    {
    }

protected:
    bool Apply(TArea Area, int32_t From, int32_t To) override
    {
        const TRenumbering Map = ModuleMove(FPatch, Area, From, To);
        FPatch.Renumber(Area, Map);
        return !Map.IsIdentity();
    }
};

} // namespace

std::unique_ptr<TCommand> MakeMoveCommand()
{
    return std::make_unique<TMoveCommand>();
}

} // namespace permuto::cli
