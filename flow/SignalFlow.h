#pragma once
// How signals pass between the modules of one area, and the orders that
// follow from it. The instrument processes modules by ascending index, so a
// module fed by one with a higher index gets that signal a sample late.
//
// Cables join connector ends (module, connector, kind) into nets; a net is
// every end reachable through cables, so cables from input to input pass a
// signal on. In a net, each module with an output end feeds each module with
// an input end. A module feeding itself counts for nothing, and an end on an
// index that no module of the area has neither feeds nor is fed (the cables
// it meets still join their nets).
//
// Everything is worked out in time close to linear in the patch, whatever it
// holds: nets by a union of connector ends, the feeds of a net kept as its
// lists of outputs and inputs (one net of n outputs and n inputs holds n²
// pairs, which are never made unless they are listed), feedback groups
// without recursion.
#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "patch/CableDump.h"
#include "FewestLate.h"
#include "base/Rows.h"
#include "patch/ModuleDump.h"
#include "patch/Renumbering.h"

namespace permuto {

struct TFeed {
    int32_t Source = 0;
    int32_t Destination = 0;
    auto operator<=>(const TFeed&) const = default;
};

// How many pairs of an area are late, and how many of them run between
// members of one feedback group (where some pair must be late).
struct TLateCount {
    uint64_t Late = 0;
    uint64_t InsideLoops = 0;
    bool Complete = true; // false: counting stopped at its budget
};

// A feedback group above the size the fewest-late order works out exactly:
// its arrangement came from local search and may not have the fewest late
// pairs (it never has more than the group's order before).
struct TApproximateGroup {
    int32_t First = 0, Last = 0; // the lowest and highest index of its members after the order
    int32_t Members = 0;
};
// "the feedback loop of 25 modules in the poly area, now modules 3 to 27, was
// arranged by local search; it may not be the fewest late connections"
std::string ApproximateMessage(const TApproximateGroup& Group, TArea Area);

// The late pairs of an area: which modules feed which through the nets of
// its cables, and which of those feeds run against processing order. What
// listing and counting late pairs needs, without the feedback groups (a
// count of it has none inside loops).
class TLateFlow {
public:
    TLateFlow(const TModuleDump& Modules, const TCableDump& Cables);

    // The area's module indices, ascending, each once. A module is known
    // below by its rank in this list: a lower rank is processed earlier.
    const std::vector<int32_t>& Indices() const { return FIndices; }
    // The rank of the module with index Index (its place in Indices), -1
    // when no module has it. The one lookup of ranks for every reader.
    int32_t RankOf(int32_t Index) const;

    // The late pairs, each once, sorted by source and then destination.
    // Visit gives false to stop.
    void ForEachLate(const std::function<bool(const TFeed& Feed)>& Visit) const;
    // Work stops once Budget feeds were looked at one by one (most are
    // counted without); the count is then incomplete.
    TLateCount CountLate(uint64_t Budget = UINT64_MAX) const;
    // The modules that feed the module with index Index late, ascending.
    std::vector<int32_t> LateSources(int32_t Index) const;
    // For each module (by rank), how many modules feed it late. Work stops
    // once it has looked at Budget feeds; the counts are then incomplete
    // (false).
    bool LateInputCounts(std::vector<uint32_t>& Counts, uint64_t Budget = UINT64_MAX) const;
    // Whether cable number Cable (its place in the cable dump) carries a late
    // signal: one of its ends is an input of a module that its net feeds
    // late.
    bool CableLate(int32_t Cable) const { return FLateCables.at(static_cast<size_t>(Cable)); }

    // The connectors that the cables' ends are on, numbered while the nets
    // are built.
    struct TConnectors;

protected:
    static constexpr uint32_t NoGroup = UINT32_MAX;
    using TRows = permuto::TRows<uint32_t>;
    // Per item of Rows (0 .. Columns-1) the rows it stands in, ascending.
    static TRows Transpose(const TRows& Rows, size_t Columns);

