#include "Memory.h"

#include <sys/mman.h>

#include <cstdint>

namespace permuto {

void AdviseHugePages(const void* Data, size_t Bytes)
{
#ifdef MADV_HUGEPAGE
    constexpr uintptr_t Huge = uintptr_t{2} << 20;
    const uintptr_t First = (reinterpret_cast<uintptr_t>(Data) + Huge - 1) & ~(Huge - 1);
    const uintptr_t Last = (reinterpret_cast<uintptr_t>(Data) + Bytes) & ~(Huge - 1);
    if (Last > First)
        ::madvise(reinterpret_cast<void*>(First), Last - First, MADV_HUGEPAGE);
#else
    (void)Data;
    (void)Bytes;
#endif
}

} // namespace permuto
