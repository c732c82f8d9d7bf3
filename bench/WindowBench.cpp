// What a user waits for in the window: start-up to the first painted window,
// and filling both tables for a patch of ten thousand modules per area.
#include <QElapsedTimer>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "Application.h"
#include "FrmMain.h"
#include "Globals.h"
#include "Startup.h"

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

std::string BigPatch(int Modules)
{
    std::string Text = "Version=Bench\r\n0\r\n";
    for (int Area : {1, 0}) {
        Text += "[ModuleDump]\r\n" + std::to_string(Area) + "\r\n";
        for (int I = 1; I <= Modules; ++I)
            Text += std::to_string(I) + " " + std::to_string(I % 40 + 1) + " 0 " + std::to_string(I) + "\r\n";
        Text += "[NameDump]\r\n" + std::to_string(Area) + "\r\n";
        for (int I = Modules; I >= 1; --I)
            Text += std::to_string(I) + " Name" + std::to_string(I) + "\r\n";
    }
    return Text;
}

} // namespace

int main(int Argc, char** Argv)
{
    QElapsedTimer Clock;
    Clock.start();
    // The program's own start-up sequence, from the folder the benchmark runs in.
    InitGlobals();
    const std::string Report = LoadModuleLibrary();
    if (!Report.empty()) {
        std::fprintf(stderr, "%s\n", Report.c_str());
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

    const std::string File = (std::filesystem::temp_directory_path() / "permuto-bench.pch").string();
    for (int Modules : {1000, 10000}) {
        std::ofstream(File, std::ios::binary) << BigPatch(Modules);
        Window.EditPatchName()->setText(QString::fromStdString(File));
        Clock.restart();
        QTest::mouseClick(Window.BitBtnLoad(), Qt::LeftButton);
        const double LoadAndFill = Clock.nsecsElapsed() / 1e6;
        Clock.restart();
        Window.RefreshGrids();
        const double Fill = Clock.nsecsElapsed() / 1e6;
        std::printf("%d modules per area: load and fill %.1f ms, fill both tables %.1f ms (%d rows)\n", Modules,
                    LoadAndFill, Fill, Window.StringGridPoly()->rowCount() + Window.StringGridCommon()->rowCount());
    }
    std::filesystem::remove(File);
    return 0;
}
