#pragma once
// The program's window: the patch file name with Browse/Save/Load/Exit, the
// modules of both areas in two tables, the area choice, two index fields,
// "Swap indices", ordering by signal flow and moving modules; every change
// can be undone, and nothing unsaved is lost without a question. An About
// page stands beside the work page.
#include <QMainWindow>
#include <array>
#include <cstdint>
#include <memory>

#include "patch/PatchDefs.h"

class QAction;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QSortFilterProxyModel;
class QSplitter;
class QTabWidget;
class QTableView;
class QUndoStack;

namespace permuto {

class TAboutPage;
class TModuleTableModel;

class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFormMain(QWidget* Parent = nullptr);
    ~TFormMain() override;

    // Loads a patch as the Load button does, for a file named when the
    // program was started or dropped onto the window.
    void OpenPatch(const QString& FileName);

    void SetPatchName(const QString& Name);
    void SetSection(uint8_t Value);
    void SetIndex1(int32_t Value);
    void SetIndex2(int32_t Value);

    const TPatchDef& Patch() const { return *FPatch; }
    const QString& PatchName() const { return FPatchName; }
    uint8_t Section() const { return FSection; }
    int32_t Index1() const { return FIndex1; }
    int32_t Index2() const { return FIndex2; }
    QUndoStack* UndoStack() const { return FUndo; }

    // The widgets, for tests.
    QLineEdit* EditPatchName() const { return FEditPatchName; }
    QLineEdit* EditIndex1() const { return FEditIndex1; }
    QLineEdit* EditIndex2() const { return FEditIndex2; }
    QPushButton* BitBtnBrowse() const { return FBrowse; }
    QPushButton* BitBtnSave() const { return FSave; }
    QPushButton* BitBtnLoad() const { return FLoad; }
    QPushButton* BitBtnExit() const { return FExit; }
    QPushButton* BitBtnSwap() const { return FSwap; }
    QPushButton* BitBtnOrder() const { return FOrder; }
    QPushButton* BitBtnMoveUp() const { return FMoveUp; }
    QPushButton* BitBtnMoveDown() const { return FMoveDown; }
    QRadioButton* RadioPoly() const { return FRadioPoly; }
    QRadioButton* RadioCommon() const { return FRadioCommon; }
    QTableView* StringGridPoly() const { return FGrids[0]; }
    QTableView* StringGridCommon() const { return FGrids[1]; }
    TModuleTableModel* Model(uint8_t Area) const { return FModels[DumpOf(Area)]; }
    QSplitter* Splitter() const { return FSplitter; }
    QLabel* LateStatus() const { return FLateStatus; }
    QMenu* RecentMenu() const { return FRecentMenu; }
    QTabWidget* Pages() const { return FPages; }
    TAboutPage* AboutPage() const { return FAbout; }

protected:
    void closeEvent(QCloseEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void dragEnterEvent(QDragEnterEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;

private:
    void BuildWindow();
    void BuildMenus();
    QWidget* BuildTopBar();
    QWidget* BuildWorkPage();
    QTableView* BuildGrid(uint8_t Area, QWidget* Parent);
    void LoadSettings();
    void SaveSettings();

    // The actions; each shows its own errors.
    void BrowseClick();
    void LoadClick();
    void SaveClick();
    void SwapClick();
    void OrderClick();
    void MoveSelected(int Step);
    void Move(uint8_t Area, int32_t From, int32_t To);
    void EditIndexEdited(QLineEdit* Edit, int32_t& Index);
    // True when a patch is loaded; otherwise says there is nothing to act on.
    bool HasPatch();

    // Asks what to do with unsaved changes; false when the user cancelled or
    // the save failed.
    bool MaybeSave();
    // Asks before a save replaces a file other than the one loaded, or the
    // loaded file when it did not look like a patch; true to go on.
    bool MayReplace(const QString& Target);
    bool SaveTo(const QString& FileName);
    void Load(const QString& FileName);
    void Renumbered(uint8_t Area);
    void ShowLateStatus();
    void UpdateTitle();
    void AddRecent(const QString& FileName);
    void FillRecentMenu();
    void FitNumberColumns(uint8_t Area);

    QString FPatchName;
    std::unique_ptr<TPatchDef> FPatch;
    uint8_t FSection = 0;
    int32_t FIndex1 = 0;
    int32_t FIndex2 = 0;
    // The file the document was loaded from or last saved to; empty until a
    // patch was loaded.
    QString FDocumentName;
    QStringList FRecent;

    QUndoStack* FUndo = nullptr;
    std::array<TModuleTableModel*, 2> FModels{};
    std::array<QSortFilterProxyModel*, 2> FSorted{};
    std::array<QTableView*, 2> FGrids{};
    QLineEdit* FEditPatchName = nullptr;
    QPushButton* FBrowse = nullptr;
    QPushButton* FSave = nullptr;
    QPushButton* FLoad = nullptr;
    QPushButton* FExit = nullptr;
    QTabWidget* FPages = nullptr;
    QButtonGroup* FSectionGroup = nullptr;
    QRadioButton* FRadioPoly = nullptr;
    QRadioButton* FRadioCommon = nullptr;
    QLineEdit* FEditIndex1 = nullptr;
    QLineEdit* FEditIndex2 = nullptr;
    QPushButton* FSwap = nullptr;
    QPushButton* FOrder = nullptr;
    QPushButton* FMoveUp = nullptr;
    QPushButton* FMoveDown = nullptr;
    QSplitter* FSplitter = nullptr;
    QLabel* FLateStatus = nullptr;
    QMenu* FRecentMenu = nullptr;
    QAction* FSaveAction = nullptr;
    std::array<QAction*, 4> FEditActions{};
    int FUndoIndex = 0;
    TAboutPage* FAbout = nullptr;
};

// The message of a swap whose index fields do not both hold integers.
inline constexpr const char* NonIntegerSwapMessage =
    "One or both indices have a non integer or non number seting, can't swap";

} // namespace permuto
