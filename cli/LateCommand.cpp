// permuto-cli late PATCH: one line "AREA SOURCE DESTINATION" per connection
// whose source is processed after its destination; exit status 1 when there
// is any. The lines are written as they are found: memory stays that of the
// patch, however many pairs a net of many outputs and inputs holds. With
// -c, two lines "poly N" and "common M" count them instead (in time linear
// in the patch, not in the pairs); with -q nothing is printed.
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
        const std::vector<TArea> Areas(BothAreas.begin(), BothAreas.end());
        const std::vector<TLateFlow> Flows = LateFlowsOf(FPatch, Areas); // no feedback groups needed
        bool Any = false;
        std::string Out;
        for (size_t I = 0; I < Areas.size(); ++I) {
            const std::string Prefix = std::string(AreaName(Areas[I])) + " ";
            if (FCount || FQuiet) {
                const uint64_t Late = Flows[I].CountLate().Late;
                Any = Any || Late > 0;
                if (FCount)
                    Out += Prefix + std::to_string(Late) + "\n";
                continue;
            }
            Flows[I].ForEachLate([&](const TFeed& Feed) {
                Any = true;
                Out += Prefix;
                AppendNumbers(Out, {Feed.Source, Feed.Destination});
                Out += '\n';
                if (Out.size() >= PrintPiece) {
                    Print(Out);
                    Out.clear();
                }
                return true;
            });
        }
        Print(Out);
        return Any ? ExitLateFound : ExitSuccess;
    }

protected:
    void AddOptions(CLI::App& Command) override
    {
        auto* Count = Command.add_flag("-c,--count", FCount, "Print two lines, \"poly N\" and \"common M\": how many pairs are late");
        Command.add_flag("-q,--quiet", FQuiet, "Print nothing: the exit status alone tells")->excludes(Count);
    }

private:
    static constexpr size_t PrintPiece = 1 << 16;
    bool FCount = false;
    bool FQuiet = false;
};

} // namespace

std::unique_ptr<TCommand> MakeLateCommand()
{
    return std::make_unique<TLateCommand>();
}

} // namespace permuto::cli
