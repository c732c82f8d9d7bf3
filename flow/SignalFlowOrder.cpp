// Ordering by signal flow: feedback groups after the groups that feed them,
// and, when asked, each group arranged so that the fewest feeds between its
// members arrive late.
#include "SignalFlow.h"

#include <algorithm>
#include <numeric>
#include <queue>

#include "FewestLate.h"
#include "base/Errors.h"
#include "ProcessingOrder.h"

namespace permuto {

std::string ApproximateMessage(const TApproximateGroup& Group, TArea Area)
{
    return Format("the feedback loop of %d modules in the %s area, now modules %d to %d, was arranged by local "
                  "search; it may not be the fewest late connections",
                  Group.Members, AreaName(Area), Group.First, Group.Last);
}

std::vector<uint32_t> TSignalFlow::GroupOrder(const TRows& Members) const
{
    // Groups follow every group that feeds them; the one holding the lowest
    // rank goes first among those that could come next; a group of nets
    // alone takes no place and passes on at once (key -1).
    const auto EachSuccessor = [&](uint32_t V, auto&& Visit) {
        TSuccessors Next = Successors(V);
        for (uint32_t W; (W = Next.Next(*this)) != UINT32_MAX;)
            Visit(W);
    };
    // The edges between groups, in one pass, then in rows by group.
    std::vector<std::pair<uint32_t, uint32_t>> Between;
    for (uint32_t V = 0; V < FGroup.size(); ++V)
        EachSuccessor(V, [&](uint32_t W) {
            if (FGroup[V] != FGroup[W])
                Between.emplace_back(FGroup[V], FGroup[W]);
        });
    std::vector<uint32_t> Waiting(FGroupCount, 0);
    for (const auto& Edge : Between)
        ++Waiting[Edge.second];
    const TRows Next = TRows::Sorted(FGroupCount, [&Between](const auto& Visit) {
        for (const auto& [From, To] : Between)
            Visit(From, To);
    });

    using TReady = std::pair<int64_t, uint32_t>;
    std::priority_queue<TReady, std::vector<TReady>, std::greater<>> Ready;
    const auto Key = [&](uint32_t G) { return Members.Size(G) == 0 ? int64_t{-1} : int64_t{*Members.Begin(G)}; };
    for (uint32_t G = 0; G < FGroupCount; ++G)
        if (Waiting[G] == 0)
            Ready.emplace(Key(G), G);
    std::vector<uint32_t> Order;
    Order.reserve(FGroupCount);
    while (!Ready.empty()) {
        const uint32_t G = Ready.top().second;
        Ready.pop();
        Order.push_back(G);
        for (const uint32_t* Successor = Next.Begin(G); Successor != Next.End(G); ++Successor)
            if (--Waiting[*Successor] == 0)
                Ready.emplace(Key(*Successor), *Successor);
    }
    return Order;
}

TRenumbering TSignalFlow::Order(TArea Area, bool FewestLate, std::vector<TApproximateGroup>* Approximate) const
{
    if (FShared)
        ThrowShared(*FShared, Area);
    const uint32_t Modules = static_cast<uint32_t>(FIndices.size());
    // Each group's members, ascending: a group keeps its order.
    const TRows Members = TRows::Sorted(FGroupCount, [this, Modules](const auto& Visit) {
        for (uint32_t Rank = 0; Rank < Modules; ++Rank)
            Visit(FGroup[Rank], Rank);
    });
    std::vector<TRenumbering::TPair> Pairs;
    uint32_t Place = 0;
    std::vector<uint32_t> Arranged;
    for (const uint32_t G : GroupOrder(Members)) {
        Arranged.assign(Members.Begin(G), Members.End(G));
        if (FewestLate && Arranged.size() >= 2) {
            bool Exact = true;
            Arranged = FewestLateArrangement(Arranged, Exact);
            // Named by the indices its members have after the order: they
            // take consecutive places.
            if (!Exact && Approximate != nullptr)
                Approximate->push_back({FIndices[Place], FIndices[Place + Arranged.size() - 1],
                                        static_cast<int32_t>(Members.Size(G))});
        }
        for (const uint32_t Rank : Arranged) {
            if (Rank != Place)
                Pairs.emplace_back(FIndices[Rank], FIndices[Place]);
            ++Place;
        }
    }
    return TRenumbering(std::move(Pairs));
}

std::vector<uint32_t> TSignalFlow::FewestLateArrangement(const std::vector<uint32_t>& Members, bool& Exact) const
{
    // The feeds between members: Feeds[I] holds J when member I feeds member J.
    const uint32_t Group = FGroup[Members.front()];
    const size_t N = Members.size();
    const auto Position = [&](uint32_t Rank) {
        return static_cast<size_t>(std::lower_bound(Members.begin(), Members.end(), Rank) - Members.begin());
    };
    // Feed pairs between members, found through the nets inside the group.
    std::vector<std::pair<uint32_t, uint32_t>> Feeds;
    constexpr size_t MostFeeds = size_t(1) << 24;
    for (size_t I = 0; I < N && Feeds.size() <= MostFeeds; ++I)
        for (const uint32_t* Net = FOutNets.Begin(Members[I]); Net != FOutNets.End(Members[I]); ++Net)
            if (FNetGroup[*Net] == Group)
                for (const uint32_t* D = FNetInputs.Begin(*Net); D != FNetInputs.End(*Net); ++D)
                    if (*D != Members[I] && FGroup[*D] == Group)
                        Feeds.emplace_back(static_cast<uint32_t>(I), static_cast<uint32_t>(Position(*D)));
    std::sort(Feeds.begin(), Feeds.end());
    Feeds.erase(std::unique(Feeds.begin(), Feeds.end()), Feeds.end());
    if (Feeds.size() > MostFeeds) {
        Exact = false;
        return Members; // too many feeds to weigh: the group keeps its order
    }
    TArrangement Arrangement = FewestLateOrder(static_cast<uint32_t>(N), Feeds);
    Exact = Arrangement.Exact;
    std::vector<uint32_t> Arranged;
    Arranged.reserve(N);
    for (const uint32_t Member : Arrangement.Order)
        Arranged.push_back(Members[Member]);
    return Arranged;
}

} // namespace permuto
