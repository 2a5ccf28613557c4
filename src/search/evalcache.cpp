#include "search/evalcache.h"

#include "search/tablememory.h"

bool EvalCache::allocate() {
    release();
    entries = static_cast<EvalCacheEntry*>(allocateTableMemory(EVAL_CACHE_ENTRIES * sizeof(EvalCacheEntry)));
    if (entries == nullptr) return false;
    mask = EVAL_CACHE_ENTRIES - 1;
    return true;
}

void EvalCache::release() {
    releaseTableMemory(entries);
    entries = nullptr;
    mask = 0;
}
