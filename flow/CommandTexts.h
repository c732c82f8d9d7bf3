#pragma once
// What the renumbering commands say, in the same words wherever they run
// (the window, the browser page): the name of each step as undo lists it,
// and the messages of a command that changes nothing.
#include <cstdint>
#include <string>
#include <string_view>

#include "base/SimpleTypes.h"

namespace permuto {

// Steps: "Swap 1 and 3 (poly)", "Order by signal flow (common)", "Order,
// fewest late in loops (poly)", "Move 4 to 2 (poly)".
std::string SwapText(TArea Area, int32_t A, int32_t B);
std::string OrderText(TArea Area, bool FewestLate);
std::string MoveText(TArea Area, int32_t From, int32_t To);

// The message of a swap whose index fields do not both hold integers.
inline constexpr const char* NonIntegerSwapMessage =
    "One or both indices have a non integer or non number setting, can't swap";
// Why Text, typed into the index field that Field names ("First index"),
// is no module index (a decimal 32-bit integer); empty when it is one.
std::string IndexProblemText(std::string_view Text, std::string_view Field);

// A swap of an index with itself, and one that no line would notice.
std::string SameIndicesText();
std::string NothingToSwapText(TArea Area, int32_t A, int32_t B);
// An order that changes nothing.
std::string AlreadyOrderedText(TArea Area, bool FewestLate);
// A move one place earlier (Step < 0) or later of the first or last module.
std::string ProcessedAlreadyText(TArea Area, int32_t Index, int Step);
// Before, with what is left late inside feedback loops, if anything.
std::string LateRemainingText(const std::string& Before, uint64_t InsideLoops);

} // namespace permuto
