// permuto-cli list PATCH: every module, poly area first, each area in
// processing order (by index; modules that share an index in file order).
#include <cstdio>

#include "Command.h"
#include "flow/ProcessingOrder.h"

namespace permuto::cli {

namespace {

class TListCommand : public TReadingCommand {
public:
    TListCommand() : TReadingCommand("list", "Print every module: AREA, INDEX, TYPENAME, NAME, X, Y separated by tabs") {}

    int Run() override
    {
        LoadPatch();
        const TModuleTypes Types = LoadLibrary();
        std::string Out;
        for (TArea Area : BothAreas) {
            const TNameLookup Names(FPatch.NameDumps[Area]);
            for (const TModuleDef* Each : ModulesInOrder(FPatch.ModuleDumps[Area])) {
                const TModuleDef& Module = *Each;
                Out.append(AreaName(Area)).append("\t");
                Out.append(std::to_string(Module.ModuleIndex)).append("\t");
                Out.append(Module.TypeName(Types)).append("\t");
                const std::string* Name = Names.Find(Module.ModuleIndex);
                Out.append(Name != nullptr ? *Name : std::string()).append("\t");
                Out.append(std::to_string(Module.X)).append("\t");
                Out.append(std::to_string(Module.Y)).append("\n");
            }
        }
        Print(Out);
        return ExitSuccess;
    }
};

} // namespace

std::unique_ptr<TCommand> MakeListCommand()
{
    return std::make_unique<TListCommand>();
}

} // namespace permuto::cli
