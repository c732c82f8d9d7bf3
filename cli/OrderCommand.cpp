// permuto-cli order PATCH [AREA]: put one area, or both, in signal-flow order.
#include "Command.h"

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
        bool Changed = false;
        for (TAreaCode Area : Areas)
            Changed = !FPatch.OrderBySignalFlow(Area).IsIdentity() || Changed;
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
