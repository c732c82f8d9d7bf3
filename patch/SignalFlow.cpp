#include "SignalFlow.h"

#include <algorithm>
#include <functional>
#include <numeric>
#include <queue>
#include <tuple>

#include "library/Errors.h"

namespace permuto {

namespace {

// The area's module indices, ascending. A module is known to the algorithms
// below by its rank in this list, so "lower rank" means "processed earlier".
std::vector<int32_t> SortedIndices(const TModuleDump& Modules)
{
    std::vector<int32_t> Sorted;
    Sorted.reserve(static_cast<size_t>(Modules.Count()));
    for (const TModuleDef& Module : Modules.Modules())
        Sorted.push_back(Module.ModuleIndex);
    std::sort(Sorted.begin(), Sorted.end());
    return Sorted;
}

void RequireUnique(const std::vector<int32_t>& Sorted, TAreaCode Area)
{
    const auto Twice = std::adjacent_find(Sorted.begin(), Sorted.end());
    if (Twice != Sorted.end())
        throw ERenumberError(Format("Module index %d is used by two modules of the %s area; order and move need "
                                    "every index once",
                                    *Twice, AreaName(Area)));
}

// The rank of a module index, or -1 when no module has it.
int32_t RankOf(const std::vector<int32_t>& Sorted, int32_t Index)
{
    const auto Found = std::lower_bound(Sorted.begin(), Sorted.end(), Index);
    return Found != Sorted.end() && *Found == Index ? static_cast<int32_t>(Found - Sorted.begin()) : -1;
}

int32_t RequireRank(const std::vector<int32_t>& Sorted, int32_t Index, TAreaCode Area)
{
    const int32_t Rank = RankOf(Sorted, Index);
    if (Rank < 0)
        throw ERenumberError(Format("The %s area has no module with index %d", AreaName(Area), Index));
    return Rank;
}

// One connector end of a module that exists, in the net its cables put it in.
struct TNetEnd {
    uint32_t Net;
    uint8_t Kind; // 0 input, 1 output
    int32_t Rank;
    auto operator<=>(const TNetEnd&) const = default;
};

struct TNets {
    uint32_t Count = 0;
    std::vector<TNetEnd> Ends; // sorted by net, kind, rank; each once
};

class TDisjointSets {
public:
    explicit TDisjointSets(size_t Count) : FParent(Count) { std::iota(FParent.begin(), FParent.end(), 0u); }
    uint32_t Find(uint32_t X)
    {
        while (FParent[X] != X)
            X = FParent[X] = FParent[FParent[X]];
        return X;
    }
    void Join(uint32_t A, uint32_t B) { FParent[Find(A)] = Find(B); }

private:
    std::vector<uint32_t> FParent;
};

TNets BuildNets(const std::vector<int32_t>& Sorted, const TCableDump& Cables)
{
    struct TEnd {
        int32_t Module;
        int32_t Connector;
        uint8_t Kind;
    };
    const auto Key = [](const TEnd& E) { return std::tuple(E.Module, E.Connector, E.Kind); };
    std::vector<TEnd> Ends;
    Ends.reserve(2 * static_cast<size_t>(Cables.Count()));
    for (const TCableDef& Cable : Cables.Cables()) {
        Ends.push_back({Cable.Module1, Cable.Connector1, Cable.ConnectorKind1});
        Ends.push_back({Cable.Module2, Cable.Connector2, Cable.ConnectorKind2});
    }
    // Equal ends are one connector: number the distinct ones.
    std::vector<uint32_t> Order(Ends.size());
    std::iota(Order.begin(), Order.end(), 0u);
    std::sort(Order.begin(), Order.end(), [&](uint32_t A, uint32_t B) { return Key(Ends[A]) < Key(Ends[B]); });
    std::vector<uint32_t> Connector(Ends.size());
    std::vector<uint32_t> FirstOf; // a representative end of each connector
    for (size_t I = 0; I < Order.size(); ++I) {
        if (I == 0 || Key(Ends[Order[I]]) != Key(Ends[Order[I - 1]]))
            FirstOf.push_back(Order[I]);
        Connector[Order[I]] = static_cast<uint32_t>(FirstOf.size() - 1);
    }
    TDisjointSets Sets(FirstOf.size());
    for (size_t I = 0; I + 1 < Ends.size(); I += 2)
        Sets.Join(Connector[I], Connector[I + 1]);

    TNets Nets;
    std::vector<uint32_t> NetOfRoot(FirstOf.size(), UINT32_MAX);
    for (uint32_t C = 0; C < FirstOf.size(); ++C) {
        const TEnd& End = Ends[FirstOf[C]];
        const int32_t Rank = RankOf(Sorted, End.Module);
        if (Rank < 0)
            continue;
        uint32_t& Net = NetOfRoot[Sets.Find(C)];
        if (Net == UINT32_MAX)
            Net = Nets.Count++;
        Nets.Ends.push_back({Net, End.Kind, Rank});
    }
    std::sort(Nets.Ends.begin(), Nets.Ends.end());
    Nets.Ends.erase(std::unique(Nets.Ends.begin(), Nets.Ends.end()), Nets.Ends.end());
    return Nets;
}

// A directed graph in compressed rows: the successors of node V are
// Targets[First[V] .. First[V + 1]).
struct TGraph {
    std::vector<uint32_t> First;
    std::vector<uint32_t> Targets;

