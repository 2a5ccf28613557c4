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
static_assert(sizeof(EvalCacheEntry) == 16, "a bucket of four entries fills one cache line");

// 256 KB: a probe that misses costs a memory access before the evaluation even starts, so the
// table is kept small enough to stay in the core's own cache; larger ones find more repeats
// but were slower.
inline constexpr uint32_t EVAL_CACHE_ENTRIES = 16384;
// A key may sit in any entry of its four-entry bucket: a new score goes first and pushes the
// oldest out, so a position met again soon is still found when three others came between.
inline constexpr int32_t EVAL_CACHE_WAYS = 4;

struct EvalCache {
    EvalCacheEntry* entries = nullptr;
    uint32_t mask = 0;

    // False, with no storage, when the memory cannot be had: evaluations are then not kept.
    bool allocate();
    void release();
    // The entries (one cache line) a key may occupy, the most recently stored first.
    EvalCacheEntry* bucketOf(uint64_t key) const {
        return entries + (uint32_t(key) & mask & ~uint32_t(EVAL_CACHE_WAYS - 1));
    }
    // Starts loading the key's bucket into the cache ahead of the evaluation that reads it.
    void prefetch(uint64_t key) const {
        if (entries != nullptr) __builtin_prefetch(bucketOf(key));
    }
};
