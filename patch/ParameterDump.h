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

class TParameterLine {
public:
    static constexpr std::string_view SectionName = "ParameterDump";

    int32_t ModuleIndex = 0;
    int32_t ModuleType = 0;
    TParameterValues Values;

    int32_t Count() const { return Values.Count(); }
    void Clear() { Values.SetCount(0); }
    // Keeps whatever could be read; always true.
    bool ReadLine(const std::string& Line);
    void WriteLine(TStringList& Lines) const;
    void SwapModules(int32_t IndexA, int32_t IndexB) { SwapIndex(ModuleIndex, IndexA, IndexB); }
};

class TCustomLine {
public:
    static constexpr std::string_view SectionName = "CustomDump";

    int32_t ModuleIndex = 0;
    TParameterValues Values;

    int32_t Count() const { return Values.Count(); }
    void Clear() { Values.SetCount(0); }
    bool ReadLine(const std::string& Line);
    void WriteLine(TStringList& Lines) const;
    void SwapModules(int32_t IndexA, int32_t IndexB) { SwapIndex(ModuleIndex, IndexA, IndexB); }
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
