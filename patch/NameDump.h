#pragma once
// The name dump: the names users gave to the modules of one area, one line each
// (module index, then the name to the end of the line).
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "SectionDump.h"

namespace permuto {

class TModuleName {
public:
    static constexpr std::string_view SectionName = "NameDump";
    static constexpr std::string_view LineWord = "name";

    int32_t ModuleIndex = 0;
    std::string Name;

    // The index must read; the name is everything after it and the blanks
    // that follow it, to the end of the line, as written ("10 Osc Mixer" is
    // module 10, "Osc Mixer"). A name that stands between double quotes is
    // the text between them, each pair of quotes in it one quote.
    bool ReadLine(std::string_view Line);
    // "%d %s", the name written so that it reads back unchanged: bare as the
    // synthesizer's editor writes it, quoted when it would not read back bare.
    void WriteLine(TLineWriter& Lines) const;
    static void LocateModules(std::string_view Line, TFieldSink& Fields, TArea Area)
    {
        Fields.AddTokens(Line, {0}, Area);
    }
    void Renumber(const TRenumbering& Map) { Map.Apply(ModuleIndex); }
    bool RefersTo(const TRenumbering& Map) const { return Map(ModuleIndex) != ModuleIndex; }
};

using TModuleNames = TRecordList<TModuleName>;

// Appends the text that TModuleName::ReadLine turns back into Name.
void AppendNameToken(std::string& Text, std::string_view Name);

class TNameDump : public TAreaListDump<TModuleName> {
public:
    TModuleNames& Names() { return FList; }
    const TModuleNames& Names() const { return FList; }
    // The name of the first entry with that index; empty when there is none.
    std::string FindName(int32_t ModuleIndex) const;
};

// FindName for every module of an area at once: built once, each lookup is
// then a search in the names sorted by index. Valid while the dump is not
// changed.
class TNameLookup {
public:
    explicit TNameLookup(const TNameDump& Names);
    // The first entry's name for that index; nullptr when there is none.
    const std::string* Find(int32_t ModuleIndex) const;

private:
    std::vector<std::pair<int32_t, const std::string*>> FFirst; // by index, the first entry of each
};

} // namespace permuto
