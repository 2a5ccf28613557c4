// Pawn structure and the pawn hash table.
#pragma once

#include <cstdint>

#include "board/position.h"

// One cached pawn configuration; 32 bytes so that two fit a cache line exactly.
struct PawnHashEntry {
    uint32_t keyLo;
    uint32_t keyHi;
    uint64_t passed[2];
    int32_t mg;
    int32_t eg;
};
static_assert(sizeof(PawnHashEntry) == 32, "the engine sizes the pawn hash block by 32-byte entries");

struct PawnHashTable {
    PawnHashEntry* entries = nullptr;
    void* block = nullptr;
    uint32_t count = 0;
    uint32_t mask = 0;

    // The one entry a pawn key may occupy (the table must have storage).
    PawnHashEntry& entryOf(uint64_t pawnKey) const { return entries[uint32_t(pawnKey) & mask]; }
    // Starts loading that entry into the cache ahead of its probe.
    void prefetch(uint64_t pawnKey) const {
        if (entries != nullptr) __builtin_prefetch(&entryOf(pawnKey));
    }
};

// Pawn-structure scores (white minus black) and the passed pawns of both colours.
struct PawnStructure {
    int32_t mg = 0;
    int32_t eg = 0;
    Bitboard passed[2] = {0, 0};
};

inline constexpr int32_t passedPawnBonusMg[8] = {0, 0, 0, 10, 21, 45, 95, 0};
inline constexpr int32_t passedPawnBonusEg[8] = {0, 10, 10, 21, 43, 90, 191, 0};

// Computes the structure from the pawns alone, without touching any cache.
void computePawnStructure(const Position& pos, PawnStructure& out);

// Structure through the table: a hit copies the entry, a miss computes and overwrites it.
// A table without storage, or a zero pawn key, computes without caching.
void probePawnStructure(const Position& pos, PawnHashTable* table, PawnStructure& out);

// Passed-pawn bonus from the cached sets; depends on kings and blockers, so never cached.
void scorePassedPawns(const Position& pos, const PawnStructure& pawns, int32_t& mg, int32_t& eg);
