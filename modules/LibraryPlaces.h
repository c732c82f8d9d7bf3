#pragma once
// Which module library the program reads. The first of these that exists is
// used: the file the user chose (permuto-cli's --library, the window's
// setting), the file named by $PERMUTO_LIBRARY, patch303.txt in the user's
// own data folder, and the library shipped with the program. A library the
// user named that cannot be read, or holds no module type, is passed over
// with a message, and the shipped one is used.
#include <cstdint>
#include <string>
#include <vector>

namespace permuto {

enum class TLibraryOrigin { Chosen, Environment, UserFolder, Shipped };

struct TLibraryPlace {
    TLibraryOrigin Origin = TLibraryOrigin::Shipped;
    std::string File;
};

// The places looked in, in order; Chosen is left out when empty, the
// variable when it is not set, the user folder when the system names none.
std::vector<TLibraryPlace> LibraryPlaces(const std::string& Chosen);

// How a place is named to the user: "chosen", "$PERMUTO_LIBRARY", "your own
// data folder", "shipped with Permuto".
std::string OriginName(TLibraryOrigin Origin);

struct TLibraryInUse {
    TLibraryPlace Place;
    int32_t Types = 0; // module types read from it
    // Why a library the user named was passed over; empty when none was.
    std::string Problem;
};

// Loads the module library from the first place of LibraryPlaces(Chosen)
// that exists. Raises EPermutoError when the shipped library is the one to
// use and cannot be read: the program has no other.
TLibraryInUse LoadModuleLibrary(const std::string& Chosen = {});
// What the last LoadModuleLibrary loaded.
const TLibraryInUse& ModuleLibraryInUse();

// A few lines for --version and the About page: the library in use and the
// places looked in, in order; HowToChoose says how a library is chosen.
std::string LibraryReport(const std::string& Chosen, const std::string& HowToChoose);

} // namespace permuto
