#pragma once
// The modules of one area as a table: index, type name, name, x, y and how
// many of the module's inputs arrive late. Rows are the module dump's
// records in their order; nothing is copied out of the document but the
// lookups a refresh prepares (names by index, late inputs by destination).
#include <QAbstractTableModel>
#include <cstdint>
#include <memory>
#include <map>
#include <vector>

#include "patch/PatchDefs.h"

namespace permuto {

class TModuleTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum TColumn { ColumnIndex, ColumnType, ColumnName, ColumnX, ColumnY, ColumnLate, ColumnCount };
    // The numeric value of a cell, for sorting.
    static constexpr int SortRole = Qt::UserRole;
    // A drag carries the module index under this type.
    static constexpr const char* MimeType = "application/x-permuto-module-index";

    TModuleTableModel(const TPatchDef& Patch, TAreaCode Area, QObject* Parent = nullptr);

    TAreaCode Area() const { return FArea; }
    // Rereads the area after any change of the document.
    void Refresh();
    // Rereads a newly loaded document: its rows are other modules.
    void Reset()
    {
        FRows = -1;
        Refresh();
    }
    // The module index shown in a row.
    int32_t ModuleIndexAt(int Row) const;
    int LateCount() const { return static_cast<int>(FLateCount); }

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

    const TPatchDef& FPatch;
    TAreaCode FArea;
    int FRows = 0;
    std::unique_ptr<TNameLookup> FNames;
    // Late connections by destination: the feeding module indices.
    std::map<int32_t, std::vector<int32_t>> FLateFrom;
    size_t FLateCount = 0;
};

} // namespace permuto
