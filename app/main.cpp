// Permuto: start-up order is the program's paths, the module library, then the
// window. Without its module library the program stops before any window.
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "Application.h"
#include "FrmMain.h"
#include "SystemText.h"
#include "base/Platform.h"
#include "modules/LibraryPlaces.h"
#include "base/ProgramPaths.h"

namespace {

// Text for standard output; false when it could not be written (a full
// disk, a closed pipe).
bool Print(const std::string& Text)
{
    return std::fwrite(Text.data(), 1, Text.size(), stdout) == Text.size() && std::fflush(stdout) == 0;
}

// What --version prints: the version, which module library is in use and
// where the others are looked for, and what went wrong reading it, if
// anything.
std::string VersionText(const std::string& Problem)
{
    return "permuto " PERMUTO_VERSION "\n" + permuto::LibraryReport({}, "Settings > Module library ...") + "\n" +
           (Problem.empty() ? std::string() : Problem + "\n");
}

const char* const Usage =
    "Usage: permuto [PATCH]\n"
    "Opens the window of Permuto, which reorders the modules of synthesizer patch files (*.pch);\n"
    "with PATCH, that patch is loaded.\n\n"
    "  -h, --help     show this text\n"
    "      --version  show the version and the module library in use\n\n"
    "permuto-cli does the same work from the command line. See permuto(1).\n";

} // namespace

int main(int Argc, char** Argv)
{
    permuto::PrepareProcess();
    permuto::InitGlobals();
    // Asked for text, the program answers without a window (and without a
    // display).
    const std::string First = Argc > 1 ? Argv[1] : "";
    if (First == "--help" || First == "-h") {
        if (!Print(Usage)) {
            std::fprintf(stderr, "permuto: cannot write the output\n");
            return 2;
        }
        return EXIT_SUCCESS;
    }
    // The usual places; the window reads the library chosen in it, if any.
    std::string Problem;
    try {
        Problem = permuto::LoadModuleLibrary().Problem;
    } catch (const std::exception& Error) {
        if (First == "--version") {
            Print(VersionText(Error.what()));
            return EXIT_FAILURE;
        }
        const std::string Report = "Permuto cannot start without its module library.\n" + std::string(Error.what());
        std::fprintf(stderr, "permuto: %s\n", Report.c_str());
        if (permuto::HasDisplay()) {
            QApplication App(Argc, Argv);
            QMessageBox::critical(nullptr, QStringLiteral("Permuto"), permuto::FromCore(Report));
        }
        return EXIT_FAILURE;
    }

    if (First == "--version") {
        if (!Print(VersionText(Problem))) {
            std::fprintf(stderr, "permuto: cannot write the output\n");
            return 2;
        }
        return EXIT_SUCCESS;
    }
    if (!permuto::HasDisplay()) {
        std::fprintf(stderr, "permuto: there is no display to open the window on (DISPLAY and WAYLAND_DISPLAY are "
                             "not set); permuto-cli does the same work without one\n");
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
