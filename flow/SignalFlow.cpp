#include "SignalFlow.h"

#include <algorithm>
#include <numeric>

#include "ProcessingOrder.h"
#include "base/Errors.h"

namespace permuto {


TLateFlow::TRows TLateFlow::Transpose(const TRows& Rows, size_t Columns)
{
    // Rows are met ascending: each list ascends.
    return TRows::Sorted(Columns, [&Rows](const auto& Visit) {
        for (size_t Row = 0; Row < Rows.Count(); ++Row)
            for (const uint32_t* Item = Rows.Begin(Row); Item != Rows.End(Row); ++Item)
                Visit(*Item, static_cast<uint32_t>(Row));
    });
}

TLateFlow::TLateFlow(const TModuleDump& Modules, const TCableDump& Cables)
{
    FIndices = SortedIndices(Modules);
    if (const auto Twice = std::adjacent_find(FIndices.begin(), FIndices.end()); Twice != FIndices.end())
        FShared = *Twice;
    FIndices.erase(std::unique(FIndices.begin(), FIndices.end()), FIndices.end());
    // Indices close together (the usual 1, 2, 3 ...) are looked up in a table.
    if (!FIndices.empty()) {
        const int64_t Span = int64_t{FIndices.back()} - FIndices.front() + 1;
        if (Span <= 4 * static_cast<int64_t>(FIndices.size()) + 64) {
            FLow = FIndices.front();
            FDenseRank.assign(static_cast<size_t>(Span), -1);
            for (size_t Rank = 0; Rank < FIndices.size(); ++Rank)
                FDenseRank[static_cast<size_t>(int64_t{FIndices[Rank]} - FLow)] = static_cast<int32_t>(Rank);
        }
    }
    BuildNets(Cables);
}

int32_t TLateFlow::RankOf(int32_t Index) const
{
    if (FDenseRank.empty())
        return RankIn(FIndices, Index);
    const int64_t Offset = int64_t{Index} - FLow;
    return Offset < 0 || Offset >= static_cast<int64_t>(FDenseRank.size()) ? -1 : FDenseRank[static_cast<size_t>(Offset)];
}

TSignalFlow::TSignalFlow(const TModuleDump& Modules, const TCableDump& Cables) : TLateFlow(Modules, Cables)
{
    FindGroups();
}

void TSignalFlow::FindGroups()
{
    // The graph: a module leads to the inputs of the nets it is an output
    // of, directly where the net has one output or one input, otherwise
    // through a node of its own for the net (modules are nodes 0 ..
    // Modules-1, such nets the nodes after them).
    const uint32_t Modules = static_cast<uint32_t>(FIndices.size());
    const size_t Nets = FNetInputs.Count();
    FNetNode.assign(Nets, UINT32_MAX);
    uint32_t Nodes = Modules;
    for (size_t Net = 0; Net < Nets; ++Net)
        if (FNetOutputs.Size(Net) > 1 && FNetInputs.Size(Net) > 1) {
            FNetNode[Net] = Nodes++;
            FNodeNet.push_back(static_cast<uint32_t>(Net));
        }

    // Strongly connected groups (Tarjan, without recursion so that long
    // chains cannot exhaust the stack).
    constexpr uint32_t None = UINT32_MAX;
    struct TNode {
        uint32_t Visit = None;
        uint32_t Low = 0;
    };
    std::vector<TNode> Node(Nodes);
    FGroup.assign(Nodes, None);
    std::vector<uint32_t> Stack;
    std::vector<TSuccessors> Calls; // each node's next successor
    uint32_t Counter = 0;
    FGroupCount = 0;
    for (uint32_t Root = 0; Root < Nodes; ++Root) {
        if (Node[Root].Visit != None)
            continue;
        Calls.push_back(Successors(Root));
        Node[Root].Visit = Node[Root].Low = Counter++;
        Stack.push_back(Root);
        while (!Calls.empty()) {
            TSuccessors& Call = Calls.back();
            const uint32_t V = Call.Node;
            if (const uint32_t W = Call.Next(*this); W != None) {
                if (Node[W].Visit == None) {
                    Node[W].Visit = Node[W].Low = Counter++;
                    Stack.push_back(W);
                    Calls.push_back(Successors(W));
                } else if (FGroup[W] == None) {
                    Node[V].Low = std::min(Node[V].Low, Node[W].Visit);
                }
                continue;
            }
            Calls.pop_back();
            if (!Calls.empty())
                Node[Calls.back().Node].Low = std::min(Node[Calls.back().Node].Low, Node[V].Low);
            if (Node[V].Low == Node[V].Visit) {
                uint32_t W;
                do {
                    W = Stack.back();
                    Stack.pop_back();
                    FGroup[W] = FGroupCount;
                } while (W != V);
                ++FGroupCount;
            }
        }
    }
    std::vector<uint32_t> Members(FGroupCount, 0);
    for (uint32_t M = 0; M < Modules; ++M)
        ++Members[FGroup[M]];
    FLoop.resize(Modules);
    for (uint32_t M = 0; M < Modules; ++M)
        FLoop[M] = Members[FGroup[M]] >= 2 ? FGroup[M] : NoGroup;
    // A pair through a net lies inside a group only when the net does: its
    // own node's group, or that of its one output or one input.
    FNetGroup.resize(Nets);
    for (size_t Net = 0; Net < Nets; ++Net)
        FNetGroup[Net] = FNetNode[Net] != UINT32_MAX ? FGroup[FNetNode[Net]]
                         : FNetOutputs.Size(Net) == 1 ? FGroup[*FNetOutputs.Begin(Net)]
                                                      : FGroup[*FNetInputs.Begin(Net)];
}

TSignalFlow::TSuccessors TSignalFlow::Successors(uint32_t Node) const
{
    TSuccessors S;
    S.Node = Node;
    const uint32_t Modules = static_cast<uint32_t>(FIndices.size());
    if (Node < Modules) {
        S.Net = FOutNets.Begin(Node);
        S.NetEnd = FOutNets.End(Node);
    } else {
        const uint32_t Net = FNodeNet[Node - Modules];
        S.Input = FNetInputs.Begin(Net);
        S.InputEnd = FNetInputs.End(Net);
    }
    return S;
}

uint32_t TSignalFlow::TSuccessors::Next(const TSignalFlow& Flow)
{
    for (;;) {
        if (Input != InputEnd)
            return *Input++;
        if (Net == NetEnd)
            return UINT32_MAX;
        const uint32_t Through = *Net++;
        if (Flow.FNetNode[Through] != UINT32_MAX)
            return Flow.FNetNode[Through];
        Input = Flow.FNetInputs.Begin(Through);
        InputEnd = Flow.FNetInputs.End(Through);
    }
}

bool TSignalFlow::SameLoop(int32_t IndexA, int32_t IndexB) const
{
    const int32_t A = RankOf(IndexA), B = RankOf(IndexB);
    return A >= 0 && B >= 0 && FLoop[static_cast<size_t>(A)] != NoGroup &&
           FLoop[static_cast<size_t>(A)] == FLoop[static_cast<size_t>(B)];
}

std::vector<std::vector<int32_t>> TSignalFlow::FeedbackGroups() const
{
    std::vector<std::vector<int32_t>> Members(FGroupCount);
    for (uint32_t M = 0; M < FIndices.size(); ++M)
        if (FLoop[M] != NoGroup)
            Members[FLoop[M]].push_back(FIndices[M]);
    std::vector<std::vector<int32_t>> Groups;
    for (std::vector<int32_t>& Group : Members)
        if (!Group.empty())
            Groups.push_back(std::move(Group));
    std::sort(Groups.begin(), Groups.end());
    return Groups;
}

} // namespace permuto
