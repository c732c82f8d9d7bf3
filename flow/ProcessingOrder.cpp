#include "ProcessingOrder.h"

#include <algorithm>

#include "base/Errors.h"

namespace permuto {

// Most patches list their modules in order already.
std::vector<int32_t> SortedIndices(const TModuleDump& Modules)
{
    std::vector<int32_t> Sorted;
    Sorted.reserve(static_cast<size_t>(Modules.Count()));
    for (const TModuleDef& Module : Modules.Modules())
        Sorted.push_back(Module.ModuleIndex);
    if (!std::is_sorted(Sorted.begin(), Sorted.end()))
        std::sort(Sorted.begin(), Sorted.end());
    return Sorted;
}

[[noreturn]] void ThrowShared(int32_t Index, TArea Area)
{
    throw ERenumberError(Format("Module index %d is used by two modules of the %s area; order and move need "
                                "every index once",
                                Index, AreaName(Area)));
}

std::vector<const TModuleDef*> ModulesInOrder(const TModuleDump& Modules)
{
    std::vector<const TModuleDef*> InOrder;
    InOrder.reserve(static_cast<size_t>(Modules.Count()));
    for (const TModuleDef& Module : Modules.Modules())
        InOrder.push_back(&Module);
    std::stable_sort(InOrder.begin(), InOrder.end(),
                     [](const TModuleDef* A, const TModuleDef* B) { return A->ModuleIndex < B->ModuleIndex; });
    return InOrder;
}

int32_t RankIn(const std::vector<int32_t>& Sorted, int32_t Index)
{
    const auto Found = std::lower_bound(Sorted.begin(), Sorted.end(), Index);
    return Found != Sorted.end() && *Found == Index ? static_cast<int32_t>(Found - Sorted.begin()) : -1;
}

int32_t RequireRank(const std::vector<int32_t>& Sorted, int32_t Index, TArea Area)
{
    const int32_t Rank = RankIn(Sorted, Index);
    if (Rank < 0)
        throw ERenumberError(Format("The %s area has no module with index %d", AreaName(Area), Index));
    return Rank;
}


int32_t NeighbourInOrder(const TModuleDump& Modules, int32_t Index, int Step)
{
    std::vector<int32_t> Sorted = SortedIndices(Modules);
    Sorted.erase(std::unique(Sorted.begin(), Sorted.end()), Sorted.end());
    const int64_t Rank = RankIn(Sorted, Index);
    if (Rank < 0 || Rank + Step < 0 || Rank + Step >= static_cast<int64_t>(Sorted.size()))
        return Index;
    return Sorted[static_cast<size_t>(Rank + Step)];
}

TRenumbering ModuleMove(const TModuleDump& Modules, int32_t From, int32_t To, TArea Area)
{
    const std::vector<int32_t> Sorted = SortedIndices(Modules);
    const int32_t FromRank = RequireRank(Sorted, From, Area);
    const int32_t ToRank = RequireRank(Sorted, To, Area);
    if (const auto Twice = std::adjacent_find(Sorted.begin(), Sorted.end()); Twice != Sorted.end())
        ThrowShared(*Twice, Area);
    std::vector<TRenumbering::TPair> Pairs;
    if (FromRank == ToRank)
        return {};
    Pairs.emplace_back(From, To);
    const int32_t Step = FromRank < ToRank ? 1 : -1;
    for (int32_t Rank = FromRank + Step; Rank != ToRank + Step; Rank += Step)
        Pairs.emplace_back(Sorted[static_cast<size_t>(Rank)], Sorted[static_cast<size_t>(Rank - Step)]);
    return TRenumbering(std::move(Pairs));
}

} // namespace permuto
