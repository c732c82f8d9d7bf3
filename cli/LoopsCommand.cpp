// permuto-cli loops PATCH: one line per feedback group, "AREA I J ...", the
// members ascending; poly groups first, each area's groups by their lowest
// member. Exit status 1 when there is any.
#include "Command.h"

namespace permuto::cli {

namespace {

class TLoopsCommand : public TReadingCommand {
public:
    TLoopsCommand()
        : TReadingCommand("loops", "List the feedback groups: modules that feed each other in a loop; exit status 1 "
                                   "when there is any")
    {
    }

    int Run() override
    {
        LoadPatch();
        const std::vector<TArea> Areas(BothAreas.begin(), BothAreas.end());
        const std::vector<TSignalFlow> Flows = SignalFlowsOf(FPatch, Areas);
        std::string Out;
        for (size_t I = 0; I < Areas.size(); ++I)
            for (const std::vector<int32_t>& Group : Flows[I].FeedbackGroups()) {
                Out += AreaName(Areas[I]);
                for (const int32_t Member : Group) {
                    Out += ' ';
                    Out += std::to_string(Member);
                }
                Out += '\n';
            }
        Print(Out);
        return Out.empty() ? ExitSuccess : ExitLateFound;
    }
};

} // namespace

std::unique_ptr<TCommand> MakeLoopsCommand()
{
    return std::make_unique<TLoopsCommand>();
}

} // namespace permuto::cli
