#include "LibraryPlaces.h"

#include <exception>

#include "Descript.h"
#include "base/Errors.h"
#include "base/Files.h"
#include "base/Platform.h"
#include "base/ProgramPaths.h"

namespace permuto {

namespace {

TLibraryInUse GInUse;

// The library in File, or why it cannot be used.
std::string TryLoad(const std::string& File, TModuleDescriptors& Library)
{
    try {
        Library.LoadFromFile(File);
    } catch (const std::exception& Error) {
        return Error.what();
    }
    if (Library.Count() == 0)
        return Format("The module library \"%s\" describes no module type that can be read", File.c_str());
    return {};
}

} // namespace

std::vector<TLibraryPlace> LibraryPlaces(const std::string& Chosen)
{
    std::vector<TLibraryPlace> Places;
    if (!Chosen.empty())
        Places.push_back({TLibraryOrigin::Chosen, Chosen});
    if (const std::string Named = EnvironmentValue("PERMUTO_LIBRARY"); !Named.empty())
        Places.push_back({TLibraryOrigin::Environment, Named});
    if (const std::string Own = UserDataDir(); !Own.empty())
        Places.push_back({TLibraryOrigin::UserFolder, Own + "patch303.txt"});
    Places.push_back({TLibraryOrigin::Shipped, LibraryFileName()});
    return Places;
}

std::string OriginName(TLibraryOrigin Origin)
{
    switch (Origin) {
    case TLibraryOrigin::Chosen:
        return "chosen";
    case TLibraryOrigin::Environment:
        return "$PERMUTO_LIBRARY";
    case TLibraryOrigin::UserFolder:
        return "your own data folder";
    case TLibraryOrigin::Shipped:
        break;
    }
    return "shipped with Permuto";
}

TLibraryInUse LoadModuleLibrary(const std::string& Chosen)
{
    // The first place that holds a library; the shipped one is the last.
    // What the user named and cannot be read goes straight to the shipped
    // library: another of their places would be as much a surprise.
    TLibraryInUse InUse;
    TModuleDescriptors Library;
    for (const TLibraryPlace& Place : LibraryPlaces(Chosen)) {
        // The user folder is only a place to look; a file named by the user
        // that is missing is a mistake to tell about.
        if (Place.Origin == TLibraryOrigin::UserFolder && !FileIdentityOf(Place.File).Exists())
            continue;
        InUse.Place = Place;
        if (Place.Origin == TLibraryOrigin::Shipped)
            break;
        const std::string Problem = TryLoad(Place.File, Library);
        if (Problem.empty())
            break;
        InUse.Problem = Problem + "; the module library shipped with Permuto is used instead";
        InUse.Place = {TLibraryOrigin::Shipped, LibraryFileName()};
        break;
    }
    if (InUse.Place.Origin == TLibraryOrigin::Shipped)
        if (const std::string Failed = TryLoad(InUse.Place.File, Library); !Failed.empty())
            throw EPermutoError(Failed);
    InUse.Types = Library.Count();
    ModuleDescriptors() = std::move(Library);
    GInUse = InUse;
    return InUse;
}

const TLibraryInUse& ModuleLibraryInUse()
{
    return GInUse;
}

std::string LibraryReport(const std::string& Chosen, const std::string& HowToChoose)
{
    const TLibraryInUse& InUse = ModuleLibraryInUse();
    std::string Report = InUse.Types > 0 ? "module library: " + InUse.Place.File + " (" + OriginName(InUse.Place.Origin) +
                                               ", " + std::to_string(InUse.Types) +
                                               (InUse.Types == 1 ? " module type)" : " module types)")
                                         : std::string("module library: none could be read");
    Report += "\nlooked for, in this order:";
    std::vector<TLibraryPlace> Places = LibraryPlaces(Chosen);
    if (Chosen.empty())
        Places.insert(Places.begin(), {TLibraryOrigin::Chosen, "none (" + HowToChoose + ")"});
    if (EnvironmentValue("PERMUTO_LIBRARY").empty())
        Places.insert(Places.begin() + 1, {TLibraryOrigin::Environment, "not set"});
    for (const TLibraryPlace& Place : Places)
        Report += "\n  " + OriginName(Place.Origin) + ": " + Place.File;
    return Report;
}

} // namespace permuto
