#pragma once
// The settings file: INI text with one key, Settings/PatchName, the patch file
// last shown in the window.
#include <QString>

namespace permuto {

// The remembered patch name, or Default when the file or key is absent.
QString ReadPatchName(const QString& IniFile, const QString& Default);
// Erases the whole Settings section, then writes PatchName. Raises
// EFCreateError when the file cannot be written.
void WritePatchName(const QString& IniFile, const QString& PatchName);

} // namespace permuto
