// permuto-cli order PATCH [AREA]: put one area, or both, in signal-flow order;
// with --fewest-late, each feedback loop arranged for the fewest late pairs.
#include "Command.h"
#include "base/SideBySide.h"

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
        std::vector<TArea> Areas(BothAreas.begin(), BothAreas.end());
        if (!FArea.empty())
            Areas = {ParseArea(FArea)};
        LoadPatch();
        // The areas are worked out side by side, then renumbered; both are
        // worked out before anything is written, so a refusal in the second
        // leaves the file untouched.
        std::vector<std::vector<TApproximateGroup>> Approximate(Areas.size());
        std::vector<std::function<TRenumbering()>> Orders;
        for (size_t I = 0; I < Areas.size(); ++I)
            Orders.push_back([this, &Approximate, &Areas, I] {
                return SignalFlowOrder(FPatch, Areas[I], FFewestLate, &Approximate[I]);
            });
        const std::vector<TRenumbering> Maps = SideBySide(Orders);
        bool Changed = false;
        for (size_t I = 0; I < Areas.size(); ++I) {
            FPatch.Renumber(Areas[I], Maps[I]);
            Changed = !Maps[I].IsIdentity() || Changed;
            for (const TApproximateGroup& Group : Approximate[I])
                Warn(ApproximateMessage(Group, Areas[I]));
        }
        SavePatch(Changed);
        return ExitSuccess;
    }

protected:
    void AddArguments(CLI::App& Command) override
    {
        Command.add_option("AREA", FArea, "poly or common; both areas when left out");
    }
    void AddOptions(CLI::App& Command) override
    {
        Command.add_flag("--fewest-late", FFewestLate,
                         "Arrange the modules inside each feedback loop so that the fewest connections between them "
                         "arrive late (the loop's delays change)");
    }

private:
    std::string FArea;
    bool FFewestLate = false;
};

} // namespace

std::unique_ptr<TCommand> MakeOrderCommand()
{
    return std::make_unique<TOrderCommand>();
}

} // namespace permuto::cli
