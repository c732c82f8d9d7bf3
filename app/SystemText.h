#pragma once
// Text between the window and the core. The core takes file names as the
// system's bytes (on Windows: UTF-8, which it widens), and its messages hold
// those names; a patch's own text (names, type names) is 8-bit bytes, shown
// as Latin-1.
#include <QFile>
#include <QString>

#include <string>

#include "base/Platform.h"

namespace permuto {

inline std::string CoreFileName(const QString& FileName)
{
    return (FileNamesAreUtf8() ? FileName.toUtf8() : QFile::encodeName(FileName)).toStdString();
}

inline QString FromCore(const std::string& Text)
{
    if (FileNamesAreUtf8())
        return QString::fromUtf8(Text.data(), static_cast<qsizetype>(Text.size()));
    return QFile::decodeName(QByteArray::fromStdString(Text));
}

inline QString FromPatch(const std::string& Bytes)
{
    return QString::fromLatin1(Bytes.data(), static_cast<qsizetype>(Bytes.size()));
}

} // namespace permuto
