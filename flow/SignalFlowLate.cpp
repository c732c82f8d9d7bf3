// The late connections of a signal flow: listed as they are found, counted
// without listing them, and per module.
#include "SignalFlow.h"

#include <algorithm>

namespace permuto {

void TLateFlow::LateDestinations(uint32_t S, std::vector<uint32_t>& Out, std::vector<uint32_t>& Seen) const
{
    Out.clear();
    for (const uint32_t* Net = FOutNets.Begin(S); Net != FOutNets.End(S); ++Net) {
        const uint32_t* Begin = FNetInputs.Begin(*Net);
        const uint32_t* End = std::lower_bound(Begin, FNetInputs.End(*Net), S);
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

void TLateFlow::ForEachLate(const std::function<bool(const TFeed& Feed)>& Visit) const
{
    std::vector<uint32_t> Destinations, Seen(FIndices.size(), UINT32_MAX);
    for (uint32_t S = 0; S < FIndices.size(); ++S) {
        LateDestinations(S, Destinations, Seen);
        for (const uint32_t D : Destinations)
            if (!Visit({FIndices[S], FIndices[D]}))
                return;
    }
}

TLateCount TLateFlow::CountLate(uint64_t Budget) const
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
            Count.Late += static_cast<uint64_t>(std::lower_bound(FNetInputs.Begin(Net), FNetInputs.End(Net), S) -
                                                FNetInputs.Begin(Net));
            // S's one net is its only way out: it lies in S's group when S
            // lies in a loop, and its inputs in that group are listed.
            if (Loops && FLoop[S] != NoGroup)
                Count.InsideLoops += static_cast<uint64_t>(
                    std::lower_bound(LoopInputs.Begin(Net), LoopInputs.End(Net), S) - LoopInputs.Begin(Net));
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

std::vector<int32_t> TLateFlow::LateSources(int32_t Index) const
{
    std::vector<int32_t> Sources;
    const int32_t D = RankOf(Index);
    if (D < 0)
        return Sources;
    // The nets that module D is an input of are looked for (a tooltip asks
    // for one module at a time).
    for (size_t Net = 0; Net < FNetInputs.Count(); ++Net)
        if (std::binary_search(FNetInputs.Begin(Net), FNetInputs.End(Net), static_cast<uint32_t>(D)))
            for (const uint32_t* S = std::lower_bound(FNetOutputs.Begin(Net), FNetOutputs.End(Net), static_cast<uint32_t>(D) + 1);
                 S != FNetOutputs.End(Net); ++S)
                Sources.push_back(FIndices[*S]);
    std::sort(Sources.begin(), Sources.end());
    Sources.erase(std::unique(Sources.begin(), Sources.end()), Sources.end());
    return Sources;
}

bool TLateFlow::LateInputCounts(std::vector<uint32_t>& Counts, uint64_t Budget) const
{
    const uint32_t Modules = static_cast<uint32_t>(FIndices.size());
    Counts.assign(Modules, 0);
    const TRows FInNets = Transpose(FNetInputs, Modules); // per module the nets it is an input of
    std::vector<uint32_t> Seen(Modules, UINT32_MAX);
    for (uint32_t D = 0; D < Modules; ++D) {
        if (FInNets.Size(D) == 1) {
            const uint32_t Net = *FInNets.Begin(D);
            Counts[D] = static_cast<uint32_t>(FNetOutputs.End(Net) -
                                              std::lower_bound(FNetOutputs.Begin(Net), FNetOutputs.End(Net), D + 1));
            continue;
        }
        for (const uint32_t* Net = FInNets.Begin(D); Net != FInNets.End(D); ++Net)
            for (const uint32_t* S = std::lower_bound(FNetOutputs.Begin(*Net), FNetOutputs.End(*Net), D + 1);
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

} // namespace permuto
