// permuto-cli list PATCH: every module, poly area first, each area in
// processing order (by index; modules that share an index in file order).
#include <algorithm>
#include <cstdio>
#include <vector>

#include "Command.h"

namespace permuto::cli {

namespace {

class TListCommand : public TReadingCommand {
public:
    TListCommand() : TReadingCommand("list", "Print every module: AREA, INDEX, TYPENAME, NAME, X, Y separated by tabs") {}

    int Run() override
    {
        // Type names come from the module library beside the program.
        LoadLibrary();
        LoadPatch();
        std::string Out;
        for (TAreaCode Area : {AreaPoly, AreaCommon}) {
            const int Dump = Area == AreaPoly ? PolyDump : CommonDump;
            const TNameLookup Names(FPatch.NameDumps[Dump]);
            std::vector<const TModuleDef*> Modules;
            for (const TModuleDef& Module : FPatch.ModuleDumps[Dump].Modules())
                Modules.push_back(&Module);
            std::stable_sort(Modules.begin(), Modules.end(),
                             [](const TModuleDef* A, const TModuleDef* B) { return A->ModuleIndex < B->ModuleIndex; });
            for (const TModuleDef* Each : Modules) {
                const TModuleDef& Module = *Each;
                Out.append(AreaName(Area)).append("\t");
                Out.append(std::to_string(Module.ModuleIndex)).append("\t");
                Out.append(Module.TypeName()).append("\t");
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
