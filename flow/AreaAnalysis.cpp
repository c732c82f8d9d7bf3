#include "AreaAnalysis.h"

#include <functional>

#include "patch/PatchDefs.h"
#include "base/SideBySide.h"

namespace permuto {

uint32_t TAreaAnalysis::LateInputsOf(int32_t Index) const
{
    const int32_t Rank = Flow.RankOf(Index);
    return Rank < 0 || LateInputs.empty() ? 0 : LateInputs[static_cast<size_t>(Rank)];
}

TAreaAnalysis AnalyseArea(const TPatchDef& Patch, TAreaCode Area, uint64_t Budget)
{
    TAreaAnalysis Analysis{Patch.SignalFlow(Area), {}, {}};
    Analysis.Late = Analysis.Flow.CountLate(Budget);
    if (!Analysis.Late.Complete || !Analysis.Flow.LateInputCounts(Analysis.LateInputs, Budget))
        Analysis.LateInputs.clear();
    return Analysis;
}

std::vector<TAreaAnalysis> AnalyseAreas(const TPatchDef& Patch, const std::vector<TAreaCode>& Areas, uint64_t Budget)
{
    std::vector<std::function<TAreaAnalysis()>> Jobs;
    for (const TAreaCode Area : Areas)
        Jobs.push_back([&Patch, Area, Budget] { return AnalyseArea(Patch, Area, Budget); });
    return SideBySide(Jobs);
}

} // namespace permuto
