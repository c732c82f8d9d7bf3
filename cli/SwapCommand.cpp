// permuto-cli swap PATCH AREA A B: exchange two module indices, as the
// window's "Swap indices" does.
#include "Command.h"

namespace permuto::cli {

namespace {

class TSwapCommand : public TCommand {
public:
    TSwapCommand() : TCommand("swap", "Exchange the indices A and B in AREA, renumbering every line that refers to them") {}

    int Run() override
    {
        const TAreaCode Area = ParseArea(FArea);
        const int32_t A = ParseIndex(FA), B = ParseIndex(FB);
        LoadPatch();
        FPatch.SwapModules(Area, A, B);
        SavePatch();
        return ExitSuccess;
    }

protected:
    void AddArguments(CLI::App& Command) override
    {
        Command.add_option("AREA", FArea, "poly or common")->required();
        Command.add_option("A", FA, "A module index")->required();
        Command.add_option("B", FB, "The other module index")->required();
    }

private:
    std::string FArea, FA, FB;
};

} // namespace

std::unique_ptr<TCommand> MakeSwapCommand()
{
    return std::make_unique<TSwapCommand>();
}

} // namespace permuto::cli
