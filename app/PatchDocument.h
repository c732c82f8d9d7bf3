#pragma once
// The patch being edited, without a widget: the patch itself, its undo stack,
// the file it belongs to and that file's identity when it was loaded or last
// saved. Its file is the one a plain Save writes; every change is a step on
// the undo stack; nothing unsaved is dropped, and no file is replaced,
// without a question. The window shows what it says through its signals.
#include <QObject>
#include <QString>
#include <optional>
#include <vector>

#include "flow/AreaAnalysis.h"
#include "flow/PatchFlow.h"
#include "patch/ModuleTypes.h"
#include "patch/PatchDefs.h"

class QFileSystemWatcher;
class QTimer;
class QUndoStack;

namespace permuto {

class TPatchDocument : public QObject {
    Q_OBJECT
public:
    explicit TPatchDocument(QObject* Parent = nullptr);
    ~TPatchDocument() override;

    const TPatchDef& Patch() const { return FPatch; }
    // The module library held against the patch: type names and box shapes.
    const TModuleTypes& Types() const { return FTypes; }
    // The program's module library was replaced: the patch's types are
    // judged again, and TypesChanged says so.
    void LibraryChanged();
    // An area's signal flow with its feedback groups, late count and late
    // inputs, as the patch stands: worked out once per change, before the
    // change is announced; every view of it reads this.
    const TAreaAnalysis& Analysis(TArea Area) const { return FAnalyses[Area]; }
    const TSignalFlow& Flow(TArea Area) const { return Analysis(Area).Flow; }
    QUndoStack* UndoStack() const { return FUndo; }
    // The file the patch was loaded from or last saved to; empty until a
    // patch was loaded.
    const QString& FileName() const { return FFileName; }
    bool HasPatch() const { return !FFileName.isEmpty(); }
    bool IsModified() const;

    // User actions. Each asks what it must, shows its own errors and gives
    // true when it did what was asked.
    //
    // With unsaved changes: asks to save, discard or cancel; false when the
    // user cancelled or the save failed (the changes are then still there).
    bool MaybeSave();
    // MaybeSave, then loads File. All or nothing: a file that fails to load
    // leaves the patch, its file and its undo steps as they were.
    bool Open(const QString& File);
    // Loads the patch's own file again, dropping the changes made since.
    bool Reload();
    // Writes the patch to its own file; asks first when another program
    // changed that file since it was loaded or saved.
    bool Save();
    // Writes the patch to File, which becomes the patch's file; asks first
    // when File exists and is not the patch's own file.
    bool SaveAs(const QString& File);
    // Save when File is the patch's own file, SaveAs otherwise.
    bool SaveTo(const QString& File);

    // Renumbering steps of one area, each one undoable. False when nothing
    // changed (the reason goes to Message).
    bool Swap(TArea Area, int32_t A, int32_t B);
    // FewestLate arranges each feedback loop for the fewest late pairs
    // inside it (otherwise a loop keeps its order).
    bool Order(TArea Area, bool FewestLate = false);
    bool Move(TArea Area, int32_t From, int32_t To);
    // Moves module Index one place earlier (Step -1) or later (+1) in
    // processing order.
    bool MoveStep(TArea Area, int32_t Index, int Step);

    // Looks whether another program changed the patch's file (the watcher
    // does this by itself shortly after the system reports a change).
    void CheckFile();

signals:
    // Around the replacement of the whole patch by a loaded one.
    void AboutToReload();
    void Reloaded();
    // After every renumbering step, its undo and its redo: Map says where
    // each index went.
    void Renumbered(permuto::TArea Area, const permuto::TRenumbering& Map);
    void FileNameChanged(const QString& FileName);
    void ModifiedChanged(bool Modified);
    // A file was loaded or saved (for the recent patches).
    void FileUsed(const QString& FileName);
    // A line for the status bar.
    void Message(const QString& Text);
    // The names and shapes of module types changed (another library).
    void TypesChanged();

private:
    friend class TRenumberCommand;
    void Apply(TArea Area, const TRenumbering& Map);
    void Push(TArea Area, TRenumbering Map, const QString& Text);
    std::optional<TPatchDef> Read(const QString& File);
    void TakeOver(TPatchDef&& Loaded, const QString& File);
    bool Write(const QString& File);
    bool MayReplace(const QString& File);
    bool IsOwnFile(const QString& File) const;
    void Watch();
    QString LateRemaining(TArea Area, const std::string& Before) const;

    QString UndescribedTypes() const;

    TPatchDef FPatch;
    TModuleTypes FTypes;
    TPerArea<TAreaAnalysis> FAnalyses;
    QUndoStack* FUndo;
    QString FFileName;
    // The file as it was when it was loaded or saved, and whether the last
    // of the two was a save.
    TFileIdentity FIdentity;
    bool FLastWasSave = false;
    // A change from outside already told about (with Size RemovedNoticed: the
    // file's removal).
    TFileIdentity FNoticed;
    static constexpr int64_t RemovedNoticed = -2;
    QFileSystemWatcher* FWatcher;
    QTimer* FCheckSoon;
    int FUndoIndex = 0;
    bool FAsking = false;
};

} // namespace permuto
