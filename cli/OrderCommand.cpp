// permuto-cli order PATCH [AREA]: put one area, or both, in signal-flow order.
#include "Command.h"
#include "library/SideBySide.h"

namespace permuto::cli {

namespace {

class TOrderCommand : public TCommand {
public:
    TOrderCommand()
        : TCommand("order", "Renumber AREA (or both areas, poly first) so that signals flow from lower to higher "
                            "indices wherever no feedback loop prevents it")
    {
    }

    int Run() override
    {
        std::vector<TAreaCode> Areas = {AreaPoly, AreaCommon};
        if (!FArea.empty())
            Areas = {ParseArea(FArea)};
        LoadPatch();
        // Both areas are ordered before anything is written, so a refusal
        // in the second leaves the file untouched.
        // The areas are worked out side by side, then renumbered.
        std::vector<std::function<TRenumbering()>> Orders;
        for (const TAreaCode Area : Areas)
            Orders.push_back([this, Area] { return FPatch.SignalFlowOrder(Area); });
        const std::vector<TRenumbering> Maps = SideBySide(Orders);
        bool Changed = false;
        for (size_t I = 0; I < Areas.size(); ++I) {
            FPatch.Renumber(Areas[I], Maps[I]);
            Changed = !Maps[I].IsIdentity() || Changed;
        }
        SavePatch(Changed);
        return ExitSuccess;
    }

protected:
    void AddArguments(CLI::App& Command) override
    {
        Command.add_option("AREA", FArea, "poly or common; both areas when left out");
    }

private:
    std::string FArea;
};

} // namespace

std::unique_ptr<TCommand> MakeOrderCommand()
{
    return std::make_unique<TOrderCommand>();
}

} // namespace permuto::cli
