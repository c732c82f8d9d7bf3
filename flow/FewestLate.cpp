#include "FewestLate.h"

#include "base/Rows.h"

#include <algorithm>
#include <bit>
#include <numeric>
#include <queue>
#include <tuple>

namespace permuto {

namespace {

// Feeds in rows by member: the members each feeds, or (Reverse) is fed by.
using TAdjacency = TRows<uint32_t>;

TAdjacency Adjacency(uint32_t N, const TFeedPairs& Feeds, bool Reverse)
{
    return TAdjacency::Sorted(N, [&Feeds, Reverse](const auto& Visit) {
        for (const auto& [From, To] : Feeds)
            Visit(Reverse ? To : From, Reverse ? From : To);
    });
}

std::vector<uint32_t> ExactOrder(uint32_t N, const TFeedPairs& Feeds)
{
    // Best[Placed] is the fewest late feeds among the members not yet
    // placed, once the members of the set Placed come first. Placing member
    // V after the set S makes late every feed from V into S.
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
    // The lowest member first wherever that keeps the fewest.
    std::vector<uint32_t> Order;
    for (uint32_t Placed = 0; Placed != All;)
        for (uint32_t Rest = All & ~Placed; Rest != 0; Rest &= Rest - 1) {
            const unsigned V = static_cast<unsigned>(std::countr_zero(Rest));
            if (std::popcount(FeedsInto[V] & Placed) + Best[Placed | (uint32_t{1} << V)] == Best[Placed]) {
                Order.push_back(V);
                Placed |= uint32_t{1} << V;
                break;
            }
        }
    return Order;
}

// Peels the group: a member that feeds no member left goes to the back, one
// fed by no member left to the front; when there is neither, the member
// whose feeds out most outnumber its feeds in goes to the front. Ties go to
// the lowest member.
std::vector<uint32_t> PeelingOrder(uint32_t N, const TAdjacency& Out, const TAdjacency& In)
{
    std::vector<int64_t> OutLeft(N), InLeft(N);
    for (uint32_t V = 0; V < N; ++V) {
        OutLeft[V] = static_cast<int64_t>(Out.Size(V));
        InLeft[V] = static_cast<int64_t>(In.Size(V));
    }
    enum : int { Sink, Source, ByDifference };
    const auto ClassOf = [&](uint32_t V) { return OutLeft[V] == 0 ? Sink : InLeft[V] == 0 ? Source : ByDifference; };
    const auto KeyOf = [&](uint32_t V) { return ClassOf(V) == ByDifference ? InLeft[V] - OutLeft[V] : int64_t{0}; };
    // Entries go stale as feeds are taken away; a stale one is skipped.
    using TEntry = std::tuple<int, int64_t, uint32_t>;
    std::priority_queue<TEntry, std::vector<TEntry>, std::greater<>> Queue;
    for (uint32_t V = 0; V < N; ++V)
        Queue.emplace(ClassOf(V), KeyOf(V), V);
    std::vector<bool> Placed(N, false);
    std::vector<uint32_t> Front, Back;
    while (!Queue.empty()) {
        const auto [Class, Key, V] = Queue.top();
        Queue.pop();
        if (Placed[V] || Class != ClassOf(V) || Key != KeyOf(V))
            continue;
        Placed[V] = true;
        (Class == Sink ? Back : Front).push_back(V);
        for (const uint32_t* W = Out.Begin(V); W != Out.End(V); ++W)
            if (!Placed[*W]) {
                --InLeft[*W];
                Queue.emplace(ClassOf(*W), KeyOf(*W), *W);
            }
        for (const uint32_t* W = In.Begin(V); W != In.End(V); ++W)
            if (!Placed[*W]) {
                --OutLeft[*W];
                Queue.emplace(ClassOf(*W), KeyOf(*W), *W);
            }
    }
    Front.insert(Front.end(), Back.rbegin(), Back.rend());
    return Front;
}

// The members in reverse postorder of a depth-first walk along feeds from
// Start (then from each member not reached, in order): only feeds the walk
// meets going back to a member still on its path are late. A loop that is a
// chain with one feed back comes out with just that feed late.
std::vector<uint32_t> WalkOrder(uint32_t N, const TAdjacency& Out, uint32_t Start)
{
    std::vector<uint8_t> Seen(N, 0);
    std::vector<uint32_t> Finished;
    Finished.reserve(N);
    std::vector<std::pair<uint32_t, const uint32_t*>> Path;
    for (uint32_t K = 0; K < N; ++K) {
        const uint32_t Root = K == 0 ? Start : K - (K <= Start ? 1 : 0);
        if (Seen[Root])
            continue;
        Seen[Root] = 1;
        Path.emplace_back(Root, Out.Begin(Root));
        while (!Path.empty()) {
            auto& [V, Next] = Path.back();
            if (Next == Out.End(V)) {
                Finished.push_back(V);
                Path.pop_back();
                continue;
            }
            const uint32_t W = *Next++;
            if (!Seen[W]) {
                Seen[W] = 1;
                Path.emplace_back(W, Out.Begin(W));
            }
        }
    }
    std::reverse(Finished.begin(), Finished.end());
    return Finished;
}

// Moves one member at a time to the place where the fewest of its feeds are
// late, while that is fewer than where it stands; passes over all members
// until a pass moves none or Work is spent.
void ImproveByMoves(std::vector<uint32_t>& Order, const TAdjacency& Out, const TAdjacency& In, uint64_t Work)
{
    const uint32_t N = static_cast<uint32_t>(Order.size());
    std::vector<uint32_t> Place(N);
    for (uint32_t P = 0; P < N; ++P)
        Place[Order[P]] = P;
    // (place among the others, +1 for a feed out of V, -1 for one into V)
    std::vector<std::pair<uint32_t, int>> Marks;
    for (bool Moved = true; Moved && Work > 0;) {
        Moved = false;
        for (uint32_t V = 0; V < N && Work > 0; ++V) {
            const uint32_t From = Place[V];
            // Places among the other members: V goes before the member at
            // Gap. Standing at Gap, a feed out of V to a member before it is
            // late, and a feed into V from a member at or after it.
            Marks.clear();
            const auto Among = [&](uint32_t W) { return Place[W] > From ? Place[W] - 1 : Place[W]; };
            int64_t Late = 0; // at Gap 0: every feed into V
            for (const uint32_t* W = Out.Begin(V); W != Out.End(V); ++W)
                Marks.emplace_back(Among(*W), +1);
            for (const uint32_t* W = In.Begin(V); W != In.End(V); ++W) {
                Marks.emplace_back(Among(*W), -1);
                ++Late;
            }
            Work -= std::min<uint64_t>(Work, Marks.size() + 1);
            std::sort(Marks.begin(), Marks.end());
            // Late feeds where V stands now, and the gap with the fewest:
            // the count changes only past a member V shares a feed with.
            int64_t Here = Late;
            for (const auto& [At, Change] : Marks)
                if (At < From)
                    Here += Change;
            int64_t Best = Late;
            uint32_t BestGap = 0;
            for (size_t I = 0; I < Marks.size();) {
                const uint32_t At = Marks[I].first;
                for (; I < Marks.size() && Marks[I].first == At; ++I)
                    Late += Marks[I].second;
                if (Late < Best) { // just after the member at At
                    Best = Late;
                    BestGap = At + 1;
                }
            }
            if (Best >= Here)
                continue;
            // Shift the members between, then put V at BestGap.
            if (BestGap < From) {
                std::move_backward(Order.begin() + BestGap, Order.begin() + From, Order.begin() + From + 1);
                for (uint32_t P = BestGap + 1; P <= From; ++P)
                    Place[Order[P]] = P;
            } else {
                std::move(Order.begin() + From + 1, Order.begin() + BestGap + 1, Order.begin() + From);
                for (uint32_t P = From; P < BestGap; ++P)
                    Place[Order[P]] = P;
            }
            Order[BestGap] = V;
            Place[V] = BestGap;
            Work -= std::min<uint64_t>(Work, (BestGap < From ? From - BestGap : BestGap - From) + 1);
            Moved = true;
        }
    }
}

} // namespace

uint64_t LateFeeds(const std::vector<uint32_t>& Order, const TFeedPairs& Feeds)
{
    std::vector<uint32_t> Place(Order.size());
    for (uint32_t P = 0; P < Order.size(); ++P)
        Place[Order[P]] = P;
    uint64_t Late = 0;
    for (const auto& [From, To] : Feeds)
        Late += Place[To] < Place[From];
    return Late;
}

TArrangement FewestLateOrder(uint32_t Members, const TFeedPairs& Feeds, uint64_t Work)
{
    if (Members <= ExactLimit)
        return {ExactOrder(Members, Feeds), true};
    const TAdjacency Out = Adjacency(Members, Feeds, false), In = Adjacency(Members, Feeds, true);
    std::vector<uint32_t> Current(Members);
    std::iota(Current.begin(), Current.end(), 0u);
    // Starts besides the current order: the peeling order, and walks from
    // the first member of each and from the members whose feeds out most
    // outnumber their feeds in.
    std::vector<std::vector<uint32_t>> Starts;
    Starts.push_back(Current);
    Starts.push_back(PeelingOrder(Members, Out, In));
    std::vector<uint32_t> Roots = {0, Starts.back().front()};
    std::vector<uint32_t> ByBalance(Current);
    std::partial_sort(ByBalance.begin(), ByBalance.begin() + 4, ByBalance.end(), [&](uint32_t A, uint32_t B) {
        const int64_t BalanceA = static_cast<int64_t>(Out.Size(A)) - static_cast<int64_t>(In.Size(A));
        const int64_t BalanceB = static_cast<int64_t>(Out.Size(B)) - static_cast<int64_t>(In.Size(B));
        return BalanceA != BalanceB ? BalanceA > BalanceB : A < B;
    });
    Roots.insert(Roots.end(), ByBalance.begin(), ByBalance.begin() + 4);
    for (const uint32_t Root : Roots)
        Starts.push_back(WalkOrder(Members, Out, Root));
    // The current order is improved too: the result is never worse than
    // what moves alone make of the order the user has.
    size_t Best = 1;
    uint64_t BestLate = LateFeeds(Starts[Best], Feeds);
    for (size_t S = 2; S < Starts.size(); ++S)
        if (const uint64_t Late = LateFeeds(Starts[S], Feeds); Late < BestLate) {
            Best = S;
            BestLate = Late;
        }
    std::vector<uint32_t> Order = std::move(Starts[Best]);
    ImproveByMoves(Current, Out, In, Work / 2);
    ImproveByMoves(Order, Out, In, Work / 2);
    if (LateFeeds(Current, Feeds) <= LateFeeds(Order, Feeds))
        Order = std::move(Current);
    return {std::move(Order), false};
}

} // namespace permuto
