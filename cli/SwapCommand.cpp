// permuto-cli swap PATCH AREA A B: exchange two module indices, as the
// window's "Swap indices" does.
#include "Command.h"

namespace permuto::cli {

namespace {

class TSwapCommand : public TIndexPairCommand {
public:
    TSwapCommand()
        : TIndexPairCommand("swap", "Exchange the indices A and B in AREA, renumbering every line that refers to them",
                            {"A", "A module index"}, {"B", "The other module index"})
    {
    }

protected:
    bool Apply(TArea Area, int32_t A, int32_t B) override
    {
        const TRenumbering Map = FPatch.SwapRenumbering(Area, A, B);
        const bool Changed = FPatch.ChangedBy(Area, Map);
        FPatch.Renumber(Area, Map);
        return Changed;
    }
};

} // namespace

std::unique_ptr<TCommand> MakeSwapCommand()
{
    return std::make_unique<TSwapCommand>();
}

} // namespace permuto::cli
