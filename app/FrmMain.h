#pragma once
// The program's window. It owns the patch document and wires its rooms: the
// path field with Browse, Save, Load and Exit; the tables of both areas; the
// panel that renumbers the chosen area; the menus and shortcuts (one action
// per command); the recent patches; the status line; the About page; and
// the settings file. What a command does belongs to the document.
#include <QMainWindow>
#include <memory>

#include "PatchDocument.h"

class QLabel;
class QLineEdit;
class QSplitter;
class QTabWidget;

namespace permuto {

class TAboutPage;
class TAreaTable;
class TLibraryChoice;
class TPatchPane;
class TRecentFiles;
class TRenumberPanel;
struct TWindowActions;

class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFormMain(QWidget* Parent = nullptr);
    ~TFormMain() override;

    // Opens a patch as Open does after its dialog: a file named when the
    // program was started, dropped onto the window or chosen from the
    // recent patches.
    void OpenPatch(const QString& FileName);

    TPatchDocument& Document() { return FDocument; }
    const TPatchDef& Patch() const { return FDocument.Patch(); }
    TArea Area() const;
    void SetArea(TArea Area);

    // The parts, for tests.
    const TWindowActions& Actions() const { return *FActions; }
    QLineEdit* EditPatchName() const { return FEditPatchName; }
    TAreaTable* Table(TArea Area) const { return FTables[Area]; }
    TRenumberPanel* Panel() const { return FPanel; }
    QSplitter* Splitter() const { return FSplitter; }
    TPatchPane* Pane() const { return FPane; }
    QLabel* LateStatus() const { return FLateStatus; }
    QLabel* StatusText() const { return FStatusText; }
    TRecentFiles* Recent() const { return FRecent; }
    QTabWidget* Pages() const { return FPages; }
    TAboutPage* AboutPage() const { return FAbout; }
    TLibraryChoice* Library() const { return FLibrary; }
    QList<QWidget*> TopButtons() const { return FTopButtons; }

protected:
    void closeEvent(QCloseEvent* Event) override;
    void showEvent(QShowEvent* Event) override;
    void dragEnterEvent(QDragEnterEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;

private:
    QWidget* BuildTopBar();
    QWidget* BuildWorkPage();
    void Wire();
    void LoadSettings();
    void SaveSettings();

    void OpenChosen();
    void LoadTyped();
    void SaveTyped();
    void SaveAsChosen();
    void SwapTyped();
    void MoveCurrent(int Step);
    // The path field shows the document's file again (after a load that
    // failed or was cancelled), unless no patch was loaded yet.
    void ShowDocumentFile();
    void ShowLateStatus();
    void UpdateTitle();

    TPatchDocument FDocument;
    std::unique_ptr<TWindowActions> FActions;
    QLineEdit* FEditPatchName = nullptr;
    QList<QWidget*> FTopButtons;
    QTabWidget* FPages = nullptr;
    TPerArea<TAreaTable*> FTables;
    TRenumberPanel* FPanel = nullptr;
    TPatchPane* FPane = nullptr;
    QSplitter* FSplitter = nullptr;
    QLabel* FLateStatus = nullptr;
    QLabel* FStatusText = nullptr;
    TRecentFiles* FRecent = nullptr;
    TAboutPage* FAbout = nullptr;
    TLibraryChoice* FLibrary = nullptr;
    // Where the settings live; empty when that is no regular file.
    QString FSettingsFile;
    // The splitter as it was left, restored once the window has its size.
    QByteArray FSplitterState;
};

} // namespace permuto
