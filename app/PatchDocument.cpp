#include "PatchDocument.h"
#include "SystemText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>
#include <QUndoStack>
#include <optional>

#include "Application.h"
#include "RenumberCommand.h"
#include "flow/CommandTexts.h"
#include "modules/Descript.h"
#include "modules/LibraryPlaces.h"
#include "patch/PatchFile.h"

namespace permuto {

namespace {


QString ShortName(const QString& FileName)
{
    return QFileInfo(FileName).fileName();
}

// Runs an action that gives whether it did something; an error it raises is
// shown and counts as nothing done.
bool Act(const std::function<bool()>& Action)
{
    bool Done = false;
    return TApplication::Guarded([&] { Done = Action(); }) && Done;
}

} // namespace

TPatchDocument::TPatchDocument(QObject* Parent)
    : QObject(Parent)
    , FAnalyses(AnalyseBothAreas(FPatch, ShownBudget))
    , FUndo(new QUndoStack(this))
    , FWatcher(new QFileSystemWatcher(this))
    , FCheckSoon(new QTimer(this))
{
    connect(FUndo, &QUndoStack::cleanChanged, this, [this](bool Clean) { emit ModifiedChanged(!Clean); });
    // What was done or undone, in words.
    connect(FUndo, &QUndoStack::indexChanged, this, [this](int Index) {
        if (Index > FUndoIndex)
            emit Message(FUndo->text(Index - 1));
        else if (Index < FUndoIndex)
            emit Message(tr("Undone: %1").arg(FUndo->text(Index)));
        FUndoIndex = Index;
    });
    // A program writing a file may report several changes in a row: the
    // file is looked at once they are over.
    FCheckSoon->setSingleShot(true);
    FCheckSoon->setInterval(250);
    // The folder is watched too: a file that was removed or replaced is
    // noticed when it comes back.
    connect(FWatcher, &QFileSystemWatcher::fileChanged, FCheckSoon, qOverload<>(&QTimer::start));
    connect(FWatcher, &QFileSystemWatcher::directoryChanged, FCheckSoon, qOverload<>(&QTimer::start));
    connect(FCheckSoon, &QTimer::timeout, this, &TPatchDocument::CheckFile);
}

TPatchDocument::~TPatchDocument()
{
    // The steps refer to the patch: they go first, and say nothing on the way.
    FUndo->disconnect(this);
    delete FUndo;
}

bool TPatchDocument::IsModified() const
{
    return !FUndo->isClean();
}

bool TPatchDocument::MaybeSave()
{
    if (!IsModified())
        return true;
    const QMessageBox::StandardButton Answer =
        TApplication::Ask(tr("Save the changes to %1?").arg(ShortName(FFileName)),
                          QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (Answer == QMessageBox::Save)
        return Save();
    return Answer == QMessageBox::Discard;
}

bool TPatchDocument::Open(const QString& File)
{
    // The file is read first: one that cannot be loaded asks nothing about
    // the patch shown. If answering the question changed the file (saved
    // the patch into it), it is read again.
    std::optional<TPatchDef> Loaded = Read(File);
    if (!Loaded || !MaybeSave())
        return false;
    if (FileIdentityOf(CoreFileName(File)) != Loaded->LoadedIdentity() && !(Loaded = Read(File)))
        return false;
    TakeOver(std::move(*Loaded), File);
    return true;
}

void TPatchDocument::LibraryChanged()
{
    FTypes = TModuleTypes(FPatch, ModuleDescriptors());
    emit TypesChanged();
    if (HasPatch())
        emit Message(tr("Module library: %1").arg(FromCore(ModuleLibraryInUse().Place.File)) + UndescribedTypes());
}

QString TPatchDocument::UndescribedTypes() const
{
    const std::string Text = UndescribedTypesMessage(FTypes, "Settings \u25b8 Module library ... chooses another");
    return Text.empty() ? QString() : QStringLiteral(". ") + FromCore(Text);
}

bool TPatchDocument::Reload()
{
    if (!HasPatch())
        return false;
    std::optional<TPatchDef> Loaded = Read(FFileName);
    if (Loaded)
        TakeOver(std::move(*Loaded), FFileName);
    return Loaded.has_value();
}

std::optional<TPatchDef> TPatchDocument::Read(const QString& File)
{
    std::optional<TPatchDef> Loaded; // all or nothing: a failure changes nothing here
    TApplication::Guarded([&] { Loaded.emplace(ReadPatchFile(CoreFileName(File))); });
    return Loaded;
}

void TPatchDocument::TakeOver(TPatchDef&& Loaded, const QString& File)
{
    TPerArea<TAreaAnalysis> Analyses = AnalyseBothAreas(Loaded, ShownBudget);
    emit AboutToReload();
    FUndoIndex = 0;
    FUndo->clear(); // its steps belong to the patch that goes
    FPatch = std::move(Loaded);
    FTypes = TModuleTypes(FPatch, ModuleDescriptors());
    FAnalyses = std::move(Analyses);
    FIdentity = FPatch.LoadedIdentity();
    FNoticed = {};
    FLastWasSave = false;
    FFileName = File;
    Watch();
    emit Reloaded();
    emit FileNameChanged(FFileName);
    emit ModifiedChanged(false);
    const std::string Shown = CoreFileName(ShortName(File));
    emit Message(FromCore(LoadedText(Shown, FPatch)) + UndescribedTypes());
    emit FileUsed(File);
    if (const std::string Warning = LoadWarningText(Shown, CoreFileName(File), FPatch); !Warning.empty())
        TApplication::ShowWarning(FromCore(Warning));
}

bool TPatchDocument::Save()
{
    return HasPatch() && MayReplace(FFileName) && Write(FFileName);
}

bool TPatchDocument::SaveAs(const QString& File)
{
    return HasPatch() && !File.isEmpty() && MayReplace(File) && Write(File);
}

bool TPatchDocument::SaveTo(const QString& File)
{
    return IsOwnFile(File) ? Save() : SaveAs(File);
}

bool TPatchDocument::IsOwnFile(const QString& File) const
{
    const QFileInfo Given(File), Own(FFileName);
    if (Given.exists() && Own.exists())
        return Given.canonicalFilePath() == Own.canonicalFilePath();
    return Given.absoluteFilePath() == Own.absoluteFilePath();
}

bool TPatchDocument::MayReplace(const QString& File)
{
    // Nothing to replace, or nothing a save could replace (a folder: the
    // save says why).
    if (!QFileInfo::exists(File) || QFileInfo(File).isDir())
        return true;
    QString Question;
    if (!IsOwnFile(File)) {
        Question = (FLastWasSave ? tr("Replace %1?\n\nThe patch shown was last saved to %2.")
                                 : tr("Replace %1?\n\nThe patch shown was loaded from %2."))
                       .arg(ShortName(File), QDir::toNativeSeparators(FFileName));
    } else if (const TFileIdentity Now = FileIdentityOf(CoreFileName(File)); Now.Exists() && Now != FIdentity) {
        Question = (FLastWasSave ? tr("%1 was changed by another program since it was saved. Replace it?")
                                 : tr("%1 was changed by another program since it was loaded. Replace it?"))
                       .arg(ShortName(File));
    }
    return Question.isEmpty() ||
           TApplication::Ask(Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

bool TPatchDocument::Write(const QString& File)
{
    // A save changes module numbers and nothing else; where it cannot keep
    // to that, the user decides.
    if (const std::string Losses = SaveLossesMessage(CoreFileName(File), FPatch.SaveLosses()); !Losses.empty()) {
        const QString Question = tr("%1.\n\nSave all the same?").arg(FromCore(Losses));
        if (TApplication::Ask(Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
            return false;
    }
    std::vector<std::string> NotKept;
    if (!TApplication::Guarded([&] { FIdentity = FPatch.SaveToFile(CoreFileName(File), &NotKept); }))
        return false;
    if (!NotKept.empty()) {
        QStringList Lines;
        for (const std::string& Line : NotKept)
            Lines << FromCore(Line);
        TApplication::ShowWarning(tr("Saved, but not all of the replaced file was kept:\n%1").arg(Lines.join(QLatin1Char('\n'))));
    }
    FNoticed = {};
    FLastWasSave = true;
    const bool Renamed = File != FFileName;
    FFileName = File;
    FUndo->setClean();
    Watch();
    if (Renamed)
        emit FileNameChanged(FFileName);
    emit Message(tr("Saved %1").arg(ShortName(File)));
    emit FileUsed(File);
    return true;
}

void TPatchDocument::Watch()
{
    const QStringList Watched = FWatcher->files() + FWatcher->directories();
    if (!Watched.isEmpty())
        FWatcher->removePaths(Watched);
    const QFileInfo File(FFileName);
    if (File.exists())
        FWatcher->addPath(FFileName);
    if (QFileInfo(File.absolutePath()).isDir())
        FWatcher->addPath(File.absolutePath());
}

void TPatchDocument::CheckFile()
{
    if (!HasPatch() || FAsking)
        return;
    // A file replaced by renaming (as every save does) is watched afresh.
    Watch();
    const TFileIdentity Now = FileIdentityOf(CoreFileName(FFileName));
    const QString Name = ShortName(FFileName);
    if (!Now.Exists()) {
        if (FIdentity.Exists() && FNoticed.Size != RemovedNoticed) {
            FNoticed.Size = RemovedNoticed;
            emit Message(tr("%1 was removed or renamed by another program; saving writes it again").arg(Name));
        }
        return;
    }
    if (Now == FIdentity || Now == FNoticed)
        return;
    FNoticed = Now;
    if (IsModified()) {
        emit Message(tr("%1 was changed by another program; saving asks before it replaces it").arg(Name));
        return;
    }
    FAsking = true;
    const bool Again = TApplication::Ask(tr("%1 was changed by another program. Load it again?").arg(Name),
                                         QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
    FAsking = false;
    if (Again)
        Reload();
    else
        emit Message(tr("%1 was changed by another program; saving asks before it replaces it").arg(Name));
}

void TPatchDocument::Apply(TArea Area, const TRenumbering& Map)
{
    FPatch.Renumber(Area, Map);
    FAnalyses[Area] = AnalyseArea(FPatch, Area, ShownBudget);
    emit Renumbered(Area, Map);
}

void TPatchDocument::Push(TArea Area, TRenumbering Map, const QString& Text)
{
    FUndo->push(new TRenumberCommand(*this, Area, std::move(Map), Text));
}

bool TPatchDocument::Swap(TArea Area, int32_t A, int32_t B)
{
    if (HasPatch() && A == B) {
        emit Message(FromCore(SameIndicesText()));
        return false;
    }
    return HasPatch() && Act([&] {
               TRenumbering Map = FPatch.SwapRenumbering(Area, A, B);
               if (!FPatch.ChangedBy(Area, Map)) {
                   emit Message(FromCore(NothingToSwapText(Area, A, B)));
                   return false;
               }
               Push(Area, std::move(Map), FromCore(SwapText(Area, A, B)));
               return true;
           });
}

QString TPatchDocument::LateRemaining(TArea Area, const std::string& Before) const
{
    return FromCore(LateRemainingText(Before, Analysis(Area).Late.InsideLoops));
}

bool TPatchDocument::Order(TArea Area, bool FewestLate)
{
    return HasPatch() && Act([&] {
               std::vector<TApproximateGroup> Approximate;
               TRenumbering Map = Flow(Area).Order(Area, FewestLate, &Approximate);
               // What local search arranged is said whether or not it moved anything.
               QString Approximated;
               for (const TApproximateGroup& Group : Approximate)
                   Approximated += QStringLiteral("; ") + FromCore(ApproximateMessage(Group, Area));
               if (Map.IsIdentity()) {
                   emit Message(LateRemaining(Area, AlreadyOrderedText(Area, FewestLate)) + Approximated);
                   return false;
               }
               const std::string Text = OrderText(Area, FewestLate);
               Push(Area, std::move(Map), FromCore(Text));
               emit Message(LateRemaining(Area, Text) + Approximated);
               return true;
           });
}

bool TPatchDocument::Move(TArea Area, int32_t From, int32_t To)
{
    return HasPatch() && Act([&] {
               TRenumbering Map = ModuleMove(FPatch, Area, From, To);
               if (Map.IsIdentity())
                   return false;
               Push(Area, std::move(Map), FromCore(MoveText(Area, From, To)));
               return true;
           });
}

bool TPatchDocument::MoveStep(TArea Area, int32_t Index, int Step)
{
    if (!HasPatch())
        return false;
    const int32_t To = NeighbourInOrder(FPatch, Area, Index, Step);
    if (To == Index) {
        emit Message(FromCore(ProcessedAlreadyText(Area, Index, Step)));
        return false;
    }
    return Move(Area, Index, To);
}

} // namespace permuto
