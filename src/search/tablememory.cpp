#include "search/tablememory.h"

#include <cstdlib>
#include <cstring>

#include <sys/mman.h>

namespace {

// The usual huge page size of x86-64 and 32-bit ARM Linux.
constexpr size_t HUGE_PAGE_BYTES = size_t(2) * 1024 * 1024;

}  // namespace

void* allocateTableMemory(size_t bytes) {
    void* block = nullptr;
    if (posix_memalign(&block, HUGE_PAGE_BYTES, bytes) != 0) return nullptr;
#ifdef MADV_HUGEPAGE
    // Only advice: a kernel without huge pages keeps ordinary ones.
    madvise(block, bytes, MADV_HUGEPAGE);
#endif
    std::memset(block, 0, bytes);
    return block;
}

void releaseTableMemory(void* block) { std::free(block); }
