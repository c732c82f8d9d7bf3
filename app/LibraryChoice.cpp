#include "LibraryChoice.h"
#include "SystemText.h"

#include <QFileInfo>

#include "Application.h"
#include "modules/LibraryPlaces.h"

namespace permuto {

bool TLibraryChoice::Use(const QString& File)
{
    bool Read = false;
    TApplication::Guarded([&] {
        const TLibraryInUse InUse = LoadModuleLibrary(CoreFileName(File));
        Read = InUse.Problem.empty();
        if (!Read)
            TApplication::ShowWarning(FromCore(InUse.Problem));
    });
    return Read;
}

void TLibraryChoice::Start(const QString& Remembered)
{
    FChosen = Remembered;
    if (!FChosen.isEmpty())
        Use(FChosen); // otherwise the library main() read
    emit Changed();
}

void TLibraryChoice::Choose()
{
    const QString Start = FChosen.isEmpty() ? FromCore(ModuleLibraryInUse().Place.File) : FChosen;
    const QString File = TApplication::ChooseFile(TApplication::TFileDialog::Library, Start);
    if (File.isEmpty())
        return;
    const QString Absolute = QFileInfo(File).absoluteFilePath();
    FChosen = Use(Absolute) ? Absolute : QString(); // the shipped library is in use after a failure
    emit Changed();
}

void TLibraryChoice::UseDefault()
{
    FChosen.clear();
    Use({});
    emit Changed();
}

QString TLibraryChoice::Report() const
{
    return FromCore(LibraryReport(CoreFileName(FChosen), "Settings \u25b8 Module library ..."));
}

} // namespace permuto
