#include "search/evaluate.h"

#include "board/attacks.h"
#include "board/bits.h"
#include "search/bitbase.h"
#include "search/limits.h"
#include "search/pawns.h"

namespace {

// Tables as White sees them: index 0 is a1, rows run from rank 1 up to rank 8.
using SquareTable = int32_t[64];

constexpr SquareTable knightMg = {
    -40, -24, -20, -20, -20, -20, -24, -40,
    -24,  -8,   4,   4,   4,   4,  -8, -24,
    -20,   2,   8,   8,   8,   8,   2, -20,
    -20,   2,   8,   8,   8,   8,   2, -20,
    -20,   2,   4,   4,   4,   4,   2, -20,
    -20,   2,   2,   2,   2,   2,   2, -20,
    -24,  -8,   0,   0,   0,   0,  -8, -24,
    -40, -24, -20, -20, -20, -20, -24, -40,
};

constexpr SquareTable bishopMg = {
    -40,  -8,  -8,  -8,  -8,  -8,  -8, -40,
     -8,   8,   4,   4,   4,   4,   8,  -8,
     -8,   2,   6,   8,   8,   6,   2,  -8,
     -8,   2,   6,   8,   8,   6,   2,  -8,
     -8,   2,   4,   4,   4,   4,   2,  -8,
     -8,   2,   2,   2,   2,   2,   2,  -8,
     -8,   0,   0,   0,   0,   0,   0,  -8,
    -40,  -8,  -8,  -8,  -8,  -8,  -8, -40,
};

constexpr SquareTable pawnMg = {
     0,  0,  0,  0,  0,  0,  0,  0,
     0,  0,  0,  0,  0,  0,  0,  0,
    -2, -1, -1, 10, 10, -1, -1, -2,
    -4, -2, -2, 20, 20, -2, -2, -4,
     0,  0,  0, 10, 10,  0,  0,  0,
     0,  0,  0,  0,  0,  0,  0,  0,
     0,  0,  0,  0,  0,  0,  0,  0,
     0,  0,  0,  0,  0,  0,  0,  0,
};

constexpr SquareTable kingMg = {
     -8,  32,  32,  -8,   0,  -8,  32,  -8,
    -16, -16, -16, -16, -16, -16, -16, -16,
    -32, -32, -32, -32, -32, -32, -32, -32,
    -32, -32, -32, -32, -32, -32, -32, -32,
    -32, -32, -32, -32, -32, -32, -32, -32,
    -32, -32, -32, -32, -32, -32, -32, -32,
    -32, -32, -32, -32, -32, -32, -32, -32,
    -32, -32, -32, -32, -32, -32, -32, -32,
};

constexpr SquareTable minorEg = {
    -40, -16, -8, -8, -8, -8, -16, -40,
    -16,   0,  2,  2,  2,  2,   0, -16,
     -8,   2,  2,  4,  4,  2,   2,  -8,
     -8,   2,  4,  8,  8,  4,   2,  -8,
     -8,   2,  4,  8,  8,  4,   2,  -8,
     -8,   2,  2,  4,  4,  2,   2,  -8,
    -16,   0,  2,  2,  2,  2,   0, -16,
    -40, -16, -8, -8, -8, -8, -16, -40,
};

constexpr SquareTable queenEg = {
    -32, -16, -2, -2, -2, -2, -16, -32,
    -16,   0,  8,  8,  8,  8,   0, -16,
     -2,   8, 10, 12, 12, 10,   8,  -2,
     -2,   8, 12, 16, 16, 12,   8,  -2,
     -2,   8, 12, 16, 16, 12,   8,  -2,
     -2,   8, 10, 12, 12, 10,   8,  -2,
    -16,   0,  8,  8,  8,  8,   0, -16,
    -32, -16, -2, -2, -2, -2, -16, -32,
};

constexpr SquareTable kingEg = {
    -50, -30, -30, -30, -30, -30, -30, -50,
    -30,   0,   0,   0,   0,   0,   0, -30,
    -30,   0,  16,  16,  16,  16,   0, -30,
    -30,   0,  16,  32,  32,  16,   0, -30,
    -30,   0,  16,  32,  32,  16,   0, -30,
    -30,   0,  16,  16,  16,  16,   0, -30,
    -30,   0,   0,   0,   0,   0,   0, -30,
    -50, -30, -30, -30, -30, -30, -30, -50,
};

constexpr int32_t rookFileMg[8] = {-4, -2, -1, 0, 0, -1, -2, -4};

// Knight outposts as White sees them; outpostBonus holds both colours.
constexpr SquareTable outpostWhiteView = {
    0, 0,  0,  0,  0,  0, 0, 0,
    0, 0,  0,  0,  0,  0, 0, 0,
    0, 0,  0,  0,  0,  0, 0, 0,
    0, 8, 16, 16, 16, 16, 8, 0,
    0, 8, 16, 32, 32, 16, 8, 0,
    0, 0, 16, 32, 32, 16, 0, 0,
    0, 0,  0,  0,  0,  0, 0, 0,
    0, 0,  0,  0,  0,  0, 0, 0,
};

struct OutpostTable {
    int32_t bonus[2][64] = {};
};

constexpr OutpostTable buildOutposts() {
    OutpostTable t;
    for (int32_t sq = 0; sq < 64; ++sq) {
        t.bonus[WHITE][sq] = outpostWhiteView[sq];
        t.bonus[BLACK][sq] = outpostWhiteView[mirrorSquare(sq)];
    }
    return t;
}

constexpr OutpostTable outpostBonus = buildOutposts();

constexpr int32_t pawnShelterPenalty[8] = {50, 0, 10, 20, 30, 30, 30, 50};

constexpr int32_t kingSafetyTable[32] = {0,   2,   4,   8,   11,  16,  23,  31,  41,  54,  69,
                                         89,  113, 142, 176, 216, 262, 314, 371, 431, 494, 556,
                                         616, 673, 725, 771, 811, 845, 874, 898, 918, 933};

constexpr int32_t BISHOP_PAIR = 50;
constexpr int32_t NO_PAWNS = 50;
constexpr int32_t TEMPO = 5;
constexpr int32_t BLOCKED_CENTRE_PAWN = 20;
constexpr int32_t TRAPPED_MINOR = 100;
constexpr int32_t ROOK_SHUT_IN = 50;
constexpr int32_t ROOK_OPEN_FILE = 20;
constexpr int32_t ROOK_HALF_OPEN_FILE = 10;
constexpr int32_t ROOK_ON_SEVENTH = 20;
constexpr int32_t QUEEN_ON_SEVENTH = 10;
constexpr int32_t ATTACK_UNITS_CAP = 31;
constexpr int32_t START_MATERIAL = 4075;
constexpr int32_t FULL_PHASE = 24;
constexpr int32_t ENDGAME_PHASE = 8;

enum MobilityKind { MOB_KNIGHT, MOB_BISHOP, MOB_ROOK, MOB_QUEEN };


int32_t pieceCount(const Position& pos, int32_t colour, int32_t type) {
    return int32_t((pos.materialKey >> (32 * colour + 4 * (type - 1))) & 15);
}

// Per-colour piece terms (from that colour's view) and the attack unions for king safety.
struct PieceTerms {
    int32_t mg = 0;
    int32_t eg = 0;
    Bitboard attacks[4] = {0, 0, 0, 0};
};

// Blocked centre pawns, trapped minors and rooks shut in by their own king; middle game only.
int32_t fixedPatterns(const Position& pos) {
    const Bitboard wp = pos.pieces[WHITE][PAWN], bp = pos.pieces[BLACK][PAWN];
    const Bitboard wn = pos.pieces[WHITE][KNIGHT], bn = pos.pieces[BLACK][KNIGHT];
    const Bitboard wb = pos.pieces[WHITE][BISHOP], bb = pos.pieces[BLACK][BISHOP];
    const Bitboard wr = pos.pieces[WHITE][ROOK], br = pos.pieces[BLACK][ROOK];
    const Bitboard occ = pos.occupied;
    const int32_t wk = pos.kingSquare[WHITE], bk = pos.kingSquare[BLACK];
    int32_t mg = 0;

    if ((wp & squareBB[D2]) && (occ & squareBB[D3])) mg -= BLOCKED_CENTRE_PAWN;
    if ((wp & squareBB[E2]) && (occ & squareBB[E3])) mg -= BLOCKED_CENTRE_PAWN;
    if ((bp & squareBB[D7]) && (occ & squareBB[D6])) mg += BLOCKED_CENTRE_PAWN;
    if ((bp & squareBB[E7]) && (occ & squareBB[E6])) mg += BLOCKED_CENTRE_PAWN;

    if ((wn & squareBB[A7]) && (bp & squareBB[B7]) && (bp & squareBB[A6])) mg -= TRAPPED_MINOR;
    if ((wn & squareBB[H7]) && (bp & squareBB[G7]) && (bp & squareBB[H6])) mg -= TRAPPED_MINOR;
    if ((bn & squareBB[A2]) && (wp & squareBB[B2]) && (wp & squareBB[A3])) mg += TRAPPED_MINOR;
    if ((bn & squareBB[H2]) && (wp & squareBB[G2]) && (wp & squareBB[H3])) mg += TRAPPED_MINOR;

    if ((wb & squareBB[A7]) && (bp & squareBB[B6])) mg -= TRAPPED_MINOR;
    if ((wb & squareBB[H7]) && (bp & squareBB[G6])) mg -= TRAPPED_MINOR;
    if ((bb & squareBB[A2]) && (wp & squareBB[B3])) mg += TRAPPED_MINOR;
    if ((bb & squareBB[H2]) && (wp & squareBB[G3])) mg += TRAPPED_MINOR;

    if ((wk == F1 || wk == G1 || wk == H1) && (wr & (squareBB[G1] | squareBB[H1]))) mg -= ROOK_SHUT_IN;
    if ((wk == A1 || wk == B1 || wk == C1) && (wr & (squareBB[A1] | squareBB[B1]))) mg -= ROOK_SHUT_IN;
    if ((bk == F8 || bk == G8 || bk == H8) && (br & (squareBB[G8] | squareBB[H8]))) mg += ROOK_SHUT_IN;
    if ((bk == A8 || bk == B8 || bk == C8) && (br & (squareBB[A8] | squareBB[B8]))) mg += ROOK_SHUT_IN;
    return mg;
}

// What the pieces of one colour are scored against.
struct PieceContext {
    Bitboard occupied;
    // Mobility squares: neither own pieces nor attacked by an enemy pawn.
    Bitboard safe;
    Bitboard enemyPawnAttacks;
    Bitboard ownPawnAttacks;
    Bitboard ownPawns;
    Bitboard enemyPawns;
    // The enemy king on its back rank or an enemy pawn on its second: the seventh rank pays.
    bool seventhTarget;
};

// The rank a colour's rooks and queens gain on.
template <int32_t Colour>
constexpr int32_t seventhRank = Colour == WHITE ? 6 : 1;

template <int32_t Colour>
PieceContext pieceContext(const Position& pos, Bitboard enemyPawnAttacks, Bitboard ownPawnAttacks) {
    constexpr int32_t enemy = Colour ^ 1;
    constexpr int32_t eighth = Colour == WHITE ? 7 : 0;
    const Bitboard enemyPawns = pos.pieces[enemy][PAWN];
    return {pos.occupied,
            ~pos.byColour[Colour] & ~enemyPawnAttacks,
            enemyPawnAttacks,
            ownPawnAttacks,
            pos.pieces[Colour][PAWN],
            enemyPawns,
            rankOf(pos.kingSquare[enemy]) == eighth || (enemyPawns & rankMask[seventhRank<Colour>]) != 0};
}

template <int32_t Type>
Bitboard pieceAttacks(int32_t square, Bitboard occupied) {
    if constexpr (Type == KNIGHT) return knightAttacks[square];
    else if constexpr (Type == BISHOP) return bishopAttacks(square, occupied);
    else if constexpr (Type == ROOK) return rookAttacks(square, occupied);
    else return queenAttacks(square, occupied);
}

// The terms only one piece type has (knight outposts, rook files, rooks and queens on the
// seventh); each counts the same in the middle game and the end game.
template <int32_t Colour, int32_t Type>
int32_t typeBonus(const PieceContext& c, int32_t s) {
    int32_t bonus = 0;
    if constexpr (Type == KNIGHT) {
        const int32_t outpost = outpostBonus.bonus[Colour][s];
        if (outpost != 0 && !(c.enemyPawnAttacks & squareBB[s]) && (c.ownPawnAttacks & squareBB[s])) bonus += outpost;
    } else if constexpr (Type == ROOK) {
        const Bitboard file = fileMask[fileOf(s)];
        if (!(c.ownPawns & file)) bonus += (c.enemyPawns & file) ? ROOK_HALF_OPEN_FILE : ROOK_OPEN_FILE;
        if (rankOf(s) == seventhRank<Colour> && c.seventhTarget) bonus += ROOK_ON_SEVENTH;
    } else if constexpr (Type == QUEEN) {
        if (rankOf(s) == seventhRank<Colour> && c.seventhTarget) bonus += QUEEN_ON_SEVENTH;
    }
    return bonus;
}

// Table values, mobility and the type's own terms for the pieces of one type, one piece type
// and colour per instantiation so that no piece pays for the others' tests.
template <int32_t Colour, int32_t Type>
void scorePieceType(const Position& pos, const PieceContext& c, PieceTerms& t) {
    constexpr int32_t kind = Type - KNIGHT;
    Bitboard attacked = 0;
    for (Bitboard b = pos.pieces[Colour][Type]; b; b &= b - 1) {
        const int32_t s = lowestSquare(b);
        const Bitboard attacks = pieceAttacks<Type>(s, c.occupied);
        attacked |= attacks;
        const int32_t n = squareCount(attacks & c.safe);
        const int32_t bonus = typeBonus<Colour, Type>(c, s);
        t.mg += pstMidgame[Colour][Type][s] + mobilityBonusMg[kind][n] + bonus;
        t.eg += pstEndgame[Colour][Type][s] + mobilityBonusEg[kind][n] + bonus;
    }
    t.attacks[kind] = attacked;
}

// Table values, mobility, outposts, rook files and the seventh rank for one colour.
template <int32_t Colour>
void scorePieces(const Position& pos, Bitboard enemyPawnAttacks, Bitboard ownPawnAttacks, PieceTerms& t) {
    const PieceContext c = pieceContext<Colour>(pos, enemyPawnAttacks, ownPawnAttacks);
    scorePieceType<Colour, KNIGHT>(pos, c, t);
    scorePieceType<Colour, BISHOP>(pos, c, t);
    scorePieceType<Colour, ROOK>(pos, c, t);
    scorePieceType<Colour, QUEEN>(pos, c, t);
}

// Penalty sum (negative) for missing or advanced pawns in front of a king near its back rank.
// Inline, per colour: it runs twice per evaluation.
template <int32_t Colour>
int32_t kingShelter(const Position& pos) {
    const int32_t king = pos.kingSquare[Colour];
    const int32_t relRank = Colour == WHITE ? rankOf(king) : 7 - rankOf(king);
    if (relRank > 1) return 0;
    const Bitboard pawns = pos.pieces[Colour][PAWN];
    const int32_t kingFile = fileOf(king);
    const int32_t first = kingFile > 0 ? kingFile - 1 : 0, last = kingFile < 7 ? kingFile + 1 : 7;
    int32_t shelter = 0;
    for (int32_t f = first; f <= last; ++f) {
        const Bitboard onFile = pawns & fileMask[f];
        // The pawn nearest the own back rank shields the king (index 0 without one). Found
        // with a square of the far rank added, so that it is defined without a pawn and the
        // choice needs no branch, which a file's pawns would make unpredictable.
        const int32_t nearest = Colour == WHITE ? rankOf(lowestSquare(onFile | squareBB[56 + f]))
                                                : 7 - rankOf(highestSquare(onFile | squareBB[f]));
        shelter -= pawnShelterPenalty[nearest & -int32_t(onFile != 0)];
    }
    return shelter;
}

// The four weighted counts are added rank by rank and summed once: the zone has at most eight
// squares, so no rank and no total can exceed (2 + 2 + 3 + 5) * 8 = 96.
int32_t kingAttackUnits(int32_t kingSquare, const PieceTerms& enemy) {
    const Bitboard zone = kingAttacks[kingSquare];
    const Bitboard weighted = 2 * rankCounts(zone & enemy.attacks[MOB_KNIGHT]) +
                              2 * rankCounts(zone & enemy.attacks[MOB_BISHOP]) +
                              3 * rankCounts(zone & enemy.attacks[MOB_ROOK]) +
                              5 * rankCounts(zone & enemy.attacks[MOB_QUEEN]);
    const int32_t units = sumOfBytes(weighted);
    return units < ATTACK_UNITS_CAP ? units : ATTACK_UNITS_CAP;
}

// Blends a per-position pseudo-random value into the score for weaker play.
int32_t applyStrengthNoise(int32_t score, uint64_t key) {
    const float weight = float(strengthElo - STRENGTH_ELO_MIN) / 16.0f;
    const int32_t w = weight <= 0.0f ? 0 : weight >= 100.0f ? 100 : int32_t(weight);
    const int32_t noise = int32_t(key % 200) - 100;
    return (score * w + (100 - w) * noise) / 100;
}

constexpr EvalTables buildEvalTables() {
    EvalTables t{};
    const SquareTable* midgame[8] = {nullptr, &pawnMg, &knightMg, &bishopMg, nullptr, nullptr, &kingMg, nullptr};
    const SquareTable* endgame[8] = {nullptr, nullptr, &minorEg, &minorEg, nullptr, &queenEg, &kingEg, nullptr};
    for (int32_t type = 0; type < 8; ++type) {
        for (int32_t sq = 0; sq < 64; ++sq) {
            // Black entries are defined on the square itself; White reads them through the mirror.
            const int32_t whiteView = mirrorSquare(sq);
            t.pstMidgame[BLACK][type][sq] = midgame[type] ? (*midgame[type])[whiteView] : 0;
            t.pstEndgame[BLACK][type][sq] = endgame[type] ? (*endgame[type])[whiteView] : 0;
            if (type == ROOK) t.pstMidgame[BLACK][type][sq] = rookFileMg[fileOf(sq)];
        }
    }
    for (int32_t type = 0; type < 8; ++type) {
        for (int32_t sq = 0; sq < 64; ++sq) {
            t.pstMidgame[WHITE][type][sq] = t.pstMidgame[BLACK][type][mirrorSquare(sq)];
            t.pstEndgame[WHITE][type][sq] = t.pstEndgame[BLACK][type][mirrorSquare(sq)];
        }
    }
    // Knight, bishop and rook: -8 in steps of 4; queen: -2 in steps of 1; 0 beyond each count.
    constexpr int32_t mobilityEntries[4] = {9, 14, 15, 28};
    for (int32_t kind = 0; kind < 4; ++kind) {
        for (int32_t n = 0; n < 28; ++n) {
            const int32_t value = n >= mobilityEntries[kind] ? 0 : kind == MOB_QUEEN ? -2 + n : -8 + 4 * n;
            t.mobilityMg[kind][n] = value;
            t.mobilityEg[kind][n] = value;
        }
    }
    return t;
}

}  // namespace

