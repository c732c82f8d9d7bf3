#include "Settings.h"

#include <QFile>
#include <QSettings>

#include "library/Errors.h"

namespace permuto {

namespace {
constexpr const char* SectionName = "Settings";
constexpr const char* PatchNameKey = "Settings/PatchName";
} // namespace

QString ReadPatchName(const QString& IniFile, const QString& Default)
{
    QSettings Ini(IniFile, QSettings::IniFormat);
    return Ini.value(PatchNameKey, Default).toString();
}

void WritePatchName(const QString& IniFile, const QString& PatchName)
{
    QSettings Ini(IniFile, QSettings::IniFormat);
    Ini.remove(SectionName);
    Ini.setValue(PatchNameKey, PatchName);
    Ini.sync();
    if (Ini.status() != QSettings::NoError)
        throw EFCreateError(QFile::encodeName(IniFile).toStdString(),
                            Ini.status() == QSettings::AccessError ? "Permission denied" : "The file is not valid INI text");
}

} // namespace permuto
