#include "search/tablememory.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <sys/mman.h>

namespace {

// The usual huge page size of x86-64 and 32-bit ARM Linux.
constexpr size_t HUGE_PAGE_BYTES = size_t(2) * 1024 * 1024;

}  // namespace

void* allocateTableMemory(size_t bytes) {
    // Whole huge pages: a smaller table still gets one, as only a whole page can be huge.
    const size_t pages = (bytes + HUGE_PAGE_BYTES - 1) / HUGE_PAGE_BYTES;
    if (pages > SIZE_MAX / HUGE_PAGE_BYTES) return nullptr;
    const size_t rounded = pages * HUGE_PAGE_BYTES;
    void* block = nullptr;
    if (posix_memalign(&block, HUGE_PAGE_BYTES, rounded) != 0) return nullptr;
#ifdef MADV_HUGEPAGE
    // Only advice: a kernel without huge pages keeps ordinary ones.
    madvise(block, rounded, MADV_HUGEPAGE);
#endif
    std::memset(block, 0, rounded);
    return block;
}

void releaseTableMemory(void* block) { std::free(block); }
