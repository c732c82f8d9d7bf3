#pragma once
// What every section of a patch file shares: how a header is recognised, what
// ends a section body, owning record lists read line by line, and the per-area
// sections, which exist once for the poly area and once for the common area
// and carry their area code on the line after the header.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Renumbering.h"
#include "library/Errors.h"
#include "library/Memory.h"
#include "library/SimpleTypes.h"
#include "library/StringList.h"

namespace permuto {

// True when Line begins with Prefix, letter case (a to z) ignored. Nothing is
// trimmed: a blank before the "[" of a header makes it no match.
bool StartsWithText(std::string_view Line, std::string_view Prefix);
// True for the line that ends a list section's body: one that begins with "["
// (the section's closing line or the next header). An empty line is no end.
inline bool IsSectionEnd(std::string_view Line)
{
    return !Line.empty() && Line.front() == '[';
}
// Index of the first line at or after From that StartsWithText(Prefix), or
// Lines.Count() when there is none.
int32_t FindLineStartingWith(const TStringList& Lines, std::string_view Prefix, int32_t From = 0);

// Finds the first line that begins with "[Name" (letter case ignored) and
// sets Index on the line after it: the section's body. False when there is no
// such line or it is the last one.
bool FindSectionBody(const TStringList& Lines, std::string_view Name, int32_t& Index);

// "[Name]" and "[/Name]", the lines that open and close a written section.
std::string SectionHeader(std::string_view Name);
// "[Name": what a reader looks for (letter case ignored), whatever follows the name.
std::string SectionPrefix(std::string_view Name);
std::string SectionCloser(std::string_view Name);

// An owning list of records in file order. A record type offers
//   bool ReadLine(std::string_view Line)   - false drops the line
//   void WriteLine(TStringList& Lines) const
template <class TRecord>
class TRecordList {
public:
    int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
    const TRecord& Items(int32_t Index) const { return FItems.at(Checked(Index)); }
    TRecord& Items(int32_t Index) { return FItems.at(Checked(Index)); }
    void Add(TRecord Record) { FItems.push_back(std::move(Record)); }
    void Clear() { FItems.clear(); }

    // Reads one record per line from Index up to the end of the body; Index is
    // left on the line that ended it (or equals the number of lines). Empty
    // lines inside a body are passed over: the records after a stray empty
    // line belong to the section as much as those before it, and a save
    // keeps them.
    void ReadLines(const TStringList& Lines, int32_t& Index)
    {
        Clear();
        int32_t End = Index;
        while (End < Lines.Count() && !IsSectionEnd(Lines[End]))
            ++End;
        FItems.reserve(static_cast<size_t>(End - Index)); // no spare room, no copies while growing
        AdviseHugePages(FItems.data(), FItems.capacity() * sizeof(TRecord));
        for (; Index < End; ++Index) {
            if (Lines[Index].empty())
                continue;
            TRecord Record;
            if (Record.ReadLine(Lines[Index]))
                Add(std::move(Record));
        }
    }

    void WriteLines(TStringList& Lines) const
    {
        for (const TRecord& Record : FItems)
            Record.WriteLine(Lines);
    }

    auto begin() { return FItems.begin(); }
    auto end() { return FItems.end(); }
    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }

private:
    size_t Checked(int32_t Index) const
    {
        if (Index < 0 || Index >= Count())
            throw EListError(Index);
        return static_cast<size_t>(Index);
    }

    std::vector<TRecord> FItems;
};

// Base of the sections that exist once per area.
class TSectionDump {
public:
    TAreaCode Area = 0;

    // Finds the section of area AreaCode whose header begins with Prefix; on
    // success Index stands on the line after the area line. Sections of the
    // other area are passed over; the first match wins.
    bool FindAreaSection(TStringList& Lines, std::string_view Prefix, TAreaCode AreaCode, int32_t& Index);
    // Advances Index past line Index when it carries AreaCode. An area line
    // that also holds a whole module line (four more integers) is split in two.
    void ReadAreaLine(TStringList& Lines, TAreaCode AreaCode, int32_t& Index);
    // True when reading Lines may change them: the line after some header is
    // an area line that ReadAreaLine would split. When false, every reader
    // only reads, and readers may run side by side.
    static bool ReadingMaySplit(const TStringList& Lines);
    void WriteAreaLine(TStringList& Lines) const;
};

// A per-area section holding a list of records. The record type names its
// section (static constexpr std::string_view SectionName, e.g. "ModuleDump")
// and renumbers its module references (void Renumber(const TRenumbering&)).
template <class TRecord>
class TAreaListDump : public TSectionDump {
public:
    using TList = TRecordList<TRecord>;

    void Clear() { FList.Clear(); }
    int32_t Count() const { return FList.Count(); }
    const TRecord& Items(int32_t Index) const { return FList.Items(Index); }

    void LoadFromStrings(TAreaCode AreaCode, TStringList& Lines)
    {
        Clear();
        int32_t Index = 0;
        if (FindAreaSection(Lines, SectionPrefix(TRecord::SectionName), AreaCode, Index) && Index < Lines.Count())
            FList.ReadLines(Lines, Index);
    }

    void SaveToStrings(TStringList& Lines) const
    {
        Lines.Add(SectionHeader(TRecord::SectionName));
        WriteAreaLine(Lines);
        FList.WriteLines(Lines);
        Lines.Add(SectionCloser(TRecord::SectionName));
    }

    void Renumber(const TRenumbering& Map)
    {
        for (TRecord& Record : FList)
            Record.Renumber(Map);
    }
    void SwapModules(int32_t IndexA, int32_t IndexB) { Renumber(TRenumbering::Swap(IndexA, IndexB)); }

protected:
    TList FList;
};

} // namespace permuto
