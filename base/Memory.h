#pragma once
// Large buffers of a big patch: the file's bytes, the line table, the record
// lists. A fresh process pays a page fault for every 4 KiB it touches, and on
// a patch of a million lines those faults cost as much as the parsing. Asking
// for huge pages on such a buffer before it is first written lets the kernel
// back it with 2 MiB pages where it can. Only advice: nothing changes when
// the kernel does not take it. (PlatformPosix.cpp gives the advice.)
#include <cstddef>

namespace permuto {

// Advises the whole 2 MiB blocks inside the buffer; a buffer too small to hold
// one is left as it is.
void AdviseHugePages(const void* Data, size_t Bytes);

} // namespace permuto
