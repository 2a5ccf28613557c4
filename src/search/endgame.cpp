#include "search/evaluate.h"

#include "board/bits.h"
#include "search/bitbase.h"

namespace {

// Material halves: 4-bit counts of pawns, knights, bishops, rooks, queens.
constexpr uint32_t P = 0x1, N = 0x10, B = 0x100, R = 0x1000, Q = 0x10000;
constexpr uint32_t BARE = 0;

constexpr int32_t lonelyKingEdgeBonus[64] = {
    80, 70, 60, 50, 50, 60, 70, 80,
    70, 60, 40, 30, 30, 40, 60, 70,
    60, 40, 20, 10, 10, 20, 40, 60,
    50, 30, 10,  0,  0, 10, 30, 50,
    50, 30, 10,  0,  0, 10, 30, 50,
    60, 40, 20, 10, 10, 20, 40, 60,
    70, 60, 40, 30, 30, 40, 60, 70,
    80, 70, 60, 50, 50, 60, 70, 80,
};

constexpr int32_t kingDistanceBonus[8] = {0, 0, 25, 20, 15, 10, 5, 0};

enum class Rule { MateQueen, MateRook, Kpk, Draw, Scale8, Scale4, Scale2 };

struct EndgameRow {
    uint32_t strong;
    uint32_t weak;
    Rule rule;
};

// Checked both ways round: the first set may belong to either colour.
constexpr EndgameRow endgameRows[] = {
    {Q, BARE, Rule::MateQueen},
    {R, BARE, Rule::MateRook},
    {P, BARE, Rule::Kpk},
    {2 * N, BARE, Rule::Draw},
    {N, N, Rule::Draw},
    {B, B, Rule::Draw},
    {N, B, Rule::Draw},
    {P, N, Rule::Scale8},
    {P, B, Rule::Scale8},
    {R, N, Rule::Scale8},
    {R, B, Rule::Scale8},
    {2 * N, 2 * N, Rule::Scale2},
    {2 * N, N, Rule::Scale2},
    {2 * N, B, Rule::Scale2},
    {N + B, N, Rule::Scale2},
    {N + B, B, Rule::Scale2},
    {2 * B, N, Rule::Scale4},
    {2 * B, B, Rule::Scale4},
};

EndgameVerdict finalScore(int32_t score) {
    EndgameVerdict v;
    v.final = true;
    v.score = score;
    return v;
}

EndgameVerdict scaled(int32_t scale) {
    EndgameVerdict v;
    v.scale = scale;
    return v;
}

// The lone king is driven to the edge and the stronger king brought close.
EndgameVerdict mateScore(const Position& pos, int32_t strong, int32_t base) {
    const int32_t weakKing = pos.kingSquare[strong ^ 1];
    const int32_t s = base + lonelyKingEdgeBonus[weakKing & 63] +
                      kingDistanceBonus[squareDistance(weakKing, pos.kingSquare[strong])];
    return finalScore(pos.sideToMove == strong ? s : -s);
}

EndgameVerdict kpkScore(const Position& pos, int32_t strong) {
    const Bitboard pawns = pos.pieces[strong][PAWN];
    if (pawns == 0) return scaled(FULL_SCALE);
    int32_t pawn = lowestSquare(pawns);
    int32_t attacker = pos.kingSquare[strong] & 63;
    int32_t defender = pos.kingSquare[strong ^ 1] & 63;
    // Seen as a white pawn advancing up the board.
    if (strong == BLACK) {
        pawn = mirrorSquare(pawn);
        attacker = mirrorSquare(attacker);
        defender = mirrorSquare(defender);
    }
    if (fileOf(pawn) > 3) {
        pawn ^= 7;
        attacker ^= 7;
        defender ^= 7;
    }
    const int32_t attackerToMove = pos.sideToMove == strong ? 1 : 0;
    if (!kpkProbe(defender, attacker, pawn, attackerToMove)) return finalScore(0);
    const int32_t s = 100 + 8 * rankOf(pawn);
    return finalScore(attackerToMove ? s : -s);
}

EndgameVerdict applyRule(const Position& pos, Rule rule, int32_t strong) {
    switch (rule) {
        case Rule::MateQueen: return mateScore(pos, strong, 975);
        case Rule::MateRook: return mateScore(pos, strong, 500);
        case Rule::Kpk: return kpkScore(pos, strong);
        case Rule::Draw: return finalScore(0);
        case Rule::Scale8: return scaled(8);
        case Rule::Scale4: return scaled(4);
        case Rule::Scale2: return scaled(2);
    }
    return scaled(FULL_SCALE);
}

}  // namespace

EndgameVerdict Evaluator::recogniseEndgame(const Position& pos) {
    const bool noPawns = pos.pieces[BLACK][PAWN] == 0 && pos.pieces[WHITE][PAWN] == 0;
    if (noPawns && pos.material[BLACK] + pos.material[WHITE] <= 325) return finalScore(0);

    const uint32_t black = uint32_t(pos.materialKey);
    const uint32_t white = uint32_t(pos.materialKey >> 32);
    for (const EndgameRow& row : endgameRows) {
        if (white == row.strong && black == row.weak) return applyRule(pos, row.rule, WHITE);
        if (black == row.strong && white == row.weak) return applyRule(pos, row.rule, BLACK);
    }
    return scaled(FULL_SCALE);
}
