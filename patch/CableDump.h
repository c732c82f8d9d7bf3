#pragma once
// The cable dump: the cables of one area, one line of seven numbers each.
#include <cstdint>
#include <string>
#include <string_view>

#include "SectionDump.h"

namespace permuto {

class TCableDef {
public:
    static constexpr std::string_view SectionName = "CableDump";
    static constexpr std::string_view LineWord = "cable";

    // In file order: Color, then each end's module, connector and kind. The
    // bytes come last so that a cable takes 20 bytes, not 28.
    int32_t Module1 = 0;
    int32_t Connector1 = 0;
    int32_t Module2 = 0;
    int32_t Connector2 = 0;
    TRange0To6 Color = 0;
    TRange0To1 ConnectorKind1 = 0; // 0 an input, 1 an output
    TRange0To1 ConnectorKind2 = 0;

    // All seven fields must read; otherwise the line is dropped.
    bool ReadLine(std::string_view Line);
    void WriteLine(TLineWriter& Lines) const;
    static void LocateModules(std::string_view Line, TFieldSink& Fields, TArea Area)
    {
        Fields.AddTokens(Line, {1, 4}, Area);
    }
    // Both ends are renumbered independently.
    void Renumber(const TRenumbering& Map)
    {
        Map.Apply(Module1);
        Map.Apply(Module2);
    }
    bool RefersTo(const TRenumbering& Map) const { return Map(Module1) != Module1 || Map(Module2) != Module2; }
};

using TCableDefs = TRecordList<TCableDef>;

class TCableDump : public TAreaListDump<TCableDef> {
public:
    TCableDefs& Cables() { return FList; }
    const TCableDefs& Cables() const { return FList; }
};

} // namespace permuto