constexpr EvalTables evalTables = buildEvalTables();

int32_t evalStrengthSetting() { return strengthLimited ? strengthElo : 0; }

int32_t Evaluator::evaluate(const Position& pos) const {
    // Key 0 marks an empty entry, so such a position is never cached.
    if (evalCache == nullptr || evalCache->entries == nullptr || pos.key == 0) return evaluateAfresh(pos);
    EvalCacheEntry* bucket = evalCache->bucketOf(pos.key);
    const int32_t strength = evalStrengthSetting();
    for (int32_t i = 0; i < EVAL_CACHE_WAYS; ++i)
        if (bucket[i].key == pos.key && bucket[i].strength == strength) return bucket[i].score;
    const int32_t score = evaluateAfresh(pos);
    for (int32_t i = EVAL_CACHE_WAYS - 1; i > 0; --i) bucket[i] = bucket[i - 1];
    bucket[0] = {pos.key, score, strength};
    return score;
}

int32_t Evaluator::evaluateAfresh(const Position& pos) const {
    int32_t scale = FULL_SCALE;
    if (pos.phase <= ENDGAME_PHASE) {
        const EndgameVerdict verdict = recogniseEndgame(pos);
        if (verdict.final) return verdict.score;
        scale = verdict.scale;
    }

    int32_t adjusted[2];
    for (int32_t c = BLACK; c <= WHITE; ++c) {
        adjusted[c] = pos.material[c];
        if (pieceCount(pos, c, BISHOP) >= 2) adjusted[c] += BISHOP_PAIR;
        if (pieceCount(pos, c, PAWN) == 0) adjusted[c] -= NO_PAWNS;
    }
    int32_t mg = adjusted[WHITE] - adjusted[BLACK] + forSideToMove(TEMPO, pos.sideToMove);
    int32_t eg = mg;
    mg += fixedPatterns(pos);

    const Bitboard whitePawns = pos.pieces[WHITE][PAWN];
    const Bitboard blackPawns = pos.pieces[BLACK][PAWN];
    if (whitePawns | blackPawns) {
        PawnStructure pawns;
        probePawnStructure(pos, pawnHash, pawns);
        mg += pawns.mg;
        eg += pawns.eg;
        scorePassedPawns(pos, pawns, mg, eg);
    }
    const Bitboard whitePawnAttacks = pawnAttackSet(WHITE, whitePawns);
    const Bitboard blackPawnAttacks = pawnAttackSet(BLACK, blackPawns);

    PieceTerms terms[2];
    scorePieces<WHITE>(pos, blackPawnAttacks, whitePawnAttacks, terms[WHITE]);
    scorePieces<BLACK>(pos, whitePawnAttacks, blackPawnAttacks, terms[BLACK]);
    mg += terms[WHITE].mg - terms[BLACK].mg;
    eg += terms[WHITE].eg - terms[BLACK].eg;

    const int32_t wk = pos.kingSquare[WHITE] & 63, bk = pos.kingSquare[BLACK] & 63;
    const int32_t whiteDanger = kingShelter<WHITE>(pos) - kingSafetyTable[kingAttackUnits(wk, terms[BLACK])];
    const int32_t blackDanger = kingShelter<BLACK>(pos) - kingSafetyTable[kingAttackUnits(bk, terms[WHITE])];
    mg += pstMidgame[WHITE][KING][wk] + whiteDanger * adjusted[BLACK] / START_MATERIAL;
    mg -= pstMidgame[BLACK][KING][bk] + blackDanger * adjusted[WHITE] / START_MATERIAL;
    eg += pstEndgame[WHITE][KING][wk] - pstEndgame[BLACK][KING][bk];

    // The phase is not clamped: extra queens give the end-game score a negative weight.
    const int32_t phase = pos.phaseByColour[BLACK] + pos.phaseByColour[WHITE];
    int32_t score = (phase * mg + (FULL_PHASE - phase) * eg) / FULL_PHASE;
    if (scale != FULL_SCALE) score = scale * score / FULL_SCALE;
    if (strengthLimited) score = applyStrengthNoise(score, pos.key);
    return forSideToMove(score, pos.sideToMove);
}

void initEvalTables() {
    // Built here, before any clock runs, so that no search stalls on its first KPK probe.
    kpkBitbase();
}
