#pragma once
// Processing order by module index: a module dump's indices in order, the
// rank of an index among them, and the renumberings that move a module to
// another place.
#include <cstdint>
#include <vector>

#include "patch/ModuleDump.h"
#include "patch/Renumbering.h"

namespace permuto {

// The area's module indices, sorted (an index used twice stands twice).
std::vector<int32_t> SortedIndices(const TModuleDump& Modules);
// The area's modules in processing order: by index, those that share an
// index in the order the file has them.
std::vector<const TModuleDef*> ModulesInOrder(const TModuleDump& Modules);
// The rank of a module index in a sorted list, or -1 when no module has it.
int32_t RankIn(const std::vector<int32_t>& Sorted, int32_t Index);
// The same; raises ERenumberError when no module has the index.
int32_t RequireRank(const std::vector<int32_t>& Sorted, int32_t Index, TArea Area);
// Raises the ERenumberError of an index that two modules of the area share.
[[noreturn]] void ThrowShared(int32_t Index, TArea Area);

// The index of the module Step places after (negative: before) module Index
// in processing order; Index itself when there is no such module.
int32_t NeighbourInOrder(const TModuleDump& Modules, int32_t Index, int Step);

// The renumbering that moves module From to the place of module To in
// processing order: the modules in between shift by one place. Raises
// ERenumberError when either index names no module or an index is shared.
TRenumbering ModuleMove(const TModuleDump& Modules, int32_t From, int32_t To, TArea Area);

} // namespace permuto
