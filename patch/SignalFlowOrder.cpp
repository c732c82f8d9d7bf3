// Ordering by signal flow: feedback groups after the groups that feed them,
// and, when asked, each group arranged so that the fewest feeds between its
// members arrive late.
#include "SignalFlow.h"

#include <algorithm>
#include <bit>
#include <numeric>
#include <queue>
#include <tuple>

#include "ProcessingOrder.h"

namespace permuto {

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
    TRows Next;
    Next.First.assign(FGroupCount + 1, 0);
    for (const auto& [From, To] : Between) {
        ++Waiting[To];
        ++Next.First[From + 1];
    }
    std::partial_sum(Next.First.begin(), Next.First.end(), Next.First.begin());
    Next.Items.resize(Next.First.back());
    std::vector<uint32_t> Fill(Next.First.begin(), Next.First.end() - 1);
    for (const auto& [From, To] : Between)
        Next.Items[Fill[From]++] = To;

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

TRenumbering TSignalFlow::Order(TAreaCode Area, bool FewestLate, std::vector<TApproximateGroup>* Approximate) const
{
    RequireGroups();
    if (FShared)
        ThrowShared(*FShared, Area);
    const uint32_t Modules = static_cast<uint32_t>(FIndices.size());
    // Each group's members, ascending: a group keeps its order.
    TRows Members;
    Members.First.assign(FGroupCount + 1, 0);
    for (uint32_t Rank = 0; Rank < Modules; ++Rank)
        ++Members.First[FGroup[Rank] + 1];
    std::partial_sum(Members.First.begin(), Members.First.end(), Members.First.begin());
    Members.Items.resize(Modules);
    {
        std::vector<uint32_t> Fill(Members.First.begin(), Members.First.end() - 1);
        for (uint32_t Rank = 0; Rank < Modules; ++Rank)
            Members.Items[Fill[FGroup[Rank]]++] = Rank;
    }
    std::vector<TRenumbering::TPair> Pairs;
    uint32_t Place = 0;
    std::vector<uint32_t> Arranged;
    for (const uint32_t G : GroupOrder(Members)) {
        Arranged.assign(Members.Begin(G), Members.End(G));
        if (FewestLate && Arranged.size() >= 2) {
            bool Exact = true;
            Arranged = FewestLateArrangement(Arranged, Exact);
            if (!Exact && Approximate != nullptr)
                Approximate->push_back({FIndices[*Members.Begin(G)], static_cast<int32_t>(Members.Size(G))});
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

    std::vector<uint32_t> Arranged;
    if (N <= static_cast<size_t>(ExactGroupLimit)) {
        // Best[Placed] is the fewest late pairs among the members not yet
        // placed, once the members of the set Placed come first. Placing
        // member V after the set S makes late every feed from V into S.
        Exact = true;
        std::vector<uint32_t> FeedsInto(N, 0);
        for (const auto& [From, To] : Feeds)
            FeedsInto[From] |= uint32_t{1} << To;
        const uint32_t All = (uint32_t{1} << N) - 1;
        std::vector<uint8_t> Best(size_t{All} + 1, 0);
        for (uint32_t Placed = All; Placed-- > 0;) {
            int Fewest = 255;
            for (uint32_t Rest = All & ~Placed; Rest != 0; Rest &= Rest - 1) {
                const unsigned V = static_cast<unsigned>(std::countr_zero(Rest));
                Fewest = std::min(Fewest, std::popcount(FeedsInto[V] & Placed) + Best[Placed | (uint32_t{1} << V)]);
            }
            Best[Placed] = static_cast<uint8_t>(Fewest);
        }
        // The lowest current index first wherever that keeps the fewest.
        for (uint32_t Placed = 0; Placed != All;)
            for (uint32_t Rest = All & ~Placed; Rest != 0; Rest &= Rest - 1) {
                const unsigned V = static_cast<unsigned>(std::countr_zero(Rest));
                if (std::popcount(FeedsInto[V] & Placed) + Best[Placed | (uint32_t{1} << V)] == Best[Placed]) {
                    Arranged.push_back(Members[V]);
                    Placed |= uint32_t{1} << V;
                    break;
                }
            }
        return Arranged;
    }

    // A larger group: the heuristic of Eades, Lin and Smyth for feedback arc
    // sets. Members that feed no member left go to the back, members fed by
    // none to the front; otherwise the member whose feeds out most outnumber
    // its feeds in goes to the front. Ties go to the lowest current index.
    Exact = false;
    if (Feeds.size() > MostFeeds)
        return Members; // too many feeds to weigh: the group keeps its order
    std::vector<std::vector<uint32_t>> Out(N), In(N);
    for (const auto& [From, To] : Feeds) {
        Out[From].push_back(To);
        In[To].push_back(From);
    }
    std::vector<int64_t> OutLeft(N), InLeft(N);
    for (size_t V = 0; V < N; ++V) {
        OutLeft[V] = static_cast<int64_t>(Out[V].size());
        InLeft[V] = static_cast<int64_t>(In[V].size());
    }
    // Buckets by (feeds out - feeds in), with lazy removal of stale entries.
    using TEntry = std::tuple<int, int64_t, uint32_t>; // class (0 source, 1 by difference, 2 sink), key, member
    std::priority_queue<TEntry, std::vector<TEntry>, std::greater<>> Queue;
    std::vector<bool> Placed(N, false);
    const auto Push = [&](uint32_t V) {
        if (InLeft[V] == 0)
            Queue.emplace(0, int64_t{V}, V);
        else if (OutLeft[V] == 0)
            Queue.emplace(2, int64_t{V}, V);
        else
            Queue.emplace(1, InLeft[V] - OutLeft[V], V);
    };
    for (uint32_t V = 0; V < N; ++V)
        Push(V);
    std::vector<uint32_t> Front, Back;
    while (!Queue.empty()) {
        const auto [Class, Key, V] = Queue.top();
        Queue.pop();
        const bool Current = (Class == 0 && InLeft[V] == 0) ||
                             (Class == 2 && InLeft[V] != 0 && OutLeft[V] == 0) ||
                             (Class == 1 && InLeft[V] != 0 && OutLeft[V] != 0 && Key == InLeft[V] - OutLeft[V]);
        if (Placed[V] || !Current)
            continue;
        Placed[V] = true;
        (Class == 2 ? Back : Front).push_back(V);
        for (const uint32_t W : Out[V])
            if (!Placed[W]) {
                --InLeft[W];
                Push(W);
            }
        for (const uint32_t W : In[V])
            if (!Placed[W]) {
                --OutLeft[W];
                Push(W);
            }
    }
    for (const uint32_t V : Front)
        Arranged.push_back(Members[V]);
    for (auto V = Back.rbegin(); V != Back.rend(); ++V)
        Arranged.push_back(Members[*V]);
    return Arranged;
}

} // namespace permuto
