#include "Settings.h"
#include "SystemText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include "base/Errors.h"
#include "base/Platform.h"
#include "base/ProgramPaths.h"

namespace permuto {

namespace {
constexpr const char* SectionName = "Settings";
constexpr const char* PatchNameKey = "Settings/PatchName";
} // namespace

QString ChooseSettingsFile(const QString& BesideExecutable, bool BesideWritable, const QString& ConfigFolder)
{
    if (BesideWritable || ConfigFolder.isEmpty())
        return BesideExecutable;
    return ConfigFolder + QLatin1Char('/') + QFileInfo(BesideExecutable).fileName();
}

QString SettingsFileName()
{
    const QFileInfo Beside(FromCore(IniFileName()));
    // Tried, not judged by permission bits: on Windows a folder such as
    // C:\Program Files looks writable by its attributes and is not.
    // Something that is no file in its place is kept, to be named as unusable.
    const bool Writable = (Beside.exists() && !Beside.isFile()) || WhyNotWritable(IniFileName(), 64).empty();
    return ChooseSettingsFile(Beside.filePath(), Writable,
                              QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
}

bool SettingsFileUsable(const QString& IniFile, QString* Why)
{
    const QFileInfo Info(IniFile);
    if (!Info.exists() || Info.isFile())
        return true;
    if (Why != nullptr)
        *Why = Info.isDir() ? QStringLiteral("it is a folder") : QStringLiteral("it is not a regular file");
    return false;
}

QString ReadPatchName(const QString& IniFile, const QString& Default)
{
    QSettings Ini(IniFile, QSettings::IniFormat);
    return Ini.value(PatchNameKey, Default).toString();
}

TWindowSettings ReadWindowSettings(const QString& IniFile)
{
    QSettings Ini(IniFile, QSettings::IniFormat);
    return {Ini.value(QStringLiteral("Window/Frame")).toRect(),
            Ini.value(QStringLiteral("Window/Splitter")).toByteArray(),
            Ini.value(QStringLiteral("Recent/Files")).toStringList(), // the menu keeps the newest eight
            Ini.value(QStringLiteral("Library/File")).toString()};
}

void WritePatchName(const QString& IniFile, const QString& PatchName, const TWindowSettings* Window)
{
    QDir().mkpath(QFileInfo(IniFile).absolutePath());
    QSettings Ini(IniFile, QSettings::IniFormat);
    Ini.remove(SectionName);
    Ini.setValue(PatchNameKey, PatchName);
    if (Window != nullptr) {
        Ini.setValue(QStringLiteral("Window/Frame"), Window->Frame);
        Ini.setValue(QStringLiteral("Window/Splitter"), Window->Splitter);
        Ini.setValue(QStringLiteral("Recent/Files"), Window->Recent);
        if (Window->Library.isEmpty())
            Ini.remove(QStringLiteral("Library"));
        else
            Ini.setValue(QStringLiteral("Library/File"), Window->Library);
    }
    Ini.sync();
    // A file that held no INI text reads as a format error but is written
    // all the same; only a failed write is an error.
    // The INI layer only says that writing failed; the same steps done by
    // hand find out why.
    if (Ini.status() == QSettings::AccessError) {
        const std::string File = CoreFileName(IniFile);
        const std::string Why = WhyNotWritable(File, 32 + PatchName.toUtf8().size());
        throw EFCreateError(File, Why.empty() ? "The settings could not be written" : Why);
    }
}

} // namespace permuto
