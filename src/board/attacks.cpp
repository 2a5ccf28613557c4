// Builds the process-wide attack tables from the checked-in magic constants.
#include "board/attacks.h"

Bitboard squareBB[64];
Bitboard squareBBInverse[64];
Bitboard pawnAttacks[2][64];
Bitboard knightAttacks[64];
Bitboard kingAttacks[64];
Bitboard diagonalMask[64];
Bitboard antiDiagonalMask[64];
Bitboard betweenBB[64][64];
Bitboard bishopAttackTable[5248];
Bitboard rookAttackTable[102400];
int32_t bishopAttackBase[64];
int32_t rookAttackBase[64];
MagicEntry bishopMagicEntries[64];
MagicEntry rookMagicEntries[64];

const Bitboard fileMask[8] = {
    0x0101010101010101ULL << 0, 0x0101010101010101ULL << 1, 0x0101010101010101ULL << 2,
    0x0101010101010101ULL << 3, 0x0101010101010101ULL << 4, 0x0101010101010101ULL << 5,
    0x0101010101010101ULL << 6, 0x0101010101010101ULL << 7,
};
const Bitboard rankMask[8] = {
    0xFFULL << 0,  0xFFULL << 8,  0xFFULL << 16, 0xFFULL << 24,
    0xFFULL << 32, 0xFFULL << 40, 0xFFULL << 48, 0xFFULL << 56,
};

namespace {

// The bit of (rank, file) when it lies on the board, else 0.
Bitboard bitAt(int32_t rank, int32_t file) {
    if (rank < 0 || rank > 7 || file < 0 || file > 7) return 0;
    return 1ULL << (rank * 8 + file);
}

Bitboard stepTargets(int32_t square, const int32_t (*steps)[2], int32_t count) {
    Bitboard result = 0;
    for (int32_t i = 0; i < count; ++i) result |= bitAt(rankOf(square) + steps[i][0], fileOf(square) + steps[i][1]);
    return result;
}

// Walks the rays from square, each stopping after the first blocker or at the edge.
Bitboard slidingAttacks(int32_t square, Bitboard blockers, const int32_t (*dirs)[2]) {
    Bitboard result = 0;
    for (int32_t d = 0; d < 4; ++d) {
        int32_t rank = rankOf(square) + dirs[d][0];
        int32_t file = fileOf(square) + dirs[d][1];
        while (Bitboard bit = bitAt(rank, file)) {
            result |= bit;
            if (blockers & bit) break;
            rank += dirs[d][0];
            file += dirs[d][1];
        }
    }
    return result;
}

const int32_t knightSteps[8][2] = {{-2, -1}, {-2, 1}, {-1, -2}, {-1, 2}, {1, -2}, {1, 2}, {2, -1}, {2, 1}};
const int32_t kingSteps[8][2] = {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1}, {0, 1}, {1, -1}, {1, 0}, {1, 1}};
const int32_t bishopDirs[4][2] = {{1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
const int32_t rookDirs[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};

void fillSliderTable(Bitboard* table, int32_t* base, const Bitboard* masks, const uint64_t* magics,
                     const int32_t* shifts, const int32_t (*dirs)[2]) {
    int32_t offset = 0;
    for (int32_t sq = 0; sq < 64; ++sq) {
        base[sq] = offset;

        const Bitboard mask = masks[sq];
        Bitboard subset = 0;
        do {
            table[offset + magicIndex(subset, mask, magics[sq], shifts[sq])] = slidingAttacks(sq, subset, dirs);
            subset = (subset - mask) & mask;
        } while (subset);
        offset += int32_t(1) << (32 - shifts[sq]);
    }
}

// Points each square's lookup entry at its block; the blocks are zero until the tables are built.
void linkMagicEntries(const Bitboard* table, MagicEntry* entries, const Bitboard* masks, const uint64_t* magics,
                      const int32_t* shifts) {
    int32_t offset = 0;
    for (int32_t sq = 0; sq < 64; ++sq) {
        entries[sq] = {table + offset, masks[sq], uint32_t(magics[sq]), uint32_t(magics[sq] >> 32), shifts[sq]};
        offset += int32_t(1) << (32 - shifts[sq]);
    }
}

void linkAllMagicEntries() {
    linkMagicEntries(bishopAttackTable, bishopMagicEntries, bishopMagicMask, bishopMagic, bishopShift);
    linkMagicEntries(rookAttackTable, rookMagicEntries, rookMagicMask, rookMagic, rookShift);
}

// Lookups made before initAttackTables read empty sets instead of following null pointers.
const bool magicEntriesLinked = (linkAllMagicEntries(), true);

}  // namespace

void initAttackTables() {
    linkAllMagicEntries();
    for (int32_t sq = 0; sq < 64; ++sq) {
        squareBB[sq] = 1ULL << sq;
        squareBBInverse[sq] = ~squareBB[sq];
    }
    for (int32_t sq = 0; sq < 64; ++sq) {
        const int32_t rank = rankOf(sq), file = fileOf(sq);
        pawnAttacks[WHITE][sq] = bitAt(rank + 1, file - 1) | bitAt(rank + 1, file + 1);
        pawnAttacks[BLACK][sq] = bitAt(rank - 1, file - 1) | bitAt(rank - 1, file + 1);
        knightAttacks[sq] = stepTargets(sq, knightSteps, 8);
        kingAttacks[sq] = stepTargets(sq, kingSteps, 8);
    }
    for (int32_t sq = 0; sq < 64; ++sq) {
        diagonalMask[sq] = squareBB[sq];
        antiDiagonalMask[sq] = squareBB[sq];
        for (int32_t k = 1; k < 8; ++k) {
            diagonalMask[sq] |= bitAt(rankOf(sq) + k, fileOf(sq) + k) | bitAt(rankOf(sq) - k, fileOf(sq) - k);
            antiDiagonalMask[sq] |= bitAt(rankOf(sq) + k, fileOf(sq) - k) | bitAt(rankOf(sq) - k, fileOf(sq) + k);
        }
    }
    for (int32_t a = 0; a < 64; ++a) {
        for (int32_t b = 0; b < 64; ++b) {
            betweenBB[a][b] = 0;
            const int32_t dr = rankOf(b) - rankOf(a), df = fileOf(b) - fileOf(a);
            const bool aligned = dr == 0 || df == 0 || dr == df || dr == -df;
            if (a == b || !aligned) continue;
            const int32_t stepRank = (dr > 0) - (dr < 0), stepFile = (df > 0) - (df < 0);
            int32_t rank = rankOf(a) + stepRank, file = fileOf(a) + stepFile;
            while (rank * 8 + file != b) {
                betweenBB[a][b] |= bitAt(rank, file);
                rank += stepRank;
                file += stepFile;
            }
        }
    }
    for (Bitboard& entry : bishopAttackTable) entry = 0;
    for (Bitboard& entry : rookAttackTable) entry = 0;
    fillSliderTable(bishopAttackTable, bishopAttackBase, bishopMagicMask, bishopMagic, bishopShift, bishopDirs);
    fillSliderTable(rookAttackTable, rookAttackBase, rookMagicMask, rookMagic, rookShift, rookDirs);
}
