#pragma once
// The settings file: INI text with one key, Settings/PatchName, the patch file
// last shown in the window.
#include <QString>

namespace permuto {

// Where the settings file lives: beside the executable (named after it) when
// that folder may be written, as for a copy run from its build or unpacked
// folder; otherwise, as for an installed program, under the same name in the
// user's configuration folder.
QString SettingsFileName();
QString ChooseSettingsFile(const QString& BesideExecutable, bool BesideWritable, const QString& ConfigFolder);

// The remembered patch name, or Default when the file or key is absent.
QString ReadPatchName(const QString& IniFile, const QString& Default);
// Erases the whole Settings section, then writes PatchName. Raises
// EFCreateError when the file cannot be written.
void WritePatchName(const QString& IniFile, const QString& PatchName);

} // namespace permuto
