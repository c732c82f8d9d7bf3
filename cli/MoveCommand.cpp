// permuto-cli move PATCH AREA I T: move module I to the place of module T in
// processing order; the modules in between shift by one place.
#include "Command.h"

namespace permuto::cli {

namespace {

class TMoveCommand : public TCommand {
public:
    TMoveCommand() : TCommand("move", "Move module I to the place of module T in AREA's processing order") {}

    int Run() override
    {
        const TAreaCode Area = ParseArea(FArea);
        const int32_t From = ParseIndex(FFrom), To = ParseIndex(FTo);
        LoadPatch();
        FPatch.MoveModule(Area, From, To);
        SavePatch();
        return ExitSuccess;
    }

protected:
    void AddArguments(CLI::App& Command) override
    {
        Command.add_option("AREA", FArea, "poly or common")->required();
        Command.add_option("I", FFrom, "The index of the module to move")->required();
        Command.add_option("T", FTo, "The index of the module whose place it takes")->required();
    }

private:
    std::string FArea, FFrom, FTo;
};

} // namespace

std::unique_ptr<TCommand> MakeMoveCommand()
{
    return std::make_unique<TMoveCommand>();
}

} // namespace permuto::cli
