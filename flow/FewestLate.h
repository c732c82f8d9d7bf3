#pragma once
// Arranging the members of one feedback group so that few feeds between them
// arrive late: a feed from a member to one placed before it is late. Up to
// ExactLimit members the arrangement with the fewest late feeds is worked
// out exactly; above it, the better of the members' current order and a
// peeling order (members that feed no one left go to the back, members fed by
// no one left to the front, otherwise the one whose feeds out most outnumber
// its feeds in to the front) is improved by local search: one member at a
// time moves to the place where it is late the least, until no move helps or
// the work reaches its bound. That result is never worse than the current
// order, but it may not be the fewest.
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace permuto {

using TFeedPairs = std::vector<std::pair<uint32_t, uint32_t>>; // (from, to), members 0 .. N-1

// How many of Feeds are late when the members come in Order.
uint64_t LateFeeds(const std::vector<uint32_t>& Order, const TFeedPairs& Feeds);

struct TArrangement {
    std::vector<uint32_t> Order; // the members, first processed first
    bool Exact = true;           // false: by local search, may not be the fewest
};

// Members are 0 .. Members-1, in their current order; Feeds are unique.
// Among exact arrangements, the one whose sequence of members is lowest.
// Work bounds the local search: about that many steps (each a feed looked
// at or a member shifted); the default keeps a loop of 20,000 members well
// under the time a user waits for a command.
inline constexpr uint32_t ExactLimit = 20;
TArrangement FewestLateOrder(uint32_t Members, const TFeedPairs& Feeds, uint64_t Work = 400'000'000);

} // namespace permuto
