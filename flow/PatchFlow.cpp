#include "PatchFlow.h"

#include <functional>

#include "ProcessingOrder.h"
#include "base/SideBySide.h"

namespace permuto {

TSignalFlow SignalFlowOf(const TPatchDef& Patch, TArea Area, bool WithGroups)
{
    return TSignalFlow(Patch.ModuleDumps[Area], Patch.CableDumps[Area], WithGroups);
}

std::vector<TSignalFlow> SignalFlowsOf(const TPatchDef& Patch, const std::vector<TArea>& Areas, bool WithGroups)
{
    std::vector<std::function<TSignalFlow()>> Jobs;
    for (const TArea Area : Areas)
        Jobs.push_back([&Patch, Area, WithGroups] { return SignalFlowOf(Patch, Area, WithGroups); });
    return SideBySide(Jobs);
}

std::vector<TFeed> LateConnections(const TPatchDef& Patch, TArea Area)
{
    std::vector<TFeed> Late;
    SignalFlowOf(Patch, Area).ForEachLate([&Late](const TFeed& Feed) {
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
