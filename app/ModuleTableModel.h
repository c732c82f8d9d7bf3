#pragma once
// The modules of one area as a table: index, type name, name, x, y and how
// many of the module's inputs arrive late. Rows are the module dump's
// records in their order; nothing is copied out of the document but what a
// refresh prepares (names by index, late inputs per row); the signal flow is
// the document's.
#include <QAbstractTableModel>
#include <cstdint>
#include <memory>
#include <vector>

#include "patch/PatchDefs.h"

namespace permuto {

class TPatchDocument;

class TModuleTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum TColumn { ColumnIndex, ColumnType, ColumnName, ColumnX, ColumnY, ColumnLate, ColumnCount };
    // The numeric value of a cell, for sorting.
    static constexpr int SortRole = Qt::UserRole;
    // A drag carries the module index under this type.
    static constexpr const char* MimeType = "application/x-permuto-module-index";

    TModuleTableModel(const TPatchDocument& Document, TArea Area, QObject* Parent = nullptr);

    TArea Area() const { return FArea; }
    // After a renumbering: every module keeps its row (and what is
    // selected stays), the cells change.
    void Renumbered();
    // Around replacing the whole document: the rows are other modules.
    void BeginReload() { beginResetModel(); }
    void EndReload();
    // The module index shown in a row.
    int32_t ModuleIndexAt(int Row) const;
    // The row of the first module with that index; -1 when there is none.
    int RowOf(int32_t ModuleIndex) const;

    int rowCount(const QModelIndex& Parent = {}) const override;
    int columnCount(const QModelIndex& Parent = {}) const override;
    QVariant data(const QModelIndex& Index, int Role) const override;
    QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override;
    Qt::ItemFlags flags(const QModelIndex& Index) const override;

    // Dragging a row onto another asks for a move; the rows themselves never
    // move (the window renumbers, and the view shows the new indices).
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& Indexes) const override;
    Qt::DropActions supportedDropActions() const override;
    bool canDropMimeData(const QMimeData* Data, Qt::DropAction Action, int Row, int Column,
                         const QModelIndex& Parent) const override;
    bool dropMimeData(const QMimeData* Data, Qt::DropAction Action, int Row, int Column,
                      const QModelIndex& Parent) override;

signals:
    // Module From should take the place of module To.
    void MoveRequested(int32_t From, int32_t To);

private:
    const TModuleDump& Modules() const;
    QString Name(int32_t ModuleIndex) const;
    // Prepares names and late inputs for the document as it is now.
    void ReadDocument();

    const TPatchDocument& FDocument;
    const TPatchDef& FPatch;
    TArea FArea;
    int FRows = 0;
    std::unique_ptr<TNameLookup> FNames;
    // Per row, how many modules feed it late (empty when not all were counted).
    std::vector<uint32_t> FLateInputs;
};

// "3 (Saw Osc), 5": modules by index, and by name where they have one.
QString SourcesText(const std::vector<int32_t>& Sources, const TNameLookup& Names);

} // namespace permuto
