#include "Startup.h"

#include <exception>

#include "Globals.h"
#include "library/Descript.h"

namespace permuto {

std::string LibraryFileName()
{
    return ExeDir() + "resources/patch303.txt";
}

std::string LoadModuleLibrary()
{
    try {
        ModuleDescriptors().LoadFromFile(LibraryFileName());
    } catch (const std::exception& Error) {
        return Error.what();
    }
    return {};
}

} // namespace permuto
