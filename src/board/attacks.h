// Process-wide attack tables, built once by initAttackTables() and only read afterwards.
#pragma once

#include <cstdint>

#include "board/types.h"

extern Bitboard squareBB[64];
extern Bitboard squareBBInverse[64];
extern Bitboard pawnAttacks[2][64];
extern Bitboard knightAttacks[64];
extern Bitboard kingAttacks[64];
extern Bitboard diagonalMask[64];
extern Bitboard antiDiagonalMask[64];
extern Bitboard betweenBB[64][64];
extern Bitboard bishopAttackTable[5248];
extern Bitboard rookAttackTable[102400];
extern int32_t bishopAttackBase[64];
extern int32_t rookAttackBase[64];

extern const Bitboard fileMask[8];
extern const Bitboard rankMask[8];
extern const Bitboard bishopMagicMask[64];
extern const Bitboard rookMagicMask[64];
extern const int32_t bishopShift[64];
extern const int32_t rookShift[64];
extern const uint64_t bishopMagic[64];
extern const uint64_t rookMagic[64];

void initAttackTables();

// Split 32-bit magic multiply: two 32x32 products, XORed, then shifted.
inline uint32_t magicIndex(Bitboard occupancy, Bitboard mask, uint64_t magic, int32_t shift) {
    const Bitboard occ = occupancy & mask;
    const uint32_t product = uint32_t(occ) * uint32_t(magic) ^ uint32_t(occ >> 32) * uint32_t(magic >> 32);
    return product >> shift;
}

// One square's lookup data packed together, so a slider lookup touches one cache line
// besides the attack set itself; filled by initAttackTables from the tables above.
struct MagicEntry {
    const Bitboard* attacks;
    Bitboard mask;
    uint32_t magicLow;
    uint32_t magicHigh;
    int32_t shift;
};
extern MagicEntry bishopMagicEntries[64];
extern MagicEntry rookMagicEntries[64];

inline Bitboard magicLookup(const MagicEntry& entry, Bitboard occupancy) {
    const Bitboard occ = occupancy & entry.mask;
    const uint32_t product = uint32_t(occ) * entry.magicLow ^ uint32_t(occ >> 32) * entry.magicHigh;
    return entry.attacks[product >> entry.shift];
}

inline Bitboard bishopAttacks(int32_t square, Bitboard occupancy) {
    return magicLookup(bishopMagicEntries[square], occupancy);
}

inline Bitboard rookAttacks(int32_t square, Bitboard occupancy) {
    return magicLookup(rookMagicEntries[square], occupancy);
}

inline Bitboard queenAttacks(int32_t square, Bitboard occupancy) {
    return bishopAttacks(square, occupancy) | rookAttacks(square, occupancy);
}