    TGraph(uint32_t Nodes, const std::vector<std::pair<uint32_t, uint32_t>>& Edges)
        : First(Nodes + 1, 0), Targets(Edges.size())
    {
        for (const auto& Edge : Edges)
            ++First[Edge.first + 1];
        std::partial_sum(First.begin(), First.end(), First.begin());
        std::vector<uint32_t> Fill(First.begin(), First.end() - 1);
        for (const auto& [From, To] : Edges)
            Targets[Fill[From]++] = To;
    }
    uint32_t Nodes() const { return static_cast<uint32_t>(First.size() - 1); }
};

// Strongly connected components (Tarjan, without recursion so that long
// chains cannot exhaust the stack). Returns each node's component number.
std::vector<uint32_t> Components(const TGraph& Graph, uint32_t& Count)
{
    constexpr uint32_t None = UINT32_MAX;
    const uint32_t N = Graph.Nodes();
    std::vector<uint32_t> Visit(N, None), Low(N, 0), Component(N, None);
    std::vector<uint32_t> Stack;
    std::vector<std::pair<uint32_t, uint32_t>> Calls; // node, next edge
    uint32_t Counter = 0;
    Count = 0;
    for (uint32_t Root = 0; Root < N; ++Root) {
        if (Visit[Root] != None)
            continue;
        Calls.emplace_back(Root, Graph.First[Root]);
        Visit[Root] = Low[Root] = Counter++;
        Stack.push_back(Root);
        while (!Calls.empty()) {
            auto& [V, Edge] = Calls.back();
            if (Edge < Graph.First[V + 1]) {
                const uint32_t W = Graph.Targets[Edge++];
                if (Visit[W] == None) {
                    Visit[W] = Low[W] = Counter++;
                    Stack.push_back(W);
                    Calls.emplace_back(W, Graph.First[W]);
                } else if (Component[W] == None) {
                    Low[V] = std::min(Low[V], Visit[W]);
                }
                continue;
            }
            const uint32_t Done = V;
            Calls.pop_back();
            if (!Calls.empty())
                Low[Calls.back().first] = std::min(Low[Calls.back().first], Low[Done]);
            if (Low[Done] == Visit[Done]) {
                uint32_t W;
                do {
                    W = Stack.back();
                    Stack.pop_back();
                    Component[W] = Count;
                } while (W != Done);
                ++Count;
            }
        }
    }
    return Component;
}

} // namespace

std::vector<TFeed> LateConnections(const TModuleDump& Modules, const TCableDump& Cables, size_t Limit, bool* Complete)
{
    if (Complete != nullptr)
        *Complete = true;
    std::vector<int32_t> Sorted = SortedIndices(Modules);
    Sorted.erase(std::unique(Sorted.begin(), Sorted.end()), Sorted.end());
    const TNets Nets = BuildNets(Sorted, Cables);
    std::vector<TFeed> Late;
    // Ends come grouped by net, inputs before outputs, each by ascending rank.
    for (auto Net = Nets.Ends.begin(); Net != Nets.Ends.end();) {
        const auto NetEnd = std::find_if(Net, Nets.Ends.end(), [&](const TNetEnd& E) { return E.Net != Net->Net; });
        const auto Outputs = std::find_if(Net, NetEnd, [](const TNetEnd& E) { return E.Kind == 1; });
        for (auto Out = Outputs; Out != NetEnd; ++Out)
            for (auto In = Net; In != Outputs && In->Rank < Out->Rank; ++In) {
                if (Late.size() == Limit) {
                    if (Complete != nullptr)
                        *Complete = false;
                    std::sort(Late.begin(), Late.end());
                    Late.erase(std::unique(Late.begin(), Late.end()), Late.end());
                    return Late;
                }
                Late.push_back({Sorted[static_cast<size_t>(Out->Rank)], Sorted[static_cast<size_t>(In->Rank)]});
            }
        Net = NetEnd;
    }
    std::sort(Late.begin(), Late.end());
    Late.erase(std::unique(Late.begin(), Late.end()), Late.end());
    return Late;
}

namespace {

// The signal-flow graph of an area: modules are nodes 0 .. ModuleCount-1 (by
// rank), nets the nodes after them. An output end leads from its module into
// the net, an input end from the net into its module, so a loop of modules is
// a loop here too. Group gives each node its strongly connected group.
struct TFlowGroups {
    std::vector<std::pair<uint32_t, uint32_t>> Edges;
    std::vector<uint32_t> Group;
    uint32_t GroupCount = 0;
};

TFlowGroups FlowGroups(uint32_t ModuleCount, const TNets& Nets)
{
    TFlowGroups Flow;
    Flow.Edges.reserve(Nets.Ends.size());
    for (const TNetEnd& End : Nets.Ends) {
        const uint32_t Module = static_cast<uint32_t>(End.Rank), Net = ModuleCount + End.Net;
        Flow.Edges.emplace_back(End.Kind == 1 ? std::pair(Module, Net) : std::pair(Net, Module));
    }
    const TGraph Graph(ModuleCount + Nets.Count, Flow.Edges);
    Flow.Group = Components(Graph, Flow.GroupCount);
    return Flow;
}

} // namespace

std::vector<std::vector<int32_t>> FeedbackGroups(const TModuleDump& Modules, const TCableDump& Cables)
{
    std::vector<int32_t> Sorted = SortedIndices(Modules);
    Sorted.erase(std::unique(Sorted.begin(), Sorted.end()), Sorted.end());
    const uint32_t ModuleCount = static_cast<uint32_t>(Sorted.size());
    const TFlowGroups Flow = FlowGroups(ModuleCount, BuildNets(Sorted, Cables));
    std::vector<std::vector<int32_t>> Members(Flow.GroupCount);
    for (uint32_t Rank = 0; Rank < ModuleCount; ++Rank)
        Members[Flow.Group[Rank]].push_back(Sorted[Rank]);
    std::vector<std::vector<int32_t>> Groups;
    for (std::vector<int32_t>& Group : Members)
        if (Group.size() >= 2)
            Groups.push_back(std::move(Group));
    std::sort(Groups.begin(), Groups.end());
    return Groups;
}

TLateCount CountLate(const TModuleDump& Modules, const TCableDump& Cables)
{
    std::vector<int32_t> Sorted = SortedIndices(Modules);
    Sorted.erase(std::unique(Sorted.begin(), Sorted.end()), Sorted.end());
    const TFlowGroups Flow = FlowGroups(static_cast<uint32_t>(Sorted.size()), BuildNets(Sorted, Cables));
    TLateCount Count;
    for (const TFeed& Feed : LateConnections(Modules, Cables)) {
        ++Count.Late;
        if (Flow.Group[static_cast<size_t>(RankOf(Sorted, Feed.Source))] ==
            Flow.Group[static_cast<size_t>(RankOf(Sorted, Feed.Destination))])
            ++Count.InsideLoops;
    }
    return Count;
}

TRenumbering SignalFlowOrder(const TModuleDump& Modules, const TCableDump& Cables, TAreaCode Area)
{
    const std::vector<int32_t> Sorted = SortedIndices(Modules);
    RequireUnique(Sorted, Area);
    const uint32_t ModuleCount = static_cast<uint32_t>(Sorted.size());
    const TFlowGroups Flow = FlowGroups(ModuleCount, BuildNets(Sorted, Cables));
    const auto& Edges = Flow.Edges;
    const auto& Group = Flow.Group;
    const uint32_t GroupCount = Flow.GroupCount;

    // Each group is known by its lowest rank; a group of nets alone takes no
    // place and passes on at once (key -1).
    std::vector<int64_t> Key(GroupCount, -1);
    std::vector<std::vector<uint32_t>> Members(GroupCount);
    for (uint32_t Rank = 0; Rank < ModuleCount; ++Rank) {
        if (Members[Group[Rank]].empty())
            Key[Group[Rank]] = Rank;
        Members[Group[Rank]].push_back(Rank); // ascending: the group keeps its order
    }
    std::vector<uint32_t> Waiting(GroupCount, 0);
    for (const auto& [From, To] : Edges)
        if (Group[From] != Group[To])
            ++Waiting[Group[To]];
    std::vector<std::vector<uint32_t>> Next(GroupCount);
    for (const auto& [From, To] : Edges)
        if (Group[From] != Group[To])
            Next[Group[From]].push_back(Group[To]);

    using TReady = std::pair<int64_t, uint32_t>;
    std::priority_queue<TReady, std::vector<TReady>, std::greater<>> Ready;
    for (uint32_t G = 0; G < GroupCount; ++G)
        if (Waiting[G] == 0)
            Ready.emplace(Key[G], G);
    std::vector<TRenumbering::TPair> Pairs;
    uint32_t Place = 0;
    while (!Ready.empty()) {
        const uint32_t G = Ready.top().second;
        Ready.pop();
        for (uint32_t Rank : Members[G]) {
            if (Rank != Place)
                Pairs.emplace_back(Sorted[Rank], Sorted[Place]);
            ++Place;
        }
        for (uint32_t Successor : Next[G])
            if (--Waiting[Successor] == 0)
                Ready.emplace(Key[Successor], Successor);
    }
    return TRenumbering(std::move(Pairs));
}

int32_t NeighbourInOrder(const TModuleDump& Modules, int32_t Index, int Step)
{
    std::vector<int32_t> Sorted = SortedIndices(Modules);
    Sorted.erase(std::unique(Sorted.begin(), Sorted.end()), Sorted.end());
    const int64_t Rank = RankOf(Sorted, Index);
    if (Rank < 0 || Rank + Step < 0 || Rank + Step >= static_cast<int64_t>(Sorted.size()))
        return Index;
    return Sorted[static_cast<size_t>(Rank + Step)];
}

TRenumbering ModuleMove(const TModuleDump& Modules, int32_t From, int32_t To, TAreaCode Area)
{
    const std::vector<int32_t> Sorted = SortedIndices(Modules);
    const int32_t FromRank = RequireRank(Sorted, From, Area);
    const int32_t ToRank = RequireRank(Sorted, To, Area);
    RequireUnique(Sorted, Area);
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
