#pragma once
// The program's window: the patch file name, Browse/Save/Load/Exit, the
// modules of both areas in two tables, the area choice, two index fields and
// "Swap indices"; an About page beside the work page.
#include <QMainWindow>
#include <cstdint>
#include <memory>

#include "patch/PatchDefs.h"

class QButtonGroup;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSplitter;
class QTabWidget;
class QTableWidget;

namespace permuto {

class TAboutPage;

class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFormMain(QWidget* Parent = nullptr);
    ~TFormMain() override;

    // Fills both tables from the document.
    void RefreshGrids();
    void SetPatchName(const QString& Name);
    void SetSection(uint8_t Value);
    void SetIndex1(int32_t Value);
    void SetIndex2(int32_t Value);
    void SwapIndices();

    const TPatchDef& Patch() const { return *FPatch; }
    const QString& PatchName() const { return FPatchName; }
    uint8_t Section() const { return FSection; }
    int32_t Index1() const { return FIndex1; }
    int32_t Index2() const { return FIndex2; }

    // The widgets, for tests.
    QLineEdit* EditPatchName() const { return FEditPatchName; }
    QLineEdit* EditIndex1() const { return FEditIndex1; }
    QLineEdit* EditIndex2() const { return FEditIndex2; }
    QPushButton* BitBtnBrowse() const { return FBrowse; }
    QPushButton* BitBtnSave() const { return FSave; }
    QPushButton* BitBtnLoad() const { return FLoad; }
    QPushButton* BitBtnExit() const { return FExit; }
    QPushButton* BitBtnSwap() const { return FSwap; }
    QRadioButton* RadioPoly() const { return FRadioPoly; }
    QRadioButton* RadioCommon() const { return FRadioCommon; }
    QTableWidget* StringGridPoly() const { return FGridPoly; }
    QTableWidget* StringGridCommon() const { return FGridCommon; }
    QTabWidget* Pages() const { return FPages; }
    TAboutPage* AboutPage() const { return FAbout; }

protected:
    void closeEvent(QCloseEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void showEvent(QShowEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void BuildWindow();
    QWidget* BuildTopBar();
    QWidget* BuildWorkPage();
    void SetUpGrid(QTableWidget* Grid);
    void FitColumns();
    void FillGrid(QTableWidget* Grid, int Dump);
    void LoadSettings();
    void SaveSettings();

    void BrowseClick();
    void LoadClick();
    void SaveClick();
    void SwapClick();
    void EditIndexChange(QLineEdit* Edit, void (TFormMain::*Setter)(int32_t));

    QString FPatchName;
    std::unique_ptr<TPatchDef> FPatch;
    uint8_t FSection = 0;
    int32_t FIndex1 = 0;
    int32_t FIndex2 = 0;

    QLineEdit* FEditPatchName = nullptr;
    QWidget* FPanelButtons = nullptr;
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
    QTableWidget* FGridPoly = nullptr;
    QTableWidget* FGridCommon = nullptr;
    TAboutPage* FAbout = nullptr;
};

// The message of a swap whose index fields do not both hold integers.
inline constexpr const char* NonIntegerSwapMessage =
    "One or both indices have a non integer or non number seting, can't swap";

} // namespace permuto
