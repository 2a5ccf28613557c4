// King and pawn against king: win/draw for every placement, by retrograde analysis.
#pragma once

#include <cstdint>

inline constexpr int32_t KPK_INDEX_COUNT = 1 << 18;

// Index: defending king | attacking king << 6 | (pawn file 0..3 | pawn rank << 2) << 12
// | attacker to move << 17, in the geometry of a white pawn on files a-d.
constexpr uint32_t kpkIndex(int32_t defendingKing, int32_t attackingKing, int32_t pawnSquare,
                            int32_t attackerToMove) {
    const uint32_t pawnCode = uint32_t((pawnSquare & 7) | ((pawnSquare >> 3) << 2));
    return uint32_t(defendingKing) | uint32_t(attackingKing) << 6 | pawnCode << 12 |
           uint32_t(attackerToMove) << 17;
}

// The 8192 words of the bitbase (bit i is bit i & 31 of word i >> 5); built on first use.
const uint32_t* kpkBitbase();

// 1 when the side with the pawn wins; the pawn must be on files a-d (caller mirrors).
int32_t kpkProbe(int32_t defendingKing, int32_t attackingKing, int32_t pawnSquare, int32_t attackerToMove);
