#include "SignalFlow.h"

#include <algorithm>
#include <bit>
#include <numeric>

#include "ProcessingOrder.h"
#include "base/Errors.h"

namespace permuto {

namespace {

class TDisjointSets {
public:
    explicit TDisjointSets(size_t Count) : FParent(Count) { std::iota(FParent.begin(), FParent.end(), 0u); }
    uint32_t Find(uint32_t X)
    {
        while (FParent[X] != X)
            X = FParent[X] = FParent[FParent[X]];
        return X;
    }
    void Join(uint32_t A, uint32_t B)
    {
        A = Find(A);
        B = Find(B);
        if (A != B)
            FParent[std::max(A, B)] = std::min(A, B);
    }

private:
    std::vector<uint32_t> FParent;
};

} // namespace

TSignalFlow::TRows TSignalFlow::Transpose(const TRows& Rows, size_t Columns)
{
    TRows Result;
    Result.First.assign(Columns + 1, 0);
    for (const uint32_t Item : Rows.Items)
        ++Result.First[Item + 1];
    std::partial_sum(Result.First.begin(), Result.First.end(), Result.First.begin());
    Result.Items.resize(Rows.Items.size());
    std::vector<uint32_t> Fill(Result.First.begin(), Result.First.end() - 1);
    for (size_t Row = 0; Row < Rows.Count(); ++Row)
        for (const uint32_t* Item = Rows.Begin(Row); Item != Rows.End(Row); ++Item)
            Result.Items[Fill[*Item]++] = static_cast<uint32_t>(Row); // rows ascending: each list ascends
    return Result;
}

TSignalFlow::TSignalFlow(const TModuleDump& Modules, const TCableDump& Cables, bool WithGroups)
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
    if (WithGroups)
        FindGroups();
}

int32_t TSignalFlow::RankOf(int32_t Index) const
{
    if (FDenseRank.empty())
        return RankIn(FIndices, Index);
    const int64_t Offset = int64_t{Index} - FLow;
    return Offset < 0 || Offset >= static_cast<int64_t>(FDenseRank.size()) ? -1 : FDenseRank[static_cast<size_t>(Offset)];
}

