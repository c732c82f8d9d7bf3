// The nets of an area: each cable end is put on a connector (module,
// connector number, kind), cables join connectors into nets, and each net
// keeps the modules it feeds from and into. Connectors are numbered in one of
// two ways: worked out from their module and key where connector numbers are
// small, as in every real patch, or by comparing the ends of each module.
#include "SignalFlow.h"

#include <algorithm>
#include <bit>
#include <numeric>

#include "ProcessingOrder.h"

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

// The ends of the cables: end 2c and 2c+1 are the two ends of cable c. Each
// end has a slot: its module's rank, or, for an index no module has, a slot
// after the modules shared by the ends on that index; and a key: its
// connector and kind.
struct TEnds {
    std::vector<uint32_t> Slot;
    std::vector<uint64_t> Key;
    size_t Modules = 0, Slots = 0;
    int64_t LowConnector = 0, HighConnector = 0;
    size_t Count() const { return Slot.size(); }
};

TEnds SlotEnds(const TLateFlow& Flow, const TCableDump& Cables)
{
    TEnds Ends;
    Ends.Modules = Flow.Indices().size();
    const size_t Count = 2 * static_cast<size_t>(Cables.Count());
    Ends.Slot.resize(Count);
    Ends.Key.resize(Count);
    std::vector<int32_t> Unknown;
    size_t End = 0;
    const auto Take = [&](int32_t Module, int32_t Connector, TRange0To1 Kind) {
        const int32_t Rank = Flow.RankOf(Module);
        Ends.Slot[End] = static_cast<uint32_t>(Rank);
        if (Rank < 0)
            Unknown.push_back(Module);
        Ends.Key[End++] = (uint64_t{static_cast<uint32_t>(Connector)} << 1) | Kind;
        Ends.LowConnector = std::min<int64_t>(Ends.LowConnector, Connector);
        Ends.HighConnector = std::max<int64_t>(Ends.HighConnector, Connector);
    };
    for (const TCableDef& Cable : Cables.Cables()) {
        Take(Cable.Module1, Cable.Connector1, Cable.ConnectorKind1);
        Take(Cable.Module2, Cable.Connector2, Cable.ConnectorKind2);
    }
    if (!Unknown.empty()) {
        std::sort(Unknown.begin(), Unknown.end());
        Unknown.erase(std::unique(Unknown.begin(), Unknown.end()), Unknown.end());
        End = 0;
        for (const TCableDef& Cable : Cables.Cables())
            for (const int32_t Module : {Cable.Module1, Cable.Module2}) {
                if (Ends.Slot[End] == UINT32_MAX)
                    Ends.Slot[End] = static_cast<uint32_t>(Ends.Modules) + static_cast<uint32_t>(RankIn(Unknown, Module));
                ++End;
            }
    }
    Ends.Slots = Ends.Modules + Unknown.size();
    return Ends;
}

// The width of the connector numbers of one slot, as a power of two, when
// numbers can be worked out from slot and key in little room; 0 otherwise.
int ComputedShift(const TEnds& Ends)
{
    const uint64_t Width = std::bit_ceil(static_cast<uint64_t>(Ends.HighConnector + 1) * 2);
    return Ends.LowConnector >= 0 && Width * Ends.Slots <= 4 * Ends.Count() + 1024 ? std::countr_zero(Width) : 0;
}

} // namespace

// Equal ends (slot, connector, kind) are one connector, numbered so that a
// lower number never has a higher slot.
struct TLateFlow::TConnectors {
    std::vector<uint32_t> Of; // per end
    size_t Count = 0;
    size_t Modules = 0;
    // Worked out: 2^Shift numbers per slot. Compared: each connector's slot
    // and kind, by its number.
    int Shift = 0;
    std::vector<uint32_t> Slot;
    std::vector<uint64_t> Kind;
    uint32_t SlotOf(size_t C) const { return Shift != 0 ? static_cast<uint32_t>(C >> Shift) : Slot[C]; }
    int KindOf(size_t C) const { return Shift != 0 ? static_cast<int>(C & 1) : static_cast<int>(Kind[C]); }
};

