#pragma once
// A renumbering of the modules of one area: old index -> new index. Indices it
// does not name keep their number. A swap is the renumbering of two indices;
// ordering and moving produce one that permutes the indices in use.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <utility>
#include <vector>

namespace permuto {

class TRenumbering {
public:
    using TPair = std::pair<int32_t, int32_t>; // old index, new index

    TRenumbering() = default;
    // Pairs whose old index is named twice: the first one counts.
    explicit TRenumbering(std::vector<TPair> Pairs);
    // Exchanges A and B; A equal to B renumbers nothing.
    static TRenumbering Swap(int32_t A, int32_t B);

    // The new number of Index.
    int32_t operator()(int32_t Index) const
    {
        switch (FLookup) {
        case TLookup::Pair: // a swap, the common case: two comparisons
            return Index == FPairs[0].first ? FPairs[0].second : Index == FPairs[1].first ? FPairs[1].second : Index;
        case TLookup::Dense:
            if (Index < FLow || Index > FHigh)
                return Index;
            return FDense[static_cast<size_t>(static_cast<int64_t>(Index) - FLow)];
        case TLookup::Sparse: {
            const auto Found = std::lower_bound(FSparse.begin(), FSparse.end(), Index,
                                                [](const TPair& P, int32_t I) { return P.first < I; });
            return Found != FSparse.end() && Found->first == Index ? Found->second : Index;
        }
        default:
            return Index;
        }
    }
    void Apply(int32_t& Index) const { Index = (*this)(Index); }

    // True when no index changes.
    bool IsIdentity() const;
    // The pairs as given (those that change nothing included).
    const std::vector<TPair>& Pairs() const { return FPairs; }
    // Every pair turned round; the inverse of a permutation undoes it.
    TRenumbering Inverse() const;
    // First this renumbering, then Then: one that gives each index
    // Then(this(index)). Pairs that change nothing are left out.
    TRenumbering FollowedBy(const TRenumbering& Then) const;

private:
    std::vector<TPair> FPairs;
    // Lookup: the two pairs themselves for a swap, a table over Low..High
    // when the old indices lie close together, the pairs sorted by old index
    // when they are scattered (a search in them takes the same time whatever
    // the indices are; no choice of indices can make it slow).
    enum class TLookup : uint8_t { None, Pair, Dense, Sparse };
    TLookup FLookup = TLookup::None;
    int32_t FLow = 0;
    int32_t FHigh = 0;
    std::vector<int32_t> FDense;
    std::vector<TPair> FSparse;
};

} // namespace permuto
