#include "search/pawns.h"

#include <array>

#include "board/attacks.h"
#include "board/bits.h"
#include "search/evaluate.h"

namespace {


// Squares strictly ahead of rank `rank` for colour c (toward the enemy back rank).
constexpr Bitboard ranksAhead(int32_t colour, int32_t rank) {
    Bitboard b = 0;
    for (int32_t r = 0; r < 8; ++r)
        if (colour == WHITE ? r > rank : r < rank) b |= 0xFFULL << (8 * r);
    return b;
}

struct PawnMasks {
    Bitboard adjacentFilesMask[8] = {};
    Bitboard frontSpan[2][64] = {};
    // The square in front; empty for a pawn on the last rank (only a malformed setup has one).
    Bitboard stop[2][64] = {};
    // Same and adjacent files ahead: an enemy pawn here stops the pawn from being passed.
    Bitboard passedSpan[2][64] = {};
    // Adjacent files level with or behind: an own pawn here supports the pawn.
    Bitboard supportSpan[2][64] = {};
};

constexpr PawnMasks buildPawnMasks() {
    PawnMasks m;
    for (int32_t f = 0; f < 8; ++f)
        m.adjacentFilesMask[f] = (f > 0 ? fileMask[f - 1] : 0) | (f < 7 ? fileMask[f + 1] : 0);
    for (int32_t c = 0; c < 2; ++c) {
        for (int32_t s = 0; s < 64; ++s) {
            const Bitboard ahead = ranksAhead(c, rankOf(s));
            const Bitboard adjacent = m.adjacentFilesMask[fileOf(s)];
            m.frontSpan[c][s] = ahead & fileMask[fileOf(s)];
            const int32_t stopSq = c == WHITE ? s + 8 : s - 8;
            m.stop[c][s] = stopSq >= 0 && stopSq < 64 ? Bitboard(1) << stopSq : 0;
            m.passedSpan[c][s] = ahead & (fileMask[fileOf(s)] | adjacent);
            m.supportSpan[c][s] = ~ahead & adjacent;
        }
    }
    return m;
}

constexpr PawnMasks masks = buildPawnMasks();

int32_t relativeRank(int32_t colour, int32_t square) {
    return colour == WHITE ? rankOf(square) : 7 - rankOf(square);
}

// Scores one colour's pawns (from that colour's view) and collects its passed pawns.
void scoreColourPawns(int32_t colour, Bitboard own, Bitboard enemy, int32_t& mg, int32_t& eg, Bitboard& passed) {
    const Bitboard enemyAttacks = pawnAttackSet(colour ^ 1, enemy);
    for (Bitboard b = own; b; b &= b - 1) {
        const int32_t s = lowestSquare(b);
        mg += pstMidgame[colour][PAWN][s];
        eg += pstEndgame[colour][PAWN][s];
        const bool doubled = (masks.frontSpan[colour][s] & own) != 0;
        const bool isolated = (masks.adjacentFilesMask[fileOf(s)] & own) == 0;
        const bool enemyAhead = (masks.passedSpan[colour][s] & enemy) != 0;
        int32_t penalty = 0;
        if (isolated) {
            penalty += doubled ? 30 : 20;
        } else if (enemyAhead) {
            if (doubled) penalty += 10;
            const bool supported = (masks.supportSpan[colour][s] & own) != 0;
            const bool stopAttacked = (enemyAttacks & masks.stop[colour][s]) != 0;
            if (!supported && stopAttacked) penalty += 10;
        } else if (doubled) {
            penalty += 10;
        }
        if (!doubled && !enemyAhead) passed |= Bitboard(1) << s;
        mg -= penalty;
        eg -= penalty;
    }
}

}  // namespace

void computePawnStructure(const Position& pos, PawnStructure& out) {
    const Bitboard white = pos.pieces[WHITE][PAWN];
    const Bitboard black = pos.pieces[BLACK][PAWN];
    int32_t mgW = 0, egW = 0, mgB = 0, egB = 0;
    out.passed[WHITE] = 0;
    out.passed[BLACK] = 0;
    scoreColourPawns(WHITE, white, black, mgW, egW, out.passed[WHITE]);
    scoreColourPawns(BLACK, black, white, mgB, egB, out.passed[BLACK]);
    out.mg = mgW - mgB;
    out.eg = egW - egB;
}

void probePawnStructure(const Position& pos, PawnHashTable* table, PawnStructure& out) {
    // Key 0 marks an empty slot, so such a configuration is never cached.
    if (table == nullptr || table->entries == nullptr || pos.pawnKey == 0) {
        computePawnStructure(pos, out);
        return;
    }
    const uint32_t keyLo = uint32_t(pos.pawnKey);
    const uint32_t keyHi = uint32_t(pos.pawnKey >> 32);
    PawnHashEntry& entry = table->entryOf(pos.pawnKey);
    if (entry.keyLo == keyLo && entry.keyHi == keyHi) {
        out.mg = entry.mg;
        out.eg = entry.eg;
        out.passed[BLACK] = entry.passed[BLACK];
        out.passed[WHITE] = entry.passed[WHITE];
        return;
    }
    computePawnStructure(pos, out);
    entry.keyLo = keyLo;
    entry.keyHi = keyHi;
    entry.passed[BLACK] = out.passed[BLACK];
    entry.passed[WHITE] = out.passed[WHITE];
    entry.mg = out.mg;
    entry.eg = out.eg;
}

namespace {

// One colour's passed-pawn bonuses, from that colour's view.
template <int32_t Colour>
void scoreColourPassers(const Position& pos, Bitboard passed, int32_t& mg, int32_t& eg) {
    constexpr int32_t enemy = Colour ^ 1;
    const Bitboard ownPawnAttacks = pawnAttackSet(Colour, pos.pieces[Colour][PAWN]);
    for (Bitboard b = passed; b; b &= b - 1) {
        const int32_t s = lowestSquare(b);
        const int32_t r = relativeRank(Colour, s);
        const int32_t bmg = passedPawnBonusMg[r];
        const int32_t beg = passedPawnBonusEg[r];
        int32_t scoreMg = bmg, scoreEg = beg;
        if (pos.byColour[enemy] & masks.stop[Colour][s]) {
            scoreMg -= bmg / 2;
            scoreEg -= beg / 2;
        }
        if (ownPawnAttacks & (Bitboard(1) << s)) {
            scoreMg += bmg / 2;
            scoreEg += beg / 2;
        }
        mg += scoreMg;
        eg += scoreEg + squareDistance(pos.kingSquare[enemy], s) - squareDistance(pos.kingSquare[Colour], s) + 1;
    }
}

}  // namespace

void scorePassedPawns(const Position& pos, const PawnStructure& pawns, int32_t& mg, int32_t& eg) {
    int32_t whiteMg = 0, whiteEg = 0, blackMg = 0, blackEg = 0;
    scoreColourPassers<WHITE>(pos, pawns.passed[WHITE], whiteMg, whiteEg);
    scoreColourPassers<BLACK>(pos, pawns.passed[BLACK], blackMg, blackEg);
    mg += whiteMg - blackMg;
    eg += whiteEg - blackEg;
}
