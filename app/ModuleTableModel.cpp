#include "ModuleTableModel.h"
#include "PatchDocument.h"
#include "SystemText.h"

#include <QBrush>
#include <QColor>
#include <QDataStream>
#include <QIODevice>
#include <QMimeData>

namespace permuto {

namespace {

// The late column's background where a module gets a signal late.
const QColor LateColour(255, 214, 153);

} // namespace

TModuleTableModel::TModuleTableModel(const TPatchDocument& Document, TArea Area, QObject* Parent)
    : QAbstractTableModel(Parent)
    , FDocument(Document)
    , FPatch(Document.Patch())
    , FArea(Area)
{
    ReadDocument();
}

const TModuleDump& TModuleTableModel::Modules() const
{
    return FPatch.ModuleDumps[FArea];
}

void TModuleTableModel::ReadDocument()
{
    // Everything is prepared first and taken over at once, so that a failure
    // (memory) leaves the model as it was.
    auto Names = std::make_unique<TNameLookup>(FPatch.NameDumps[FArea]);
    const TAreaAnalysis& Analysis = FDocument.Analysis(FArea);
    std::vector<uint32_t> ByRow;
    if (!Analysis.LateInputs.empty()) { // incomplete counts would show wrong ones
        ByRow.reserve(static_cast<size_t>(Modules().Count()));
        for (const TModuleDef& Module : Modules().Modules())
            ByRow.push_back(Analysis.LateInputsOf(Module.ModuleIndex));
    }
    FNames = std::move(Names);
    FLateInputs = std::move(ByRow);
    FRows = Modules().Count();
}

void TModuleTableModel::Renumbered()
{
    ReadDocument();
    if (FRows > 0)
        emit dataChanged(index(0, 0), index(FRows - 1, ColumnCount - 1));
}

void TModuleTableModel::EndReload()
{
    // The reset ends whatever happens while the document is read.
    struct TEnd {
        TModuleTableModel* Model;
        ~TEnd() { Model->endResetModel(); }
    } End{this};
    FRows = 0;
    ReadDocument();
}

int32_t TModuleTableModel::ModuleIndexAt(int Row) const
{
    return Modules().Items(Row).ModuleIndex;
}

int TModuleTableModel::RowOf(int32_t ModuleIndex) const
{
    for (int Row = 0; Row < FRows; ++Row)
        if (Modules().Items(Row).ModuleIndex == ModuleIndex)
            return Row;
    return -1;
}

QString SourcesText(const std::vector<int32_t>& Sources, const TNameLookup& Names)
{
    QStringList Shown;
    for (const int32_t Source : Sources) {
        const std::string* Name = Names.Find(Source);
        Shown << (Name != nullptr && !Name->empty() ? QStringLiteral("%1 (%2)").arg(Source).arg(FromPatch(*Name))
                                                    : QString::number(Source));
    }
    return Shown.join(QStringLiteral(", "));
}

QString TModuleTableModel::Name(int32_t ModuleIndex) const
{
    const std::string* Found = FNames->Find(ModuleIndex);
    return Found != nullptr ? FromPatch(*Found) : QString();
}

int TModuleTableModel::rowCount(const QModelIndex& Parent) const
{
    return Parent.isValid() ? 0 : FRows;
}

int TModuleTableModel::columnCount(const QModelIndex& Parent) const
{
    return Parent.isValid() ? 0 : ColumnCount;
}

QVariant TModuleTableModel::data(const QModelIndex& Index, int Role) const
{
    if (!Index.isValid() || Index.row() >= FRows)
        return {};
    const TModuleDef& Module = Modules().Items(Index.row());
    const int LateInputs = FLateInputs.empty() ? 0 : static_cast<int>(FLateInputs[static_cast<size_t>(Index.row())]);
    switch (Role) {
    case Qt::DisplayRole:
    case SortRole:
        switch (Index.column()) {
        case ColumnIndex:
            return Module.ModuleIndex;
        case ColumnType:
            return FromPatch(Module.TypeName(FDocument.Types()));
        case ColumnName:
            return Name(Module.ModuleIndex);
        case ColumnX:
            return Module.X;
        case ColumnY:
            return Module.Y;
        case ColumnLate:
            if (Role == SortRole)
                return LateInputs;
            return LateInputs > 0 ? QVariant(LateInputs) : QVariant(QString());
        }
        break;
    case Qt::TextAlignmentRole:
        if (Index.column() != ColumnType && Index.column() != ColumnName)
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        break;
    case Qt::BackgroundRole:
        if (Index.column() == ColumnLate && LateInputs > 0)
            return QBrush(LateColour);
        break;
    case Qt::ToolTipRole:
        if (LateInputs > 0) {
            const TSignalFlow& Flow = FDocument.Flow(FArea);
            const std::vector<int32_t> Sources = Flow.LateSources(Module.ModuleIndex);
            const auto Inside = std::count_if(Sources.begin(), Sources.end(), [&](int32_t Source) {
                return Flow.SameLoop(Source, Module.ModuleIndex);
            });
            const QString Text = tr("Arrives a sample late from %1").arg(SourcesText(Sources, *FNames));
            if (Inside == 0)
                return Text;
            return Inside == static_cast<qsizetype>(Sources.size())
                       ? tr("%1, inside a feedback loop").arg(Text)
                       : tr("%1; %2 of them inside a feedback loop").arg(Text).arg(Inside);
        }
        break;
    }
    return {};
}

QVariant TModuleTableModel::headerData(int Section, Qt::Orientation Orientation, int Role) const
{
    if (Orientation != Qt::Horizontal)
        return {};
    static const char* const Headers[ColumnCount] = {"index", "type", "name", "x", "y", "late"};
    if (Role == Qt::DisplayRole && Section >= 0 && Section < ColumnCount)
        return QString::fromLatin1(Headers[Section]);
    if (Role == Qt::ToolTipRole && Section == ColumnLate)
        return tr("Inputs whose signal comes from a module with a higher index, a sample late: %1 in this area, "
                  "%2 of them inside feedback loops")
            .arg(FDocument.Analysis(FArea).Late.Late)
            .arg(FDocument.Analysis(FArea).Late.InsideLoops);
    return {};
}

Qt::ItemFlags TModuleTableModel::flags(const QModelIndex& Index) const
{
    if (!Index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
}

QStringList TModuleTableModel::mimeTypes() const
{
    return {QString::fromLatin1(MimeType)};
}

QMimeData* TModuleTableModel::mimeData(const QModelIndexList& Indexes) const
{
    if (Indexes.isEmpty())
        return nullptr;
    QByteArray Bytes;
    QDataStream Out(&Bytes, QIODevice::WriteOnly);
    Out << static_cast<qint32>(FArea) << static_cast<qint32>(ModuleIndexAt(Indexes.first().row()));
    auto* Data = new QMimeData;
    Data->setData(QString::fromLatin1(MimeType), Bytes);
    return Data;
}

Qt::DropActions TModuleTableModel::supportedDropActions() const
{
    return Qt::MoveAction;
}

bool TModuleTableModel::canDropMimeData(const QMimeData* Data, Qt::DropAction /*Action*/, int Row, int /*Column*/,
                                        const QModelIndex& Parent) const
{
    if (Data == nullptr || !Data->hasFormat(QString::fromLatin1(MimeType)))
        return false;
    QDataStream In(Data->data(QString::fromLatin1(MimeType)));
    qint32 Area = -1;
    In >> Area;
    const int Target = Parent.isValid() ? Parent.row() : Row;
    return Area == static_cast<qint32>(FArea) && Target >= 0 && Target < FRows; // a module of this area, onto one of its rows
}

bool TModuleTableModel::dropMimeData(const QMimeData* Data, Qt::DropAction Action, int Row, int Column,
                                     const QModelIndex& Parent)
{
    if (!canDropMimeData(Data, Action, Row, Column, Parent))
        return false;
    QDataStream In(Data->data(QString::fromLatin1(MimeType)));
    qint32 Area = 0, From = 0;
    In >> Area >> From;
    const int32_t To = ModuleIndexAt(Parent.isValid() ? Parent.row() : Row);
    if (From != To)
        emit MoveRequested(From, To);
    return false; // the rows stay where they are: nothing for the view to remove
}

} // namespace permuto