namespace {

using TConnectors = TLateFlow::TConnectors;

// A connector's number is its slot's first number plus its key.
TConnectors ComputedConnectors(TEnds&& Ends, int Shift)
{
    TConnectors Connectors;
    Connectors.Modules = Ends.Modules;
    Connectors.Shift = Shift;
    Connectors.Count = Ends.Slots << Shift;
    Connectors.Of = std::move(Ends.Slot); // each end's slot becomes its connector
    for (size_t End = 0; End < Connectors.Of.size(); ++End)
        Connectors.Of[End] = static_cast<uint32_t>((uint64_t{Connectors.Of[End]} << Shift) + Ends.Key[End]);
    return Connectors;
}

// The ends of each slot are compared: a few one by one, many sorted.
TConnectors ComparedConnectors(TEnds&& Ends)
{
    const size_t Count = Ends.Count();
    // The ends of each slot together (a counting sort, slots ascending).
    std::vector<uint32_t> Start(Ends.Slots + 1, 0);
    for (const uint32_t S : Ends.Slot)
        ++Start[S + 1];
    std::partial_sum(Start.begin(), Start.end(), Start.begin());
    std::vector<uint32_t> BySlot(Count);
    std::vector<uint64_t> KeyBySlot(Count);
    {
        std::vector<uint32_t> Fill(Start.begin(), Start.end() - 1);
        for (size_t End = 0; End < Count; ++End) {
            const uint32_t At = Fill[Ends.Slot[End]]++;
            BySlot[At] = static_cast<uint32_t>(End);
            KeyBySlot[At] = Ends.Key[End];
        }
    }
    TConnectors Connectors;
    Connectors.Modules = Ends.Modules;
    std::vector<uint32_t> ConnectorAt(Count); // by place in slot order
    std::vector<std::pair<uint64_t, uint32_t>> Crowded; // (key, place) of a slot with many ends
    for (size_t S = 0; S < Ends.Slots; ++S) {
        const uint32_t Begin = Start[S], End = Start[S + 1];
        const auto NewConnector = [&] {
            Connectors.Slot.push_back(static_cast<uint32_t>(S));
            return static_cast<uint32_t>(Connectors.Slot.size() - 1);
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
    Connectors.Count = Connectors.Slot.size();
    Ends.Key.clear();
    Ends.Key.shrink_to_fit();
    Connectors.Kind.resize(Connectors.Count);
    Connectors.Of = std::move(Ends.Slot); // no longer needed as slots
    for (size_t At = 0; At < Count; ++At) {
        Connectors.Of[BySlot[At]] = ConnectorAt[At];
        Connectors.Kind[ConnectorAt[At]] = KeyBySlot[At] & 1;
    }
    return Connectors;
}

} // namespace

void TLateFlow::BuildNets(const TCableDump& Cables)
{
    TEnds Ends = SlotEnds(*this, Cables);
    const int Shift = ComputedShift(Ends);
    JoinNets(Shift != 0 ? ComputedConnectors(std::move(Ends), Shift) : ComparedConnectors(std::move(Ends)));
}

void TLateFlow::JoinNets(const TConnectors& Connectors)
{
    const uint32_t Modules = static_cast<uint32_t>(Connectors.Modules);
    const std::vector<uint32_t>& ConnectorOf = Connectors.Of;
    const size_t Ends = ConnectorOf.size();

    // Cables join connectors into nets, numbered in connector order.
    TDisjointSets Sets(Connectors.Count);
    std::vector<uint8_t> Used(Connectors.Count, 0);
    for (size_t End = 0; End + 1 < Ends; End += 2) {
        Sets.Join(ConnectorOf[End], ConnectorOf[End + 1]);
        Used[ConnectorOf[End]] = Used[ConnectorOf[End + 1]] = 1;
    }
    std::vector<uint32_t> NetOf(Connectors.Count, UINT32_MAX);
    std::vector<uint32_t> OnModules; // the connectors on modules, ascending
    OnModules.reserve(Ends);
    uint32_t Nets = 0;
    for (uint32_t C = 0; C < Connectors.Count; ++C) {
        if (!Used[C])
            continue;
        const uint32_t Root = Sets.Find(C);
        if (NetOf[Root] == UINT32_MAX)
            NetOf[Root] = Nets++; // the root is the lowest connector of its net: met first
        NetOf[C] = NetOf[Root];
        if (Connectors.SlotOf(C) < Modules)
            OnModules.push_back(C);
    }

    // Each net's outputs and inputs among the modules, ascending and each
    // once: connectors come in slot order, so a counting sort by net keeps
    // the ranks of each net ascending, and a module's repeats stand together.
    TRows Side[2]; // [0] inputs, [1] outputs
    for (int Kind = 0; Kind < 2; ++Kind)
        Side[Kind] = TRows::Sorted(Nets, [&, Kind](const auto& Visit) {
            for (const uint32_t C : OnModules)
                if (Connectors.KindOf(C) == Kind)
                    Visit(NetOf[C], Connectors.SlotOf(C));
        });
    // Only nets that both feed and are fed matter; their rows, each rank
    // once, and each net's place among them.
    TRows* Kept[2] = {&FNetInputs, &FNetOutputs};
    std::vector<uint32_t> KeptOf(Nets, UINT32_MAX);
    for (uint32_t Net = 0; Net < Nets; ++Net) {
        if (Side[0].Size(Net) == 0 || Side[1].Size(Net) == 0)
            continue;
        KeptOf[Net] = static_cast<uint32_t>(FNetInputs.Count());
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
    FLateCables.assign(Ends / 2, false);
    for (size_t End = 0; End < Ends; ++End) {
        const uint32_t C = ConnectorOf[End], Net = KeptOf[NetOf[C]];
        if (Net != UINT32_MAX && Connectors.KindOf(C) == 0 && Connectors.SlotOf(C) < Modules &&
            FNetOutputs.End(Net)[-1] > Connectors.SlotOf(C))
            FLateCables[End / 2] = true;
    }
}

} // namespace permuto
