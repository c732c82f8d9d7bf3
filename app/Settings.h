#pragma once
// The settings file: INI text. Section Settings holds one key, PatchName,
// the patch file last shown in the window; section Window the window's
// geometry and splitter; section Recent the patches loaded last; section
// Library the module library the user chose.
#include <QByteArray>
#include <QRect>
#include <QString>
#include <QStringList>

namespace permuto {

// Where the settings file lives: beside the executable (named after it) when
// that folder may be written, as for a copy run from its build or unpacked
// folder; otherwise, as for an installed program, under the same name in the
// user's configuration folder.
QString SettingsFileName();
QString ChooseSettingsFile(const QString& BesideExecutable, bool BesideWritable, const QString& ConfigFolder);

// Whether the settings file may be read and written: it must be a regular
// file or not exist yet. A FIFO would make reading wait for a writer, and a
// folder holds no settings. Why receives the reason when it may not.
bool SettingsFileUsable(const QString& IniFile, QString* Why = nullptr);

struct TWindowSettings {
    QRect Frame; // position and size, in the screen's logical pixels
    QByteArray Splitter;
    QStringList Recent; // newest first
    QString Library;    // the module library chosen in the window; empty for the usual places
};

// The remembered patch name, or Default when the file or key is absent.
QString ReadPatchName(const QString& IniFile, const QString& Default);
TWindowSettings ReadWindowSettings(const QString& IniFile);
// Erases the whole Settings section, then writes PatchName, and the window's
// settings when given. Raises EFCreateError, with the reason, when the file
// cannot be written.
void WritePatchName(const QString& IniFile, const QString& PatchName, const TWindowSettings* Window = nullptr);

} // namespace permuto
