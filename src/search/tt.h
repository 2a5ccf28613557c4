// Transposition table: four-entry buckets with ageing.
#pragma once

#include <cstdint>

#include "board/types.h"

// Bound kinds of a stored score.
inline constexpr int32_t BOUND_EXACT = 0;
inline constexpr int32_t BOUND_UPPER = 1;
inline constexpr int32_t BOUND_LOWER = 2;
// Probe result when nothing usable was found.
inline constexpr int32_t TT_MISS = 3;

// data word: bits 0-1 bound, 2-10 depth (quarter plies), 11-15 age, 16-31 signed score.
struct TTEntry {
    uint64_t key;
    uint32_t data;
    uint32_t move;
};

static_assert(sizeof(TTEntry) == 16, "four entries must fill one 64-byte cache line");

struct TranspositionTable {
    TTEntry* entries = nullptr;
    void* block = nullptr;
    uint32_t entryCount = 0;
    uint32_t indexMask = 0;
    uint32_t age = 0;

    // Returns 1 on success, 0 when the memory could not be had (the table is then empty).
    int32_t resize(int32_t megabytes);
    void clear();
    void release();
    void store(uint64_t key, Move move, int32_t score, int32_t depth, int32_t ply, int32_t bound);
    int32_t probe(uint64_t key, int32_t depth, int32_t ply, int32_t alpha, int32_t beta, Move& moveOut,
                  int32_t& scoreOut);
    // The stored move of the key's entry whatever its depth and bound; noMove when absent.
    Move storedMove(uint64_t key) const;
    // Starts loading the key's bucket into the cache, so that a probe soon after finds it there.
    void prefetch(uint64_t key) const {
        if (entries != nullptr) __builtin_prefetch(entries + (uint32_t(key) & indexMask));
    }
    void advanceAge() { age = (age + 1) & 31; }
};

// Sizes a transposition table can have, in MB (the UCI "Hash" option and the configuration).
inline constexpr int32_t HASH_MIN_MB = 1;
inline constexpr int32_t HASH_MAX_MB = 2048;

// Megabytes actually used for a request: clamped to 1..2048, then rounded up to a power of two.
int32_t ttSizeForRequest(int32_t megabytes);
