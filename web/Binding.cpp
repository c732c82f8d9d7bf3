// What the page asks of Permuto's core, and the only file that calls it: the
// page hands over a patch's bytes, reads back its modules, late connections,
// feedback loops and picture, renumbers, and takes the bytes to save. Files
// the page opens live in the module's in-memory file system under their own
// names, so that the core reads them, and names them in its messages, as
// the window does.
//
// Texts meant for the user are in the window's words. Patch text is bytes
// (Latin-1): names are turned into UTF-8 here for display only, and the
// bytes to save go back as a Uint8Array, never through a string.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "base/Latin1.h"
#include "modules/Descript.h"
#include "modules/LibraryPlaces.h"
#include "base/ProgramPaths.h"
#include "flow/AreaAnalysis.h"
#include "flow/CommandTexts.h"
#include "flow/PatchFlow.h"
#include "patch/ModuleTypes.h"
#include "patch/PatchDefs.h"
#include "patch/PatchFile.h"
#include "picture/PatchPicture.h"
#include "flow/ProcessingOrder.h"

using emscripten::val;

namespace permuto::web {

namespace {


// How the page says where another module library is chosen.
constexpr const char* ChooseLibrary = "Module library ... chooses another";

struct TPage {
    std::optional<TPatchDef> Patch;
    std::string Name;
    TModuleTypes Types;
    std::optional<TPerArea<TAreaAnalysis>> Analyses; // while a patch is shown
};

TPage& Page()
{
    static TPage Instance;
    return Instance;
}

// The page names an area "poly" or "common".
TArea AreaOf(const std::string& Name)
{
    return AreaNamed(Name).value_or(AreaPoly);
}

// Writes Bytes to Path in the in-memory file system, its folder made first.
void PutFile(const std::string& Folder, const std::string& Name, const std::string& Bytes)
{
    ::mkdir(Folder.c_str(), 0700);
    std::FILE* File = std::fopen((Folder + "/" + Name).c_str(), "wb");
    if (File == nullptr)
        throw EPermutoError("cannot keep \"" + Name + "\" in the page's memory");
    const bool Written = std::fwrite(Bytes.data(), 1, Bytes.size(), File) == Bytes.size();
    std::fclose(File);
    if (!Written)
        throw EPermutoError("cannot keep \"" + Name + "\" in the page's memory");
}

std::string UndescribedTypes(const TModuleTypes& Types)
{
    const std::string Text = UndescribedTypesMessage(Types, ChooseLibrary);
    return Text.empty() ? std::string() : ". " + Text;
}

val Result(bool Ok, const std::string& Message)
{
    val Out = val::object();
    Out.set("ok", Ok);
    Out.set("message", Message);
    return Out;
}

// Runs a command on the patch; an error it raises is its message.
template <class TAction>
val Guarded(TAction Action)
{
    if (!Page().Patch)
        return Result(false, "");
    try {
        return Action();
    } catch (const std::exception& Error) {
        return Result(false, Error.what());
    }
}

// Renumbers Area by Map as the step Step; the result names the step as
// undo lists it, and says it.
val RenumberedBy(TArea Area, const TRenumbering& Map, const std::string& Step)
{
    TPage& P = Page();
    P.Patch->Renumber(Area, Map);
    (*P.Analyses)[Area] = AnalyseArea(*P.Patch, Area, ShownBudget);
    val Out = Result(true, Step);
    Out.set("step", Step);
    return Out;
}

std::string LateRemaining(TArea Area, const std::string& Before)
{
    return LateRemainingText(Before, (*Page().Analyses)[Area].Late.InsideLoops);
}

} // namespace

// The user's own module library (an empty name: the shipped one again).
// The message is the window's "Module library: FILE" with what the library
// does not describe of the patch shown; a library that cannot be read is
// passed over with its reason, and the shipped one is used.
val UseLibrary(const std::string& Name, const std::string& Bytes)
{
    try {
        std::string Chosen;
        if (!Name.empty()) {
            // Named as the user knows it: by its own name.
            PutFile("/library", Name, Bytes);
            ::chdir("/library");
            Chosen = Name;
        }
        const TLibraryInUse InUse = LoadModuleLibrary(Chosen);
        TPage& P = Page();
        std::string Message = InUse.Problem.empty() ? std::string() : InUse.Problem + ". ";
        const std::string& File = InUse.Place.File;
        Message += "Module library: " + (File.rfind('/') == std::string::npos ? File : File.substr(File.rfind('/') + 1));
        if (P.Patch) {
            P.Types = TModuleTypes(*P.Patch, ModuleDescriptors());
            Message += UndescribedTypes(P.Types);
        }
        return Result(InUse.Problem.empty(), Message);
    } catch (const std::exception& Error) {
        return Result(false, Error.what());
    }
}

// The library shipped with the page, fetched beside it; read at once.
val UseShippedLibrary(const std::string& Bytes)
{
    try {
        InitGlobals("/permuto");
        PutFile("/resources", "patch303.txt", Bytes);
        return UseLibrary("", "");
    } catch (const std::exception& Error) {
        return Result(false, Error.what());
    }
}

// Reads a patch; all or nothing: one that does not read leaves the patch
// shown as it was. Gives the window's "Loaded ..." message, and in
// "warning" what the window warns of on loading.
val Open(const std::string& Name, const std::string& Bytes)
{
    TPage& P = Page();
    val Out = Result(false, "");
    try {
        PutFile("/patch", Name, Bytes);
        ::chdir("/patch");
        TPatchDef Loaded = ReadPatchFile(Name);
        ::unlink(Name.c_str());
        TPerArea<TAreaAnalysis> Analyses = AnalyseBothAreas(Loaded, ShownBudget);
        P.Patch = std::move(Loaded);
        P.Name = Name;
        P.Types = TModuleTypes(*P.Patch, ModuleDescriptors());
        P.Analyses = std::move(Analyses);
    } catch (const std::exception& Error) {
        ::unlink(Name.c_str());
        Out.set("message", std::string(Error.what()));
        return Out;
    }
    // The name came from the page as UTF-8, as the file system keeps it.
    const std::string& Shown = Name;
    Out.set("ok", true);
    Out.set("message", LoadedText(Shown, *P.Patch) + UndescribedTypes(P.Types));
    Out.set("warning", LoadWarningText(Shown, Name, *P.Patch));
    return Out;
}

// Each area, poly first: its modules in processing order with their late
// inputs, its late pairs and feedback loops, and its late count.
val AreasShown()
{
    TPage& P = Page();
    val Out = val::array();
    if (!P.Patch)
        return Out;
    for (const TArea Area : BothAreas) {
        const TAreaAnalysis& Analysis = (*P.Analyses)[Area];
        const TNameLookup Names(P.Patch->NameDumps[Area]);
        val Modules = val::array();
        int I = 0;
        for (const TModuleDef* Module : ModulesInOrder(P.Patch->ModuleDumps[Area])) {
            val Row = val::object();
            const std::string* Name = Names.Find(Module->ModuleIndex);
            Row.set("index", Module->ModuleIndex);
            Row.set("type", Latin1ToUtf8(Module->TypeName(P.Types)));
            Row.set("name", Name != nullptr ? Latin1ToUtf8(*Name) : std::string());
            Row.set("x", Module->X);
            Row.set("y", Module->Y);
            Row.set("late", Analysis.LateInputsOf(Module->ModuleIndex));
            Modules.set(I++, Row);
        }
        val Pairs = val::array();
        int J = 0;
        if (Analysis.Late.Complete)
            Analysis.Flow.ForEachLate([&](const TFeed& Feed) {
                val Pair = val::array();
                Pair.set(0, Feed.Source);
                Pair.set(1, Feed.Destination);
                Pairs.set(J++, Pair);
                return J < 10000; // enough to show
            });
        val Loops = val::array();
        int K = 0;
        for (const std::vector<int32_t>& Group : Analysis.Flow.FeedbackGroups()) {
            val Members = val::array();
            for (size_t M = 0; M < Group.size(); ++M)
                Members.set(static_cast<unsigned>(M), Group[M]);
            Loops.set(K++, Members);
        }
        val Shown = val::object();
        Shown.set("area", std::string(AreaName(Area)));
        Shown.set("modules", Modules);
        Shown.set("latePairs", Pairs);
        Shown.set("loops", Loops);
        Shown.set("late", static_cast<double>(Analysis.Late.Late));
        Shown.set("insideLoops", static_cast<double>(Analysis.Late.InsideLoops));
        Shown.set("complete", Analysis.Late.Complete);
        Out.set(static_cast<unsigned>(Out["length"].as<int>()), Shown);
    }
    return Out;
}

val Swap(const std::string& AreaText, int32_t A, int32_t B)
{
    return Guarded([&] {
        const TArea Area = AreaOf(AreaText);
        if (A == B)
            return Result(false, SameIndicesText());
        TRenumbering Map = Page().Patch->SwapRenumbering(Area, A, B);
        if (!Page().Patch->ChangedBy(Area, Map))
            return Result(false, NothingToSwapText(Area, A, B));
        return RenumberedBy(Area, Map, SwapText(Area, A, B));
    });
}

val Order(const std::string& AreaText, bool FewestLate)
{
    return Guarded([&] {
        const TArea Area = AreaOf(AreaText);
        std::vector<TApproximateGroup> Approximate;
        TRenumbering Map = (*Page().Analyses)[Area].Flow.Order(Area, FewestLate, &Approximate);
        std::string Approximated;
        for (const TApproximateGroup& Group : Approximate)
            Approximated += "; " + ApproximateMessage(Group, Area);
        if (Map.IsIdentity())
            return Result(false, LateRemaining(Area, AlreadyOrderedText(Area, FewestLate)) + Approximated);
        const std::string Text = OrderText(Area, FewestLate);
        val Out = RenumberedBy(Area, Map, Text);
        Out.set("message", LateRemaining(Area, Text) + Approximated);
        return Out;
    });
}

val Move(const std::string& AreaText, int32_t From, int32_t To)
{
    return Guarded([&] {
        const TArea Area = AreaOf(AreaText);
        TRenumbering Map = ModuleMove(*Page().Patch, Area, From, To);
        if (Map.IsIdentity())
            return Result(false, "");
        return RenumberedBy(Area, Map, MoveText(Area, From, To));
    });
}

// One place earlier (Step -1) or later (1) in processing order.
val MoveStep(const std::string& AreaText, int32_t Index, int Step)
{
    return Guarded([&] {
        const TArea Area = AreaOf(AreaText);
        const int32_t To = NeighbourInOrder(*Page().Patch, Area, Index, Step);
        if (To == Index)
            return Result(false, ProcessedAlreadyText(Area, Index, Step));
        val Out = Move(AreaText, Index, To);
        Out.set("to", To); // the index the module has now
        return Out;
    });
}

// Why the two texts typed as the indices of a swap are no module indices,
// in the window's words; empty when both are.
std::string IndexProblem(const std::string& First, const std::string& Second)
{
    const std::string Problem = IndexProblemText(First, "First index");
    return Problem.empty() ? IndexProblemText(Second, "Second index") : Problem;
}

// The patch view: both areas, poly above common, as permuto-cli draw writes
// them (UTF-8 SVG).
std::string Picture()
{
    TPage& P = Page();
    if (!P.Patch)
        return {};
    std::vector<TAreaLayout> Layouts;
    for (const TArea Area : BothAreas)
        Layouts.emplace_back(*P.Patch, Area, (*P.Analyses)[Area], P.Types);
    std::string Svg;
    WriteSvg(Layouts, [&Svg](std::string_view Bytes) { Svg.append(Bytes); });
    return Svg;
}

// The bytes a save writes: the patch as read, with the new module numbers.
val Bytes()
{
    TPage& P = Page();
    if (!P.Patch)
        return val::null();
    const std::string Text = P.Patch->Text();
    return val::global("Uint8Array").new_(emscripten::typed_memory_view(Text.size(), reinterpret_cast<const uint8_t*>(Text.data())));
}

// What a save would change besides module numbers, in the window's words;
// empty when nothing. Lines a renumbering could not follow count once the
// patch differs from the file opened (Renumbered: the page's undo reads
// earlier bytes anew).
std::string SaveLosses(bool Renumbered)
{
    TPage& P = Page();
    if (!P.Patch)
        return {};
    const TSaveLosses Losses = Renumbered ? P.Patch->ReadLosses() : P.Patch->SaveLosses();
    return SaveLossesMessage(P.Name, Losses);
}

} // namespace permuto::web

EMSCRIPTEN_BINDINGS(permuto)
{
    using namespace permuto::web;
    emscripten::function("useShippedLibrary", &UseShippedLibrary);
    emscripten::function("useLibrary", &UseLibrary);
    emscripten::function("open", &Open);
    emscripten::function("areas", &AreasShown);
    emscripten::function("indexProblem", &IndexProblem);
    emscripten::function("swap", &Swap);
    emscripten::function("order", &Order);
    emscripten::function("move", &Move);
    emscripten::function("moveStep", &MoveStep);
    emscripten::function("picture", &Picture);
    emscripten::function("bytes", &Bytes);
    emscripten::function("saveLosses", &SaveLosses);
}
