#pragma once
// The signal flow of a patch's areas, and the renumberings that follow it:
// what the window's commands and permuto-cli's commands ask of a patch.
#include <cstdint>
#include <vector>

#include "SignalFlow.h"
#include "patch/PatchDefs.h"

namespace permuto {

// How signals pass between the modules of Area, with its feedback groups;
// the late pairs alone cost less.
TSignalFlow SignalFlowOf(const TPatchDef& Patch, TArea Area);
TLateFlow LateFlowOf(const TPatchDef& Patch, TArea Area);
// The same for several areas, worked out side by side (each area after the
// first on a thread of its own, where one can be had).
std::vector<TSignalFlow> SignalFlowsOf(const TPatchDef& Patch, const std::vector<TArea>& Areas);
std::vector<TLateFlow> LateFlowsOf(const TPatchDef& Patch, const std::vector<TArea>& Areas);
// The area's late connections, sorted (see TSignalFlow::ForEachLate).
std::vector<TFeed> LateConnections(const TPatchDef& Patch, TArea Area);

// The renumbering that puts Area in signal-flow order (see
// TSignalFlow::Order); raises ERenumberError when two modules of the area
// share an index.
TRenumbering SignalFlowOrder(const TPatchDef& Patch, TArea Area, bool FewestLate = false,
                             std::vector<TApproximateGroup>* Approximate = nullptr);
// The renumbering that moves module From to the place of module To in
// processing order; raises ERenumberError when either names no module of
// the area.
TRenumbering ModuleMove(const TPatchDef& Patch, TArea Area, int32_t From, int32_t To);
// The index of the module Step places after (or, negative, before) module
// Index in processing order; Index itself when there is none.
int32_t NeighbourInOrder(const TPatchDef& Patch, TArea Area, int32_t Index, int Step);

} // namespace permuto
