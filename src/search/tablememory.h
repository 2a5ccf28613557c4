// Memory for the hash tables.
#pragma once

#include <cstddef>

// A zero-filled block of at least `bytes` bytes, whole huge pages aligned to a huge page (so
// to a cache line as well) and offered to the kernel for huge pages: the tables are probed at
// random addresses, and with ordinary pages nearly every probe would also miss the address
// translation cache. nullptr when the memory cannot be had. Released with releaseTableMemory.
void* allocateTableMemory(size_t bytes);
void releaseTableMemory(void* block);
