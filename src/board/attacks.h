// Attack tables and sliding-piece lookup. Every table is fixed: the small ones are computed at
// compile time, the two slider tables once by initAttackTables().
#pragma once

#include <array>
#include <cstdint>

#include "board/magics.h"
#include "board/types.h"

// The set holding only `square`.
inline constexpr auto squareBB = [] {
    std::array<Bitboard, 64> sets{};
    for (int32_t sq = 0; sq < 64; ++sq) sets[sq] = Bitboard(1) << sq;
    return sets;
}();

inline constexpr Bitboard fileMask[8] = {
    0x0101010101010101ULL << 0, 0x0101010101010101ULL << 1, 0x0101010101010101ULL << 2,
    0x0101010101010101ULL << 3, 0x0101010101010101ULL << 4, 0x0101010101010101ULL << 5,
    0x0101010101010101ULL << 6, 0x0101010101010101ULL << 7,
};
inline constexpr Bitboard rankMask[8] = {
    0xFFULL << 0,  0xFFULL << 8,  0xFFULL << 16, 0xFFULL << 24,
    0xFFULL << 32, 0xFFULL << 40, 0xFFULL << 48, 0xFFULL << 56,
};

// Step attacks, the two diagonal lines through a square, the squares strictly between two
// squares on a common line (0 when they share none) and the empty-board slider attacks of a
// square; built at compile time in attacks.cpp.
struct StepAttackTables {
    Bitboard pawn[2][64];
    Bitboard knight[64];
    Bitboard king[64];
    Bitboard diagonal[64];
    Bitboard antiDiagonal[64];
    Bitboard between[64][64];
    Bitboard bishopRays[64];
    Bitboard rookRays[64];
};
extern const StepAttackTables stepAttackTables;

// Constant references: each lookup is a direct load from the table.
inline constexpr const Bitboard (&pawnAttacks)[2][64] = stepAttackTables.pawn;
inline constexpr const Bitboard (&knightAttacks)[64] = stepAttackTables.knight;
inline constexpr const Bitboard (&kingAttacks)[64] = stepAttackTables.king;
inline constexpr const Bitboard (&diagonalMask)[64] = stepAttackTables.diagonal;
inline constexpr const Bitboard (&antiDiagonalMask)[64] = stepAttackTables.antiDiagonal;
inline constexpr const Bitboard (&betweenBB)[64][64] = stepAttackTables.between;
// Every square a bishop or a rook on the square reaches on an empty board: a slider outside
// them can never attack the square, whatever stands between.
inline constexpr const Bitboard (&bishopRays)[64] = stepAttackTables.bishopRays;
inline constexpr const Bitboard (&rookRays)[64] = stepAttackTables.rookRays;

// Squares attacked by a whole set of pawns of `colour`.
inline Bitboard pawnAttackSet(int32_t colour, Bitboard pawns) {
    const Bitboard notFileA = ~fileMask[0], notFileH = ~fileMask[7];
    if (colour == WHITE) return ((pawns & notFileA) << 7) | ((pawns & notFileH) << 9);
    return ((pawns & notFileA) >> 9) | ((pawns & notFileH) >> 7);
}

// Slider attack sets by square and magic index; zero until initAttackTables() has run.
extern Bitboard bishopAttackTable[5248];
extern Bitboard rookAttackTable[102400];

// Fills the slider tables; only the first call does the work.
void initAttackTables();

// Split 32-bit magic multiply: two 32x32 products, XORed, then shifted.
constexpr uint32_t magicIndex(Bitboard occupancy, Bitboard mask, uint64_t magic, int32_t shift) {
    const Bitboard occ = occupancy & mask;
    const uint32_t product = uint32_t(occ) * uint32_t(magic) ^ uint32_t(occ >> 32) * uint32_t(magic >> 32);
    return product >> shift;
}

// One square's lookup data packed together, so a slider lookup touches one cache line
// besides the attack set itself. Fixed at compile time (it points into the slider tables).
struct MagicEntry {
    const Bitboard* attacks;
    Bitboard mask;
    uint32_t magicLow;
    uint32_t magicHigh;
    int32_t shift;
};
extern const std::array<MagicEntry, 64> bishopMagicEntries;
extern const std::array<MagicEntry, 64> rookMagicEntries;

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
