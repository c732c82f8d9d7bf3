#pragma once
// The settings file: INI text. Section Settings holds one key, PatchName,
// the patch file last shown in the window; section Window the window's
// geometry and splitter; section Recent the patches loaded last.
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

struct TWindowSettings {
    QRect Frame; // position and size, in the screen's logical pixels
    QByteArray Splitter;
    QStringList Recent; // newest first
};

// How many recent patches are kept.
inline constexpr int RecentCount = 8;

// The remembered patch name, or Default when the file or key is absent.
QString ReadPatchName(const QString& IniFile, const QString& Default);
TWindowSettings ReadWindowSettings(const QString& IniFile);
// Erases the whole Settings section, then writes PatchName, and the window's
// settings when given. Raises EFCreateError, with the reason, when the file
// cannot be written.
void WritePatchName(const QString& IniFile, const QString& PatchName, const TWindowSettings* Window = nullptr);
// Recent with Name put first, each name once, at most RecentCount.
QStringList WithRecent(QStringList Recent, const QString& Name);

} // namespace permuto
