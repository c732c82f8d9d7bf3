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

#include "ModuleFields.h"
#include "PatchText.h"
#include "Renumbering.h"
#include "base/Errors.h"
#include "base/LineTable.h"
#include "base/LineWriter.h"
#include "base/Memory.h"
#include "base/SimpleTypes.h"

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
int32_t FindLineStartingWith(const TLineTable& Lines, std::string_view Prefix, int32_t From = 0);

// Finds the first header of section Name and sets Index on the line after
// it: the section's body. False when there is no header or it is the last
// line.
bool FindSectionBody(const TPatchText& Text, std::string_view Name, int32_t& Index);

// Reads the area code that begins an area line. RecordAt is the 1-based
// position of the area's first record when the line carries one after the
// code (the editor writes "1 1 51 1 8 " for area 1 and its module 1),
// otherwise 0. False when the line does not begin with an area code.
bool ReadAreaLineCode(std::string_view Line, TAreaCode& Code, int32_t& RecordAt);

// "[Name]" and "[/Name]", the lines that open and close a written section.
std::string SectionHeader(std::string_view Name);
// "[Name": what a reader looks for (letter case ignored), whatever follows the name.
std::string SectionPrefix(std::string_view Name);
std::string SectionCloser(std::string_view Name);

// An owning list of records in file order. A record type offers
//   bool ReadLine(std::string_view Line)   - false drops the line
//   void WriteLine(TLineWriter& Lines) const
// and, when it refers to modules of one area,
//   static void LocateModules(std::string_view Line, TFieldSink& Fields, TArea Area)
// or, when the line itself says the area of each module it names,
//   static void LocateModules(std::string_view Line, TFieldSink& Fields)
// which finds the line's module numbers (whether the record reads or not:
// a renumbering follows every line it can).
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
    void ReadLines(const TLineTable& Lines, int32_t& Index, TFieldSink* Fields = nullptr, TArea Area = AreaPoly)
    {
        Clear();
        int32_t End = Index;
        while (End < Lines.Count() && !IsSectionEnd(Lines[End]))
            ++End;
        FItems.reserve(static_cast<size_t>(End - Index)); // no spare room, no copies while growing
        AdviseHugePages(FItems.data(), FItems.capacity() * sizeof(TRecord));
        for (; Index < End; ++Index) {
            const std::string_view Line = Lines[Index];
            if (Line.empty())
                continue;
            if (Fields != nullptr) {
                if constexpr (requires { TRecord::LocateModules(Line, *Fields, Area); })
                    TRecord::LocateModules(Line, *Fields, Area);
                else if constexpr (requires { TRecord::LocateModules(Line, *Fields); })
                    TRecord::LocateModules(Line, *Fields); // an assignment names its module's area itself
            }
            TRecord Record;
            if (Record.ReadLine(Line))
                Add(std::move(Record));
        }
    }

    void WriteLines(TLineWriter& Lines) const
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
    TArea Area = AreaPoly;

    // Finds the section Name of Area; on success Index stands on the
    // line after the area line. Sections of the other area are passed over;
    // the first match wins. (An area line that also held the first record
    // was split in two when the text was set.)
    bool FindAreaSection(const TPatchText& Text, std::string_view Name, TArea Of, int32_t& Index);
    // The lines of the sections Name of area Of after the first one,
    // which no reader takes: their module numbers no renumbering follows.
    static int32_t LinesOfLaterSections(const TPatchText& Text, std::string_view Name, TArea Of);
    // Advances Index past line Index when it carries the code of area Of.
    static void ReadAreaLine(const TLineTable& Lines, TArea Of, int32_t& Index);
    void WriteAreaLine(TLineWriter& Lines) const;
};

// A per-area section holding a list of records. The record type names its
// section (static constexpr std::string_view SectionName, e.g. "ModuleDump"),
// renumbers its module references (void Renumber(const TRenumbering&)) and
// tells whether that would change it (bool RefersTo(const TRenumbering&)).
template <class TRecord>
class TAreaListDump : public TSectionDump {
public:
    using TList = TRecordList<TRecord>;

    void Clear()
    {
        FList.Clear();
        FFields.Clear();
    }
    int32_t Count() const { return FList.Count(); }
    const TRecord& Items(int32_t Index) const { return FList.Items(Index); }
    // Where the text read holds this section's module numbers.
    const TModuleFields& Fields() const { return FFields; }
    // Hands each module number of the section in Text (the text read) to Sink.
    void LocateModules(std::string_view Text, TFieldSink& Sink) const
    {
        FFields.ForEachLine(Text, [&](std::string_view Line) { TRecord::LocateModules(Line, Sink, Area); });
    }

    void LoadFromStrings(TArea Of, const TPatchText& Text)
    {
        Clear();
        int32_t Index = 0;
        if (FindAreaSection(Text, TRecord::SectionName, Of, Index) && Index < Text.Count()) {
            const int32_t First = Index;
            TFieldSink Unfollowed;
            FList.ReadLines(Text.Lines(), Index, &Unfollowed, Of);
            FFields.SetBody(Text.Lines(), First, Index);
            FFields.AddUnfollowed(Unfollowed.Unfollowed());
        }
        FFields.AddUnfollowed(LinesOfLaterSections(Text, TRecord::SectionName, Of));
    }

    void SaveToStrings(TLineWriter& Lines) const
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
    // True when Renumber would change some record.
    bool RefersTo(const TRenumbering& Map) const
    {
        for (const TRecord& Record : FList)
            if (Record.RefersTo(Map))
                return true;
        return false;
    }

protected:
    TList FList;
    TModuleFields FFields;
};

} // namespace permuto
