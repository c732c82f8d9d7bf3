#pragma once
// What is shown of an area's signal flow, worked out once per change of the
// area: the flow with its feedback groups, the count of late pairs, and for
// each module how many modules feed it late. The window's tables, status
// line, messages and patch view, and permuto-cli's draw, only read it.
#include <cstdint>
#include <vector>

#include "SignalFlow.h"

namespace permuto {

class TPatchDef;

struct TAreaAnalysis {
    TSignalFlow Flow;
    TLateCount Late;
    // By rank (Flow.RankOf): how many modules feed the module late. Empty
    // when counting stopped at its budget: no count rather than a wrong one.
    std::vector<uint32_t> LateInputs;

    // How many modules feed the module with index Index late; 0 for an
    // index no module has or when the counts are incomplete.
    uint32_t LateInputsOf(int32_t Index) const;
};

// Budget bounds the feeds looked at one by one (a hostile patch can hold
// more than are worth it); most are counted without. What is shown to a user
// (the window, the page) is worked out within ShownBudget, beyond which the
// late inputs are given up as too many rather than keep the user waiting.
inline constexpr uint64_t ShownBudget = 20000000;
TAreaAnalysis AnalyseArea(const TPatchDef& Patch, TArea Area, uint64_t Budget = UINT64_MAX);
// Both areas, side by side.
TPerArea<TAreaAnalysis> AnalyseBothAreas(const TPatchDef& Patch, uint64_t Budget = UINT64_MAX);

} // namespace permuto
