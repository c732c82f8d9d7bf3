// permuto-cli draw PATCH [AREA] -o OUT.svg: the picture the window's patch
// view shows, as an SVG document (both areas, poly above common, when AREA
// is left out); -o - writes it to standard output.
#include <cstdint>

#include "Command.h"
#include "base/Files.h"
#include "flow/AreaAnalysis.h"
#include "picture/PatchPicture.h"

namespace permuto::cli {

namespace {

class TDrawCommand : public TCommand {
public:
    TDrawCommand()
        : TCommand("draw", "Draw AREA (or both areas) as people picture a patch, into the SVG file OUT: modules at "
                           "their places, cables, late signals and feedback loops marked")
    {
    }

    int Run() override
    {
        std::vector<TArea> Areas(BothAreas.begin(), BothAreas.end());
        if (!FArea.empty())
            Areas = {ParseArea(FArea)};
        LoadPatch();
        // Box heights and type names come from the module library.
        const TModuleTypes Types = LoadLibrary();
        // Each area's layout, compact, from its signal flow (let go of at
        // once); boxes and cables are made from it one at a time as they
        // are written.
        std::vector<TAreaLayout> Layouts;
        for (const TArea Area : Areas)
            Layouts.emplace_back(FPatch, Area, AnalyseArea(FPatch, Area), Types);
        const auto Produce = [&](const TByteSink& Write) { WriteSvg(Layouts, Write); };
        if (FSvg == "-")
            Produce([](std::string_view Bytes) { Print(Bytes); });
        else
            WriteFile(FSvg, Produce, nullptr, SIZE_MAX); // a picture is never read back: no size limit
        return ExitSuccess;
    }

protected:
    bool Writes() const override { return false; }
    void AddArguments(CLI::App& Command) override
    {
        Command.add_option("AREA", FArea, "poly or common; both areas when left out");
    }
    void AddOptions(CLI::App& Command) override
    {
        Command.add_option("-o,--output", FSvg, "The SVG file to write; - for standard output")
            ->option_text("OUT.svg")
            ->required();
    }

private:
    std::string FArea;
    std::string FSvg;
};

} // namespace

std::unique_ptr<TCommand> MakeDrawCommand()
{
    return std::make_unique<TDrawCommand>();
}

} // namespace permuto::cli
