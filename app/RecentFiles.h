#pragma once
// The patches loaded or saved last, newest first, as the entries of a menu.
#include <QObject>
#include <QStringList>

class QMenu;

namespace permuto {

class TRecentFiles : public QObject {
    Q_OBJECT
public:
    // How many are kept.
    static constexpr int Count = 8;

    TRecentFiles(QMenu* Menu, QObject* Parent = nullptr);

    const QStringList& Files() const { return FFiles; }
    void SetFiles(const QStringList& Files);
    // Puts File first (by its absolute path), each file once.
    void Add(const QString& File);
    void Remove(const QString& File);

signals:
    void Chosen(const QString& File);

private:
    void FillMenu();

    QMenu* FMenu;
    QStringList FFiles;
};

// Recent with Name put first, each name once, at most TRecentFiles::Count.
QStringList WithRecent(QStringList Recent, const QString& Name);

} // namespace permuto
