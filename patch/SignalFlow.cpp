#include "SignalFlow.h"

#include <algorithm>
#include <bit>
#include <numeric>
#include <queue>

#include "library/Errors.h"

namespace permuto {

namespace {

// The area's module indices in dump order, sorted (most patches list them
// in order already).
std::vector<int32_t> SortedIndices(const TModuleDump& Modules)
{
    std::vector<int32_t> Sorted;
    Sorted.reserve(static_cast<size_t>(Modules.Count()));
    for (const TModuleDef& Module : Modules.Modules())
        Sorted.push_back(Module.ModuleIndex);
    if (!std::is_sorted(Sorted.begin(), Sorted.end()))
        std::sort(Sorted.begin(), Sorted.end());
    return Sorted;
}

[[noreturn]] void ThrowShared(int32_t Index, TAreaCode Area)
{
    throw ERenumberError(Format("Module index %d is used by two modules of the %s area; order and move need "
                                "every index once",
                                Index, AreaName(Area)));
}

// The rank of a module index in a sorted list, or -1 when no module has it.
int32_t RankIn(const std::vector<int32_t>& Sorted, int32_t Index)
{
    const auto Found = std::lower_bound(Sorted.begin(), Sorted.end(), Index);
    return Found != Sorted.end() && *Found == Index ? static_cast<int32_t>(Found - Sorted.begin()) : -1;
}

int32_t RequireRank(const std::vector<int32_t>& Sorted, int32_t Index, TAreaCode Area)
{
    const int32_t Rank = RankIn(Sorted, Index);
    if (Rank < 0)
        throw ERenumberError(Format("The %s area has no module with index %d", AreaName(Area), Index));
    return Rank;
}

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

// The items of a sorted row below (or above) a value.
const uint32_t* LowerBound(const uint32_t* Begin, const uint32_t* End, uint32_t Value)
{
    return std::lower_bound(Begin, End, Value);
}

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

void TSignalFlow::LateDestinations(uint32_t S, std::vector<uint32_t>& Out, std::vector<uint32_t>& Seen) const
{
    Out.clear();
    for (const uint32_t* Net = FOutNets.Begin(S); Net != FOutNets.End(S); ++Net) {
        const uint32_t* Begin = FNetInputs.Begin(*Net);
        const uint32_t* End = LowerBound(Begin, FNetInputs.End(*Net), S);
        if (FOutNets.Size(S) == 1) {
            Out.assign(Begin, End);
            return;
        }
        for (const uint32_t* D = Begin; D != End; ++D)
            if (Seen[*D] != S) {
                Seen[*D] = S;
                Out.push_back(*D);
            }
    }
    std::sort(Out.begin(), Out.end());
}

void TSignalFlow::ForEachLate(const std::function<bool(const TFeed& Feed)>& Visit) const
{
    std::vector<uint32_t> Destinations, Seen(FIndices.size(), UINT32_MAX);
    for (uint32_t S = 0; S < FIndices.size(); ++S) {
        LateDestinations(S, Destinations, Seen);
        for (const uint32_t D : Destinations)
            if (!Visit({FIndices[S], FIndices[D]}))
                return;
    }
}

TLateCount TSignalFlow::CountLate(uint64_t Budget) const
{
    const uint32_t Modules = static_cast<uint32_t>(FIndices.size());
    const bool Loops = FLoop.size() == Modules; // without groups: nothing counted inside loops
    // For a net inside a feedback group, its inputs in that group: a pair
    // through a net lies inside a group only when the net lies in it too.
    TRows LoopInputs;
    for (uint32_t Net = 0; Loops && Net < FNetInputs.Count(); ++Net) {
        const uint32_t Group = FNetGroup[Net];
        for (const uint32_t* D = FNetInputs.Begin(Net); D != FNetInputs.End(Net); ++D)
            if (FLoop[*D] == Group)
                LoopInputs.Items.push_back(*D);
        LoopInputs.First.push_back(static_cast<uint32_t>(LoopInputs.Items.size()));
    }
    TLateCount Count;
    std::vector<uint32_t> Seen(Modules, UINT32_MAX);
    for (uint32_t S = 0; S < Modules; ++S) {
        if (FOutNets.Size(S) == 1) { // the usual case: counted, not listed
            const uint32_t Net = *FOutNets.Begin(S);
            Count.Late += static_cast<uint64_t>(LowerBound(FNetInputs.Begin(Net), FNetInputs.End(Net), S) -
                                                FNetInputs.Begin(Net));
            // S's one net is its only way out: it lies in S's group when S
            // lies in a loop, and its inputs in that group are listed.
            if (Loops && FLoop[S] != NoGroup)
                Count.InsideLoops += static_cast<uint64_t>(
                    LowerBound(LoopInputs.Begin(Net), LoopInputs.End(Net), S) - LoopInputs.Begin(Net));
            continue;
        }
        for (const uint32_t* Net = FOutNets.Begin(S); Net != FOutNets.End(S); ++Net)
            for (const uint32_t* D = FNetInputs.Begin(*Net); D != FNetInputs.End(*Net) && *D < S; ++D) {
                if (Budget-- == 0) {
                    Count.Complete = false;
                    return Count;
                }
                if (Seen[*D] != S) {
                    Seen[*D] = S;
                    ++Count.Late;
                    Count.InsideLoops += Loops && FLoop[S] != NoGroup && FLoop[*D] == FLoop[S];
                }
            }
    }
    return Count;
}

std::vector<int32_t> TSignalFlow::LateSources(int32_t Index) const
{
    std::vector<int32_t> Sources;
    const int32_t D = RankOf(Index);
    if (D < 0)
        return Sources;
    // The nets that module D is an input of are looked for (a tooltip asks
    // for one module at a time).
    for (size_t Net = 0; Net < FNetInputs.Count(); ++Net)
        if (std::binary_search(FNetInputs.Begin(Net), FNetInputs.End(Net), static_cast<uint32_t>(D)))
            for (const uint32_t* S = LowerBound(FNetOutputs.Begin(Net), FNetOutputs.End(Net), static_cast<uint32_t>(D) + 1);
                 S != FNetOutputs.End(Net); ++S)
                Sources.push_back(FIndices[*S]);
    std::sort(Sources.begin(), Sources.end());
    Sources.erase(std::unique(Sources.begin(), Sources.end()), Sources.end());
    return Sources;
}

bool TSignalFlow::LateInputCounts(std::vector<uint32_t>& Counts, uint64_t Budget) const
{
    const uint32_t Modules = static_cast<uint32_t>(FIndices.size());
    Counts.assign(Modules, 0);
    const TRows FInNets = Transpose(FNetInputs, Modules); // per module the nets it is an input of
    std::vector<uint32_t> Seen(Modules, UINT32_MAX);
    for (uint32_t D = 0; D < Modules; ++D) {
        if (FInNets.Size(D) == 1) {
            const uint32_t Net = *FInNets.Begin(D);
            Counts[D] = static_cast<uint32_t>(FNetOutputs.End(Net) -
                                              LowerBound(FNetOutputs.Begin(Net), FNetOutputs.End(Net), D + 1));
            continue;
        }
        for (const uint32_t* Net = FInNets.Begin(D); Net != FInNets.End(D); ++Net)
            for (const uint32_t* S = LowerBound(FNetOutputs.Begin(*Net), FNetOutputs.End(*Net), D + 1);
                 S != FNetOutputs.End(*Net); ++S) {
                if (Budget-- == 0)
                    return false;
                if (Seen[*S] != D) {
                    Seen[*S] = D;
                    ++Counts[D];
                }
            }
    }
    return true;
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

int32_t NeighbourInOrder(const TModuleDump& Modules, int32_t Index, int Step)
{
    std::vector<int32_t> Sorted = SortedIndices(Modules);
    Sorted.erase(std::unique(Sorted.begin(), Sorted.end()), Sorted.end());
    const int64_t Rank = RankIn(Sorted, Index);
    if (Rank < 0 || Rank + Step < 0 || Rank + Step >= static_cast<int64_t>(Sorted.size()))
        return Index;
    return Sorted[static_cast<size_t>(Rank + Step)];
}

TRenumbering ModuleMove(const TModuleDump& Modules, int32_t From, int32_t To, TAreaCode Area)
{
    const std::vector<int32_t> Sorted = SortedIndices(Modules);
    const int32_t FromRank = RequireRank(Sorted, From, Area);
    const int32_t ToRank = RequireRank(Sorted, To, Area);
    if (const auto Twice = std::adjacent_find(Sorted.begin(), Sorted.end()); Twice != Sorted.end())
        ThrowShared(*Twice, Area);
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
