// What a user waits for in the window: start-up to the first painted window,
// then, for a patch of 100,000 modules per area, the click on Load, scrolling
// through the whole poly table, ordering it by signal flow and undoing that.
// Each is one step during which the window cannot answer; the longest is
// what the user feels.
#include <QElapsedTimer>
#include <QAction>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QUndoStack>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "Application.h"
#include "AreaTable.h"
#include "FrmMain.h"
#include "WindowActions.h"
#include "modules/LibraryPlaces.h"
#include "base/ProgramPaths.h"
#include "SyntheticPatch.h"

using namespace permuto;

namespace {

// Notes the first paint of the window.
class TPaintWatch : public QObject {
public:
    bool Painted = false;
    bool eventFilter(QObject* Watched, QEvent* Event) override
    {
        if (Event->type() == QEvent::Paint)
            Painted = true;
        return QObject::eventFilter(Watched, Event);
    }
};

// Runs one user step and the painting it causes; gives its milliseconds.
template <class TStep>
double Timed(TStep Step)
{
    QElapsedTimer Clock;
    Clock.start();
    Step();
    QCoreApplication::processEvents();
    return Clock.nsecsElapsed() / 1e6;
}

} // namespace

int main(int Argc, char** Argv)
{
    QElapsedTimer Clock;
    Clock.start();
    // The program's own start-up sequence, from the folder the benchmark runs in.
    InitGlobals();
    try {
        LoadModuleLibrary();
    } catch (const std::exception& Error) {
        std::fprintf(stderr, "%s\n", Error.what());
        return 1;
    }
    TApplication App(Argc, Argv);
    TFormMain Window;
    TPaintWatch Watch;
    Window.installEventFilter(&Watch);
    Window.show();
    while (!Watch.Painted)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    std::printf("start-up to first paint: %.1f ms (platform %s)\n", Clock.nsecsElapsed() / 1e6,
                qPrintable(QGuiApplication::platformName()));

    const int Modules = Argc > 1 ? std::atoi(Argv[1]) : 100000;
    const std::string File = (std::filesystem::temp_directory_path() / "permuto-window-bench.pch").string();
    std::ofstream(File, std::ios::binary) << bench::GeneratePatch(Modules, true);
    Window.EditPatchName()->setText(QString::fromStdString(File));
    QTableView* Poly = Window.Table(AreaPoly)->View();
    double Longest = 0;
    const auto Report = [&](const char* Step, double Milliseconds) {
        std::printf("%-40s %8.1f ms\n", Step, Milliseconds);
        Longest = std::max(Longest, Milliseconds);
    };
    std::printf("%d modules per area (every connection late):\n", Modules);
    Report("load (Enter in the path field)", Timed([&] { QTest::keyClick(Window.EditPatchName(), Qt::Key_Return); }));
    double Scrolling = 0;
    for (int Page = 0; Page < 50; ++Page) // fifty pages down, each painted
        Scrolling = std::max(Scrolling, Timed([&] { QTest::keyClick(Poly, Qt::Key_PageDown); }));
    Report("one page down, the slowest of fifty", Scrolling);
    Report("to the end of the table", Timed([&] { Poly->verticalScrollBar()->setValue(Poly->verticalScrollBar()->maximum()); }));
    Report("order by signal flow (poly)", Timed([&] { Window.Actions().Order->trigger(); }));
    Report("undo", Timed([&] { Window.Document().UndoStack()->undo(); }));
    std::printf("longest step: %.1f ms\n", Longest);
    std::filesystem::remove(File);
    return 0;
}
