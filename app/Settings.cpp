#include "Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

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

namespace {

// The INI layer only says that writing failed. Doing the same steps by hand
// (a new file beside the old one, the same number of bytes) finds out why.
std::string WhyNotWritten(const std::string& File, qint64 Size)
{
    struct stat Info {};
    if (::stat(File.c_str(), &Info) == 0 && S_ISDIR(Info.st_mode))
        return SystemReason(EISDIR);
    const size_t Slash = File.rfind('/');
    std::string Probe = (Slash == std::string::npos ? std::string() : File.substr(0, Slash + 1)) + ".permuto-probe-XXXXXX";
    const int Fd = ::mkstemp(Probe.data());
    if (Fd < 0)
        return SystemReason(errno);
    int Error = 0;
    for (qint64 Left = std::max<qint64>(Size, 1); Left > 0 && Error == 0;) {
        const char Blank[64] = {};
        const ssize_t Written = ::write(Fd, Blank, static_cast<size_t>(std::min<qint64>(Left, sizeof Blank)));
        if (Written < 0)
            Error = errno;
        Left -= Written;
    }
    ::close(Fd);
    ::unlink(Probe.c_str());
    if (Error == 0 && ::access(File.c_str(), F_OK) == 0 && ::access(File.c_str(), W_OK) != 0)
        Error = EACCES;
    return Error != 0 ? SystemReason(Error) : "The settings could not be written";
}

} // namespace

TWindowSettings ReadWindowSettings(const QString& IniFile)
{
    QSettings Ini(IniFile, QSettings::IniFormat);
    return {Ini.value(QStringLiteral("Window/Frame")).toRect(),
            Ini.value(QStringLiteral("Window/Splitter")).toByteArray(),
            Ini.value(QStringLiteral("Recent/Files")).toStringList().mid(0, RecentCount)};
}

QStringList WithRecent(QStringList Recent, const QString& Name)
{
    Recent.removeAll(Name);
    Recent.prepend(Name);
    return Recent.mid(0, RecentCount);
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
    }
    Ini.sync();
    // A file that held no INI text reads as a format error but is written
    // all the same; only a failed write is an error.
    if (Ini.status() == QSettings::AccessError) {
        const std::string File = QFile::encodeName(IniFile).toStdString();
        throw EFCreateError(File, WhyNotWritten(File, 32 + PatchName.toUtf8().size()));
    }
}

} // namespace permuto
