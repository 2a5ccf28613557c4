// Builds the attack tables: the small ones at compile time, the slider tables once at start.
#include "board/attacks.h"

Bitboard bishopAttackTable[5248];
Bitboard rookAttackTable[102400];

namespace {

// The bit of (rank, file) when it lies on the board, else 0.
constexpr Bitboard bitAt(int32_t rank, int32_t file) {
    if (rank < 0 || rank > 7 || file < 0 || file > 7) return 0;
    return Bitboard(1) << (rank * 8 + file);
}

constexpr int32_t knightSteps[8][2] = {{-2, -1}, {-2, 1}, {-1, -2}, {-1, 2}, {1, -2}, {1, 2}, {2, -1}, {2, 1}};
constexpr int32_t kingSteps[8][2] = {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1}, {0, 1}, {1, -1}, {1, 0}, {1, 1}};
constexpr int32_t bishopDirs[4][2] = {{1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
constexpr int32_t rookDirs[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};

constexpr Bitboard stepTargets(int32_t square, const int32_t (*steps)[2], int32_t count) {
    Bitboard result = 0;
    for (int32_t i = 0; i < count; ++i) result |= bitAt(rankOf(square) + steps[i][0], fileOf(square) + steps[i][1]);
    return result;
}

constexpr Bitboard squaresBetween(int32_t a, int32_t b) {
    const int32_t dr = rankOf(b) - rankOf(a), df = fileOf(b) - fileOf(a);
    const bool aligned = dr == 0 || df == 0 || dr == df || dr == -df;
    if (a == b || !aligned) return 0;
    const int32_t stepRank = (dr > 0) - (dr < 0), stepFile = (df > 0) - (df < 0);
    Bitboard result = 0;
    for (int32_t rank = rankOf(a) + stepRank, file = fileOf(a) + stepFile; rank * 8 + file != b;
         rank += stepRank, file += stepFile)
        result |= bitAt(rank, file);
    return result;
}

constexpr StepAttackTables buildStepAttackTables() {
    StepAttackTables t{};
    for (int32_t sq = 0; sq < 64; ++sq) {
        const int32_t rank = rankOf(sq), file = fileOf(sq);
        t.pawn[WHITE][sq] = bitAt(rank + 1, file - 1) | bitAt(rank + 1, file + 1);
        t.pawn[BLACK][sq] = bitAt(rank - 1, file - 1) | bitAt(rank - 1, file + 1);
        t.knight[sq] = stepTargets(sq, knightSteps, 8);
        t.king[sq] = stepTargets(sq, kingSteps, 8);
        t.diagonal[sq] = t.antiDiagonal[sq] = squareBB[sq];
        for (int32_t k = 1; k < 8; ++k) {
            t.diagonal[sq] |= bitAt(rank + k, file + k) | bitAt(rank - k, file - k);
            t.antiDiagonal[sq] |= bitAt(rank + k, file - k) | bitAt(rank - k, file + k);
        }
        for (int32_t other = 0; other < 64; ++other) t.between[sq][other] = squaresBetween(sq, other);
        t.bishopRays[sq] = (t.diagonal[sq] | t.antiDiagonal[sq]) & ~squareBB[sq];
        t.rookRays[sq] = (rankMask[rank] | fileMask[file]) & ~squareBB[sq];
    }
    return t;
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

// Each square's block of a slider table follows the previous square's, 2^(32 - shift) entries long.
constexpr std::array<MagicEntry, 64> linkMagicEntries(const Bitboard* table, const Bitboard* masks,
                                                      const uint64_t* magics, const int32_t* shifts) {
    std::array<MagicEntry, 64> entries{};
    int32_t offset = 0;
    for (int32_t sq = 0; sq < 64; ++sq) {
        entries[sq] = {table + offset, masks[sq], uint32_t(magics[sq]), uint32_t(magics[sq] >> 32),
                               shifts[sq]};
        offset += int32_t(1) << (32 - shifts[sq]);
    }
    return entries;
}

// Every occupancy subset of each square's mask, enumerated by the carry-rippler trick, into the
// square's block of the table.
void fillSliderTable(Bitboard* table, const std::array<MagicEntry, 64>& entries, const Bitboard* masks,
                     const uint64_t* magics, const int32_t* shifts, const int32_t (*dirs)[2]) {
    for (int32_t sq = 0; sq < 64; ++sq) {
        Bitboard* block = table + (entries[sq].attacks - table);
        Bitboard subset = 0;
        do {
            block[magicIndex(subset, masks[sq], magics[sq], shifts[sq])] = slidingAttacks(sq, subset, dirs);
            subset = (subset - masks[sq]) & masks[sq];
        } while (subset);
    }
}

}  // namespace

constexpr StepAttackTables stepAttackTables = buildStepAttackTables();

// Constant-initialised, so no lookup can ever see them unset, whatever runs first.
constinit const std::array<MagicEntry, 64> bishopMagicEntries =
    linkMagicEntries(bishopAttackTable, bishopMagicMask, bishopMagic, bishopShift);
constinit const std::array<MagicEntry, 64> rookMagicEntries =
    linkMagicEntries(rookAttackTable, rookMagicMask, rookMagic, rookShift);

void initAttackTables() {
    static bool built = false;
    if (built) return;
    fillSliderTable(bishopAttackTable, bishopMagicEntries, bishopMagicMask, bishopMagic, bishopShift, bishopDirs);
    fillSliderTable(rookAttackTable, rookMagicEntries, rookMagicMask, rookMagic, rookShift, rookDirs);
    built = true;
}
