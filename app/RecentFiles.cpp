#include "RecentFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>

namespace permuto {

QStringList WithRecent(QStringList Recent, const QString& Name)
{
    Recent.removeAll(Name);
    Recent.prepend(Name);
    return Recent.mid(0, TRecentFiles::Count);
}

TRecentFiles::TRecentFiles(QMenu* Menu, QObject* Parent)
    : QObject(Parent)
    , FMenu(Menu)
{
    FillMenu();
}

void TRecentFiles::SetFiles(const QStringList& Files)
{
    FFiles = Files.mid(0, Count);
    FillMenu();
}

void TRecentFiles::Add(const QString& File)
{
    FFiles = WithRecent(FFiles, QFileInfo(File).absoluteFilePath());
    FillMenu();
}

void TRecentFiles::Remove(const QString& File)
{
    FFiles.removeAll(QFileInfo(File).absoluteFilePath());
    FillMenu();
}

void TRecentFiles::FillMenu()
{
    FMenu->clear();
    for (int I = 0; I < FFiles.size(); ++I) {
        const QString File = FFiles[I];
        QAction* Action = FMenu->addAction(QStringLiteral("&%1 %2").arg(I + 1).arg(QDir::toNativeSeparators(File)));
        connect(Action, &QAction::triggered, this, [this, File] { emit Chosen(File); });
    }
    FMenu->setEnabled(!FFiles.isEmpty());
}

} // namespace permuto
