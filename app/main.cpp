// Permuto: start-up order is the program's paths, the module library, then the
// window. Without its module library the program stops before any window.
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "Application.h"
#include "FrmMain.h"
#include "SystemText.h"
#include "library/Platform.h"
#include "library/LibraryPlaces.h"
#include "library/ProgramPaths.h"

namespace {

// Whether a message box can be shown (without a display Qt would stop the
// program before the message on standard error is read).
bool HasDisplay()
{
#ifdef _WIN32
    return true;
#else
    return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr ||
           std::getenv("QT_QPA_PLATFORM") != nullptr;
#endif
}

} // namespace

int main(int Argc, char** Argv)
{
    permuto::PrepareProcess();
    permuto::InitGlobals();
    // The usual places; the window reads the library chosen in it, if any.
    std::string Problem;
    try {
        Problem = permuto::LoadModuleLibrary().Problem;
    } catch (const std::exception& Error) {
        const std::string Report = "Permuto cannot start without its module library.\n" + std::string(Error.what());
        std::fprintf(stderr, "permuto: %s\n", Report.c_str());
        if (HasDisplay()) {
            QApplication App(Argc, Argv);
            QMessageBox::critical(nullptr, QStringLiteral("Permuto"), permuto::FromCore(Report));
        }
        return EXIT_FAILURE;
    }

    permuto::TApplication App(Argc, Argv);
    permuto::TFormMain Window;
    Window.show();
    if (!Problem.empty())
        permuto::TApplication::ShowWarning(permuto::FromCore(Problem));
    // "permuto PATCH" opens the window with that patch loaded.
    const QStringList Arguments = App.arguments();
    if (Arguments.size() > 1)
        Window.OpenPatch(Arguments.at(1));
    return App.exec();
}