void TSignalFlow::BuildNets(const TCableDump& Cables)
{
    const uint32_t Modules = static_cast<uint32_t>(FIndices.size());
    // The ends of the cables: end 2c and 2c+1 are the two ends of cable c.
    // Each end gets a slot: its module's rank, or, for an index no module
    // has, a slot after the modules shared by the ends on that index; and a
    // key: its connector and kind.
    const size_t Ends = 2 * static_cast<size_t>(Cables.Count());
    std::vector<uint32_t> Slot(Ends);
    std::vector<uint64_t> Key(Ends);
    std::vector<int32_t> Unknown;
    int64_t LowConnector = 0, HighConnector = 0;
    {
        size_t End = 0;
        const auto Take = [&](int32_t Module, int32_t Connector, TRange0To1 Kind) {
            const int32_t Rank = RankOf(Module);
            Slot[End] = static_cast<uint32_t>(Rank);
            if (Rank < 0)
                Unknown.push_back(Module);
            Key[End++] = (uint64_t{static_cast<uint32_t>(Connector)} << 1) | Kind;
            LowConnector = std::min<int64_t>(LowConnector, Connector);
            HighConnector = std::max<int64_t>(HighConnector, Connector);
        };
        for (const TCableDef& Cable : Cables.Cables()) {
            Take(Cable.Module1, Cable.Connector1, Cable.ConnectorKind1);
            Take(Cable.Module2, Cable.Connector2, Cable.ConnectorKind2);
        }
    }
    if (!Unknown.empty()) {
        std::sort(Unknown.begin(), Unknown.end());
        Unknown.erase(std::unique(Unknown.begin(), Unknown.end()), Unknown.end());
        size_t End = 0;
        for (const TCableDef& Cable : Cables.Cables())
            for (const int32_t Module : {Cable.Module1, Cable.Module2}) {
                if (Slot[End] == UINT32_MAX)
                    Slot[End] = Modules + static_cast<uint32_t>(RankIn(Unknown, Module));
                ++End;
            }
    }
    const size_t Slots = Modules + Unknown.size();

    // Equal ends (slot, connector, kind) are one connector, numbered so that
    // a lower number never has a higher slot. Where connector numbers are
    // small, as in every real patch, a connector's number is worked out from
    // its slot and key; otherwise the ends of each slot are compared.
    std::vector<uint32_t>& ConnectorOf = Slot;
    size_t Connectors = 0;
    std::vector<uint32_t> ConnectorSlot; // where numbers are not worked out
    int Shift = 0; // where they are: 2^Shift numbers per slot
    const uint64_t Width = std::bit_ceil(static_cast<uint64_t>(HighConnector + 1) * 2);
    if (LowConnector >= 0 && Width * Slots <= 4 * Ends + 1024) {
        Shift = std::countr_zero(Width);
        Connectors = Slots << Shift;
        for (size_t End = 0; End < Ends; ++End)
            ConnectorOf[End] = static_cast<uint32_t>((uint64_t{Slot[End]} << Shift) + Key[End]);
    } else {
        // The ends of each slot together (a counting sort, slots ascending).
        std::vector<uint32_t> Start(Slots + 1, 0);
        for (const uint32_t S : Slot)
            ++Start[S + 1];
        std::partial_sum(Start.begin(), Start.end(), Start.begin());
        std::vector<uint32_t> BySlot(Ends);
        std::vector<uint64_t> KeyBySlot(Ends);
        {
            std::vector<uint32_t> Fill(Start.begin(), Start.end() - 1);
            for (size_t End = 0; End < Ends; ++End) {
                const uint32_t At = Fill[Slot[End]]++;
                BySlot[At] = static_cast<uint32_t>(End);
                KeyBySlot[At] = Key[End];
            }
        }
        std::vector<uint32_t> ConnectorAt(Ends); // by place in slot order
        std::vector<std::pair<uint64_t, uint32_t>> Crowded; // (key, place) of a slot with many ends
        for (size_t S = 0; S < Slots; ++S) {
            const uint32_t Begin = Start[S], End = Start[S + 1];
            const auto NewConnector = [&] {
                ConnectorSlot.push_back(static_cast<uint32_t>(S));
                Key.push_back(0); // keeps room: Key[c] below is the connector's kind
                return static_cast<uint32_t>(ConnectorSlot.size() - 1);
            };
            if (End - Begin <= 16) {
                for (uint32_t At = Begin; At != End; ++At) {
                    uint32_t Same = Begin;
                    while (Same != At && KeyBySlot[Same] != KeyBySlot[At])
                        ++Same;
                    ConnectorAt[At] = Same != At ? ConnectorAt[Same] : NewConnector();
                }
                continue;
            }
            Crowded.clear();
            for (uint32_t At = Begin; At != End; ++At)
                Crowded.emplace_back(KeyBySlot[At], At);
            std::sort(Crowded.begin(), Crowded.end());
            for (size_t I = 0; I < Crowded.size(); ++I)
                ConnectorAt[Crowded[I].second] = I > 0 && Crowded[I].first == Crowded[I - 1].first
                                                     ? ConnectorAt[Crowded[I - 1].second]
                                                     : NewConnector();
        }
        Connectors = ConnectorSlot.size();
        // Each connector's kind, by its number.
        std::vector<uint64_t> KindOf(Connectors);
        for (size_t At = 0; At < Ends; ++At) {
            ConnectorOf[BySlot[At]] = ConnectorAt[At];
            KindOf[ConnectorAt[At]] = KeyBySlot[At] & 1;
        }
        Key = std::move(KindOf);
    }
    const auto SlotOfConnector = [&](size_t C) {
        return Shift != 0 ? static_cast<uint32_t>(C >> Shift) : ConnectorSlot[C];
    };
    const auto KindOfConnector = [&](size_t C) { return Shift != 0 ? static_cast<int>(C & 1) : static_cast<int>(Key[C]); };

    // Cables join connectors into nets, numbered in connector order.
    TDisjointSets Sets(Connectors);
    std::vector<uint8_t> Used(Connectors, 0);
    for (size_t End = 0; End + 1 < Ends; End += 2) {
        Sets.Join(ConnectorOf[End], ConnectorOf[End + 1]);
        Used[ConnectorOf[End]] = Used[ConnectorOf[End + 1]] = 1;
    }
    std::vector<uint32_t> NetOf(Connectors, UINT32_MAX);
    std::vector<uint32_t> OnModules; // the connectors on modules, ascending
    OnModules.reserve(Ends);
    uint32_t Nets = 0;
    for (uint32_t C = 0; C < Connectors; ++C) {
        if (!Used[C])
            continue;
        const uint32_t Root = Sets.Find(C);
        if (NetOf[Root] == UINT32_MAX)
            NetOf[Root] = Nets++; // the root is the lowest connector of its net: met first
        NetOf[C] = NetOf[Root];
        if (SlotOfConnector(C) < Modules)
            OnModules.push_back(C);
    }

    // Each net's outputs and inputs among the modules, ascending and each
    // once: connectors come in slot order, so a counting sort by net keeps
    // the ranks of each net ascending, and a module's repeats stand together.
    TRows Side[2]; // [0] inputs, [1] outputs
    for (TRows& Rows : Side)
        Rows.First.assign(Nets + 1, 0);
    for (const uint32_t C : OnModules)
        ++Side[KindOfConnector(C)].First[NetOf[C] + 1];
    for (TRows& Rows : Side) {
        std::partial_sum(Rows.First.begin(), Rows.First.end(), Rows.First.begin());
        Rows.Items.resize(Rows.First.back());
    }
    {
        std::vector<uint32_t> Fill[2] = {{Side[0].First.begin(), Side[0].First.end() - 1},
                                         {Side[1].First.begin(), Side[1].First.end() - 1}};
        for (const uint32_t C : OnModules) {
            const int Kind = KindOfConnector(C);
            Side[Kind].Items[Fill[Kind][NetOf[C]]++] = SlotOfConnector(C);
        }
    }
    // Only nets that both feed and are fed matter; their rows, each rank once.
    TRows* Kept[2] = {&FNetInputs, &FNetOutputs};
    for (uint32_t Net = 0; Net < Nets; ++Net) {
        if (Side[0].Size(Net) == 0 || Side[1].Size(Net) == 0)
            continue;
        for (int Kind = 0; Kind < 2; ++Kind) {
            TRows& Rows = *Kept[Kind];
            const uint32_t* Begin = Side[Kind].Begin(Net);
            const uint32_t* End = Side[Kind].End(Net);
            for (const uint32_t* Rank = Begin; Rank != End; ++Rank)
                if (Rank == Begin || *Rank != Rank[-1])
                    Rows.Items.push_back(*Rank);
            Rows.First.push_back(static_cast<uint32_t>(Rows.Items.size()));
        }
    }
    FOutNets = Transpose(FNetOutputs, Modules);

    // A cable carries a late signal when one of its ends is an input of a
    // module that the net feeds late: a higher output stands in the net.
    std::vector<uint32_t> KeptOf(Nets, UINT32_MAX);
    for (uint32_t Net = 0, Kept = 0; Net < Nets; ++Net)
        if (Side[0].Size(Net) != 0 && Side[1].Size(Net) != 0)
            KeptOf[Net] = Kept++;
    FLateCables.assign(Ends / 2, false);
    for (size_t End = 0; End < Ends; ++End) {
        const uint32_t C = ConnectorOf[End], Net = KeptOf[NetOf[C]];
        if (Net != UINT32_MAX && KindOfConnector(C) == 0 && SlotOfConnector(C) < Modules &&
            FNetOutputs.End(Net)[-1] > SlotOfConnector(C))
            FLateCables[End / 2] = true;
    }
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
    RequireGroups();
    const int32_t A = RankOf(IndexA), B = RankOf(IndexB);
    return A >= 0 && B >= 0 && FLoop[static_cast<size_t>(A)] != NoGroup &&
           FLoop[static_cast<size_t>(A)] == FLoop[static_cast<size_t>(B)];
}

void TSignalFlow::RequireGroups() const
{
    if (FLoop.size() != FIndices.size())
        throw EAssertionFailed("The signal flow was worked out without its feedback groups");
}

std::vector<std::vector<int32_t>> TSignalFlow::FeedbackGroups() const
{
    RequireGroups();
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
