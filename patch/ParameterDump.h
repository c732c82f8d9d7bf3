#pragma once
// Parameter and custom dumps: per module of one area, a list of 0..127 values.
// A parameter line is "index type count values..."; a custom line is the same
// without the type. No line is ever dropped.
#include <cstdint>
#include <string>
#include <string_view>

#include "ParameterValues.h"
#include "SectionDump.h"

namespace permuto {

// What parameter and custom lines share: the module index and the values.
class TValueLine {
public:
    int32_t ModuleIndex = 0;
    TParameterValues Values;

    int32_t Count() const { return Values.Count(); }
    // Drops the values; the index (and type) stay.
    void Clear() { Values.SetCount(0); }
    static void LocateModules(std::string_view Line, TFieldSink& Fields, TArea Area)
    {
        Fields.AddTokens(Line, {0}, Area);
    }
    void Renumber(const TRenumbering& Map) { Map.Apply(ModuleIndex); }
    bool RefersTo(const TRenumbering& Map) const { return Map(ModuleIndex) != ModuleIndex; }
};

class TParameterLine : public TValueLine {
public:
    static constexpr std::string_view SectionName = "ParameterDump";
    static constexpr std::string_view LineWord = "parameter";

    int32_t ModuleType = 0;

    // Keeps whatever could be read; always true.
    bool ReadLine(std::string_view Line);
    void WriteLine(TLineWriter& Lines) const;
};

class TCustomLine : public TValueLine {
public:
    static constexpr std::string_view SectionName = "CustomDump";
    static constexpr std::string_view LineWord = "custom value";

    bool ReadLine(std::string_view Line);
    void WriteLine(TLineWriter& Lines) const;
};

using TParameters = TRecordList<TParameterLine>;
using TCustoms = TRecordList<TCustomLine>;

class TParameterDump : public TAreaListDump<TParameterLine> {
public:
    TParameters& ParameterLines() { return FList; }
    const TParameters& ParameterLines() const { return FList; }
};

class TCustomDump : public TAreaListDump<TCustomLine> {
public:
    TCustoms& CustomLines() { return FList; }
    const TCustoms& CustomLines() const { return FList; }
};

} // namespace permuto
