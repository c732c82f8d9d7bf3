#pragma once
// The module dump: the modules of one area, one line each (index, type, x, y).
#include <cstdint>
#include <string>
#include <string_view>

#include "SectionDump.h"

namespace permuto {

class TModuleTypes;

class TModuleDef {
public:
    static constexpr std::string_view SectionName = "ModuleDump";
    static constexpr std::string_view LineWord = "module";

    int32_t ModuleIndex = 0;
    int32_t ModuleType = 0;
    int32_t X = 0;
    int32_t Y = 0;

    // The name of the module's type, as Types (the module library held
    // against this patch) gives it: "type N" for a type it does not describe.
    std::string TypeName(const TModuleTypes& Types) const;

    // Four integers; anything less drops the line. Tokens after them are ignored.
    bool ReadLine(std::string_view Line);
    void WriteLine(TLineWriter& Lines) const;
    static void LocateModules(std::string_view Line, TFieldSink& Fields, TArea Area)
    {
        Fields.AddTokens(Line, {0}, Area);
    }
    void Renumber(const TRenumbering& Map) { Map.Apply(ModuleIndex); }
    bool RefersTo(const TRenumbering& Map) const { return Map(ModuleIndex) != ModuleIndex; }
};

using TModuleDefs = TRecordList<TModuleDef>;

class TModuleDump : public TAreaListDump<TModuleDef> {
public:
    TModuleDefs& Modules() { return FList; }
    const TModuleDefs& Modules() const { return FList; }
};

} // namespace permuto
