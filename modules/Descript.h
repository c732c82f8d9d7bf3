#pragma once
// The module library: for every module type of the instrument its type number,
// name, remarks, six resource figures, height, parameters, inputs, outputs and
// custom values, read once at start-up from a text file beside the program.
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/Errors.h"
#include "base/LineTable.h"
#include "base/LineWriter.h"
#include "base/Scanner.h"
#include "base/SimpleTypes.h"

namespace permuto {

// Base of the module descriptor and of the three item descriptors.
class TDescriptor {
public:
    std::string Name;

    virtual ~TDescriptor() = default;
    // A whole module entry (module descriptors only).
    virtual void LoadFromStrings(const TLineTable& /*Lines*/, int32_t& /*Index*/) {}
    virtual void SaveToStrings(TLineWriter& /*Lines*/) const {}
    // One item line: "item-index name ...". Accepting the line advances Index;
    // a line with another item index, or that does not read, leaves it.
    virtual void LoadItemFromStrings(const TLineTable& Lines, int32_t ItemIndex, int32_t& Index);
    virtual void SaveItemToStrings(TLineWriter& Lines, int32_t ItemIndex) const;

protected:
    // The fields after the name; false refuses the line.
    virtual bool ReadItemFields(std::string_view /*Line*/, int32_t& /*Pos*/) { return true; }
};

class TKnobDescriptor : public TDescriptor {
public:
    TSevenBitValue Low = 0;
    TSevenBitValue High = 0;
    int32_t Number = 0;
    std::string Text;
    void SaveItemToStrings(TLineWriter& Lines, int32_t ItemIndex) const override;

protected:
    bool ReadItemFields(std::string_view Line, int32_t& Pos) override;
};

class TConnectorDescriptor : public TDescriptor {
public:
    TConnectorKind Kind = 0; // set by the list that reads it: 0 input, 1 output
    TConnectorClass ConnectorClass = 0;
    void SaveItemToStrings(TLineWriter& Lines, int32_t ItemIndex) const override;

protected:
    bool ReadItemFields(std::string_view Line, int32_t& Pos) override;
};

class TCustomDescriptor : public TDescriptor {
public:
    TSevenBitValue Low = 0;
    TSevenBitValue High = 0;
    std::string Text;
    void SaveItemToStrings(TLineWriter& Lines, int32_t ItemIndex) const override;

protected:
    bool ReadItemFields(std::string_view Line, int32_t& Pos) override;
};

// Items numbered 0, 1, 2 ... on consecutive lines. Reading stops at the end of
// the lines, at a line that does not begin with an integer, at a line whose
// integer is not the next item index, or at a line the item refuses; Index is
// left on that line.
template <class TItem>
class TDescriptorList {
public:
    virtual ~TDescriptorList() = default;
    int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
    const TItem& Items(int32_t Index) const
    {
        if (Index < 0 || Index >= Count())
            throw EListError(Index);
        return FItems[static_cast<size_t>(Index)];
    }
    void Clear() { FItems.clear(); }

    void LoadFromStrings(const TLineTable& Lines, int32_t& Index)
    {
        Clear();
        while (Index < Lines.Count()) {
            int32_t Pos = 1;
            int32_t Leading = 0;
            if (!ReadInteger(Lines[Index], Pos, FieldSeparators, Leading))
                return;
            TItem Item = NewItem();
            const int32_t Start = Index;
            Item.LoadItemFromStrings(Lines, Count(), Index);
            if (Index == Start)
                return;
            FItems.push_back(std::move(Item));
        }
    }

    void SaveToStrings(TLineWriter& Lines) const
    {
        for (int32_t I = 0; I < Count(); ++I)
            FItems[static_cast<size_t>(I)].SaveItemToStrings(Lines, I);
    }

protected:
    virtual TItem NewItem() const { return TItem{}; }
    std::vector<TItem> FItems;
};

using TKnobDescriptors = TDescriptorList<TKnobDescriptor>;
using TCustomDescriptors = TDescriptorList<TCustomDescriptor>;

class TConnectorDescriptors : public TDescriptorList<TConnectorDescriptor> {
public:
    explicit TConnectorDescriptors(TConnectorKind AKind) : Kind(AKind) {}
    const TConnectorKind Kind;

protected:
    TConnectorDescriptor NewItem() const override;
};

class TModuleDescriptor : public TDescriptor {
public:
    int32_t TypeNumber = 0;
    std::string Remarks;
    long double Cycles = 0;
    long double ProgMem = 0;
    long double XMem = 0;
    long double YMem = 0;
    long double ZeroPage = 0;
    long double DynMem = 0;
    int32_t Height = 0;
    TKnobDescriptors Parameters;
    TConnectorDescriptors Inputs{0};
    TConnectorDescriptors Outputs{1};
    TCustomDescriptors Customs;

    // One entry from line Index; on success Index is the first line after it,
    // on failure it is set back.
    void LoadFromStrings(const TLineTable& Lines, int32_t& Index) override;
    void SaveToStrings(TLineWriter& Lines) const override;

private:
    bool ReadEntry(const TLineTable& Lines, int32_t& Index);
};

class TIndexedDescriptors {
public:
    int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
    const TModuleDescriptor& Items(int32_t Index) const;
    void Clear();
    void Add(std::unique_ptr<TModuleDescriptor> Descriptor);
    // The first descriptor with that type number; nullptr when there is none.
    const TModuleDescriptor* FindByType(int32_t TypeNumber) const;

private:
    std::vector<std::unique_ptr<TModuleDescriptor>> FItems;
    std::unordered_map<int32_t, const TModuleDescriptor*> FByType; // first entry of each type
};

class TModuleDescriptors : public TIndexedDescriptors {
public:
    // Raises EFOpenError when the file cannot be read.
    void LoadFromFile(const std::string& FileName);
    // Reads entries until the end of the lines, an empty line or the first
    // entry that does not read; comment lines (blank, "-" or ";" first) may
    // stand between entries.
    void LoadFromStrings(const TLineTable& Lines);
};

// The program's one module library.
TModuleDescriptors& ModuleDescriptors();

} // namespace permuto
