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
#include <compare>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "CableDump.h"
#include "ModuleDump.h"
#include "Renumbering.h"

namespace permuto {

struct TFeed {
    int32_t Source = 0;
    int32_t Destination = 0;
    auto operator<=>(const TFeed&) const = default;
};

// Every pair of the area where the source's index is above the
// destination's, each once, sorted by source and then destination. A net
// that joins many outputs to many inputs feeds each of those inputs from each
// output, so the pairs can grow with the square of the patch: when more than
// Limit are met, the pairs found so far are given and Complete (when asked
// for) is false.
std::vector<TFeed> LateConnections(const TModuleDump& Modules, const TCableDump& Cables, size_t Limit = SIZE_MAX,
                                   bool* Complete = nullptr);

// How many pairs of the area are late, and how many of them run between
// members of one feedback group (where some pair must be late).
struct TLateCount {
    uint64_t Late = 0;
    uint64_t InsideLoops = 0;
};
TLateCount CountLate(const TModuleDump& Modules, const TCableDump& Cables);

// The feedback groups of the area: modules that feed each other in a loop,
// at least two in each. Members ascending; groups by their lowest member.
std::vector<std::vector<int32_t>> FeedbackGroups(const TModuleDump& Modules, const TCableDump& Cables);

// The renumbering that puts the area in signal-flow order. Modules feeding
// each other in a loop form a feedback group; every other module is a group
// of its own. Groups follow every group that feeds them; among groups that
// could come next the one holding the lowest index goes first; inside a group
// modules keep their order. The area's indices, ascending, go to the modules
// in that order, so the set of indices in use stays the same.
// Raises ERenumberError when two modules share an index (Area names the area
// in the message).
TRenumbering SignalFlowOrder(const TModuleDump& Modules, const TCableDump& Cables, TAreaCode Area);

// The index of the module Step places after (negative: before) module Index
// in processing order; Index itself when there is no such module.
int32_t NeighbourInOrder(const TModuleDump& Modules, int32_t Index, int Step);

// The renumbering that moves module From to the place of module To in
// processing order: the modules in between shift by one place. Raises
// ERenumberError when either index names no module or an index is shared.
TRenumbering ModuleMove(const TModuleDump& Modules, int32_t From, int32_t To, TAreaCode Area);

} // namespace permuto
