#pragma once
// The module library the user chose in the window (Settings > Module
// library ...), remembered in the settings file. Without a choice the
// program reads the first of $PERMUTO_LIBRARY, the user's own data folder
// and the shipped library. A chosen library that cannot be read is named in
// a warning, and the shipped one is used.
#include <QObject>
#include <QString>

namespace permuto {

class TLibraryChoice : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The file the user chose; empty for the usual places.
    const QString& Chosen() const { return FChosen; }
    // Reads the library remembered in the settings (empty: the usual
    // places). A remembered file that cannot be read now stays remembered
    // (it may be on a drive that comes back); the warning says so.
    void Start(const QString& Remembered);
    // Asks for a library file and reads it; a file that cannot be read is
    // not remembered.
    void Choose();
    // Forgets the choice and reads the library from the usual places.
    void UseDefault();
    // Where the library in use comes from and where libraries are looked
    // for, for the About page.
    QString Report() const;

signals:
    // Another library was read.
    void Changed();

private:
    bool Use(const QString& File);

    QString FChosen;
};

} // namespace permuto
