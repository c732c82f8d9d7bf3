// permuto-cli late PATCH: one line "AREA SOURCE DESTINATION" per connection
// whose source is processed after its destination; exit status 1 when there
// is any.
#include "Command.h"

namespace permuto::cli {

namespace {

class TLateCommand : public TReadingCommand {
public:
    TLateCommand()
        : TReadingCommand("late", "List the connections whose signal arrives a sample late; exit status 1 when there is any")
    {
    }

    int Run() override
    {
        LoadPatch();
        std::string Out;
        for (TAreaCode Area : {AreaPoly, AreaCommon})
            for (const TFeed& Feed : FPatch.LateConnections(Area))
                Out += Format("%s %d %d\n", AreaName(Area), Feed.Source, Feed.Destination);
        Print(Out);
        return Out.empty() ? ExitSuccess : ExitLateFound;
    }
};

} // namespace

std::unique_ptr<TCommand> MakeLateCommand()
{
    return std::make_unique<TLateCommand>();
}

} // namespace permuto::cli
