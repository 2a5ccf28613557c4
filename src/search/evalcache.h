// Evaluations already made, by position key. The search evaluates many positions more than
// once (again in the next iteration, in re-searches, through transpositions); a hit returns
// the stored score, which is the score evaluating again would give.
#pragma once

#include <cstdint>

struct EvalCacheEntry {
    uint64_t key;
    int32_t score;
    // The strength setting the score was made under (evalStrengthSetting).
    int32_t strength;
};
static_assert(sizeof(EvalCacheEntry) == 16, "four entries to a cache line");

// 1 MB: large enough for most repeats of a search, small enough to stay near the core.
inline constexpr uint32_t EVAL_CACHE_ENTRIES = 65536;

struct EvalCache {
    EvalCacheEntry* entries = nullptr;
    uint32_t mask = 0;

    // False, with no storage, when the memory cannot be had: evaluations are then not kept.
    bool allocate();
    void release();
    EvalCacheEntry& slotOf(uint64_t key) const { return entries[uint32_t(key) & mask]; }
    // Starts loading the key's entry into the cache ahead of the evaluation that reads it.
    void prefetch(uint64_t key) const {
        if (entries != nullptr) __builtin_prefetch(&slotOf(key));
    }
};
