#pragma once
// Start-up before any window exists: the program's paths, then the module
// library beside the executable.
#include <string>

namespace permuto {

// ExeDir() + "resources/patch303.txt".
std::string LibraryFileName();
// Loads the module library; returns an empty text on success, otherwise why
// it could not (the file's name and the system's reason).
std::string LoadModuleLibrary();

} // namespace permuto
