#include "AreaAnalysis.h"

#include <functional>

#include "PatchFlow.h"
#include "base/SideBySide.h"

namespace permuto {

uint32_t TAreaAnalysis::LateInputsOf(int32_t Index) const
{
    const int32_t Rank = Flow.RankOf(Index);
    return Rank < 0 || LateInputs.empty() ? 0 : LateInputs[static_cast<size_t>(Rank)];
}

TAreaAnalysis AnalyseArea(const TPatchDef& Patch, TArea Area, uint64_t Budget)
{
    TAreaAnalysis Analysis{SignalFlowOf(Patch, Area), {}, {}};
    Analysis.Late = Analysis.Flow.CountLate(Budget);
    if (!Analysis.Late.Complete || !Analysis.Flow.LateInputCounts(Analysis.LateInputs, Budget))
        Analysis.LateInputs.clear();
    return Analysis;
}

TPerArea<TAreaAnalysis> AnalyseBothAreas(const TPatchDef& Patch, uint64_t Budget)
{
    std::vector<std::function<TAreaAnalysis()>> Jobs;
    for (const TArea Area : BothAreas)
        Jobs.push_back([&Patch, Area, Budget] { return AnalyseArea(Patch, Area, Budget); });
    std::vector<TAreaAnalysis> Done = SideBySide(Jobs); // in the order of BothAreas: poly first
    return {std::move(Done[0]), std::move(Done[1])};
}

} // namespace permuto