    std::vector<int32_t> FIndices;
    // The lowest index that two modules share, if any: such an area cannot
    // be ordered.
    std::optional<int32_t> FShared;
    // Nets that both feed and are fed: their outputs and inputs (ranks,
    // ascending, each once), and per module the nets it is an output of.
    TRows FNetOutputs, FNetInputs, FOutNets;
    // Worked out with the feedback groups (TSignalFlow); empty here. Per
    // module its feedback group, NoGroup when it is in none; per net the
    // group its pairs lie in when they lie inside a group.
    std::vector<uint32_t> FLoop, FNetGroup;

private:
    // The nets that the cables join connectors into (SignalFlowNets.cpp).
    void BuildNets(const TCableDump& Cables);
    void JoinNets(const TConnectors& Connectors);
    // The late destinations of source S (ranks, ascending, each once).
    void LateDestinations(uint32_t S, std::vector<uint32_t>& Out, std::vector<uint32_t>& Seen) const;

    std::vector<bool> FLateCables;
    // Dense lookup of ranks when the indices lie close together.
    int32_t FLow = 0;
    std::vector<int32_t> FDenseRank;
};

// The signal flow with its feedback groups, and the orders that follow.
class TSignalFlow : public TLateFlow {
public:
    TSignalFlow(const TModuleDump& Modules, const TCableDump& Cables);

    // The feedback groups: modules that feed each other in a loop, at least
    // two in each. Members ascending; groups by their lowest member.
    std::vector<std::vector<int32_t>> FeedbackGroups() const;
    // Whether two modules belong to one feedback group.
    bool SameLoop(int32_t IndexA, int32_t IndexB) const;
    // Whether the module of that rank belongs to a feedback group.
    bool InLoop(int32_t Rank) const { return FLoop[static_cast<size_t>(Rank)] != NoGroup; }

    // The renumbering that puts the area in signal-flow order. Every
    // feedback group, and every other module as a group of its own, follows
    // every group that feeds it; among groups that could come next the one
    // holding the lowest index goes first; inside a group the modules keep
    // their order, or, with FewestLate, are arranged so that the fewest late
    // pairs run between them (among such arrangements the one whose sequence
    // of current indices is lowest). The area's indices, ascending, go to
    // the modules in that order. Groups of more than ExactLimit members
    // are arranged by local search (FewestLate.h), never with more late
    // pairs than before, and listed in Approximate. Raises
    // ERenumberError when two modules share an index (Area names the area).
    TRenumbering Order(TArea Area, bool FewestLate = false,
                       std::vector<TApproximateGroup>* Approximate = nullptr) const;

private:
    void FindGroups();
    std::vector<uint32_t> GroupOrder(const TRows& Members) const;
    std::vector<uint32_t> FewestLateArrangement(const std::vector<uint32_t>& Members, bool& Exact) const;

    // The graph whose strongly connected groups are the feedback groups:
    // modules are nodes 0 .. Modules-1; a net of one output or one input
    // leads from its outputs to its inputs directly, a larger net through a
    // node of its own (so that n outputs and n inputs take 2n edges, not n²).
    std::vector<uint32_t> FNetNode; // per net its node, or none
    std::vector<uint32_t> FNodeNet; // per node after the modules its net
    // Walks the successors of a node.
    struct TSuccessors {
        uint32_t Node = 0;
        const uint32_t* Net = nullptr;
        const uint32_t* NetEnd = nullptr;
        const uint32_t* Input = nullptr;
        const uint32_t* InputEnd = nullptr;
        // The next successor, or UINT32_MAX when there is none.
        uint32_t Next(const TSignalFlow& Flow);
    };
    TSuccessors Successors(uint32_t Node) const;
    // Per node its strongly connected group.
    std::vector<uint32_t> FGroup;
    uint32_t FGroupCount = 0;
};

} // namespace permuto
