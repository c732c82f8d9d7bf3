#include "Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <unistd.h>

#include "Globals.h"
#include "library/Errors.h"

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
    const std::string& Beside = IniFileName();
    // The file itself when it exists, otherwise the folder it would be made in.
    const bool Writable = ::access(Beside.c_str(), F_OK) == 0 ? ::access(Beside.c_str(), W_OK) == 0
                                                               : ::access(ExeDir().c_str(), W_OK) == 0;
    return ChooseSettingsFile(QFile::decodeName(QByteArray::fromStdString(Beside)), Writable,
                              QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
}

QString ReadPatchName(const QString& IniFile, const QString& Default)
{
    QSettings Ini(IniFile, QSettings::IniFormat);
    return Ini.value(PatchNameKey, Default).toString();
}

void WritePatchName(const QString& IniFile, const QString& PatchName)
{
    QDir().mkpath(QFileInfo(IniFile).absolutePath());
    QSettings Ini(IniFile, QSettings::IniFormat);
    Ini.remove(SectionName);
    Ini.setValue(PatchNameKey, PatchName);
    Ini.sync();
    if (Ini.status() != QSettings::NoError)
        throw EFCreateError(QFile::encodeName(IniFile).toStdString(),
                            Ini.status() == QSettings::AccessError ? "Permission denied" : "The file is not valid INI text");
}

} // namespace permuto
