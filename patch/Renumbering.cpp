#include "Renumbering.h"

#include <algorithm>

namespace permuto {

TRenumbering::TRenumbering(std::vector<TPair> Pairs)
    : FPairs(std::move(Pairs))
{
    if (FPairs.empty())
        return;
    if (FPairs.size() == 2) {
        FLookup = TLookup::Pair;
        return;
    }
    const auto [Low, High] = std::minmax_element(FPairs.begin(), FPairs.end(),
                                                 [](const TPair& X, const TPair& Y) { return X.first < Y.first; });
    FLow = Low->first;
    FHigh = High->first;
    const uint64_t Span = static_cast<uint64_t>(static_cast<int64_t>(FHigh) - FLow) + 1;
    // A table costs four bytes per number in the span; worth it while the
    // span is not much wider than the pairs themselves.
    if (Span <= 4 * FPairs.size() + 64) {
        FLookup = TLookup::Dense;
        FDense.resize(Span);
        for (uint64_t I = 0; I < Span; ++I)
            FDense[I] = static_cast<int32_t>(FLow + static_cast<int64_t>(I));
        // Backwards, so that the first pair of an old index is the one left.
        for (auto Pair = FPairs.rbegin(); Pair != FPairs.rend(); ++Pair)
            FDense[static_cast<size_t>(static_cast<int64_t>(Pair->first) - FLow)] = Pair->second;
    } else {
        FLookup = TLookup::Sparse;
        FSparse = FPairs;
        const auto ByOld = [](const TPair& X, const TPair& Y) { return X.first < Y.first; };
        std::stable_sort(FSparse.begin(), FSparse.end(), ByOld);
        // An old index given twice keeps its first pair.
        FSparse.erase(std::unique(FSparse.begin(), FSparse.end(),
                                  [](const TPair& X, const TPair& Y) { return X.first == Y.first; }),
                      FSparse.end());
    }
}

TRenumbering TRenumbering::Swap(int32_t A, int32_t B)
{
    if (A == B)
        return {};
    return TRenumbering({{A, B}, {B, A}});
}

bool TRenumbering::IsIdentity() const
{
    return std::all_of(FPairs.begin(), FPairs.end(), [this](const TPair& P) { return (*this)(P.first) == P.first; });
}

TRenumbering TRenumbering::FollowedBy(const TRenumbering& Then) const
{
    std::vector<TPair> Both;
    Both.reserve(FPairs.size() + Then.FPairs.size());
    // The indices this one moves go where Then takes their new number; the
    // indices only Then moves go where Then takes them.
    for (const auto& [From, To] : FPairs)
        if (const int32_t Last = Then((*this)(From)); Last != From)
            Both.emplace_back(From, Last);
    for (const auto& [From, To] : Then.FPairs)
        if ((*this)(From) == From && To != From)
            Both.emplace_back(From, Then(From));
    return TRenumbering(std::move(Both));
}

TRenumbering TRenumbering::Inverse() const
{
    std::vector<TPair> Turned;
    Turned.reserve(FPairs.size());
    for (const auto& [From, To] : FPairs)
        Turned.emplace_back(To, From);
    return TRenumbering(std::move(Turned));
}

} // namespace permuto
