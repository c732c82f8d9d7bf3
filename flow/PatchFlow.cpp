#include "PatchFlow.h"

#include <functional>

#include "ProcessingOrder.h"
#include "base/SideBySide.h"

namespace permuto {

namespace {

template <class TFlow>
std::vector<TFlow> FlowsSideBySide(const TPatchDef& Patch, const std::vector<TArea>& Areas)
{
    std::vector<std::function<TFlow()>> Jobs;
    for (const TArea Area : Areas)
        Jobs.push_back([&Patch, Area] { return TFlow(Patch.ModuleDumps[Area], Patch.CableDumps[Area]); });
    return SideBySide(Jobs);
}

} // namespace

TSignalFlow SignalFlowOf(const TPatchDef& Patch, TArea Area)
{
    return TSignalFlow(Patch.ModuleDumps[Area], Patch.CableDumps[Area]);
}

TLateFlow LateFlowOf(const TPatchDef& Patch, TArea Area)
{
    return TLateFlow(Patch.ModuleDumps[Area], Patch.CableDumps[Area]);
}

std::vector<TSignalFlow> SignalFlowsOf(const TPatchDef& Patch, const std::vector<TArea>& Areas)
{
    return FlowsSideBySide<TSignalFlow>(Patch, Areas);
}

std::vector<TLateFlow> LateFlowsOf(const TPatchDef& Patch, const std::vector<TArea>& Areas)
{
    return FlowsSideBySide<TLateFlow>(Patch, Areas);
}

std::vector<TFeed> LateConnections(const TPatchDef& Patch, TArea Area)
{
    std::vector<TFeed> Late;
    LateFlowOf(Patch, Area).ForEachLate([&Late](const TFeed& Feed) {
        Late.push_back(Feed);
        return true;
    });
    return Late;
}

TRenumbering SignalFlowOrder(const TPatchDef& Patch, TArea Area, bool FewestLate,
                             std::vector<TApproximateGroup>* Approximate)
{
    return SignalFlowOf(Patch, Area).Order(Area, FewestLate, Approximate);
}

TRenumbering ModuleMove(const TPatchDef& Patch, TArea Area, int32_t From, int32_t To)
{
    return ModuleMove(Patch.ModuleDumps[Area], From, To, Area);
}

int32_t NeighbourInOrder(const TPatchDef& Patch, TArea Area, int32_t Index, int Step)
{
    return NeighbourInOrder(Patch.ModuleDumps[Area], Index, Step);
}

} // namespace permuto
