// Static evaluation: tapered middle-game/end-game terms for the side to move.
#pragma once

#include <cstdint>

#include "board/position.h"
#include "search/endgame.h"
#include "search/evalcache.h"

struct PawnHashTable;

inline constexpr int32_t LAZY_EVAL_MARGIN = 324;

// Piece-square tables [colour][piece type][square] (the white half mirrors the black half) and
// mobility bonuses by piece kind (knight, bishop, rook, queen) and safe-square count; fixed at
// compile time in evaluate.cpp.
struct EvalTables {
    int32_t pstMidgame[2][8][64];
    int32_t pstEndgame[2][8][64];
    int32_t mobilityMg[4][28];
    int32_t mobilityEg[4][28];
};
extern const EvalTables evalTables;

// Constant references: each lookup is a direct load from the table.
inline constexpr const int32_t (&pstMidgame)[2][8][64] = evalTables.pstMidgame;
inline constexpr const int32_t (&pstEndgame)[2][8][64] = evalTables.pstEndgame;
inline constexpr const int32_t (&mobilityBonusMg)[4][28] = evalTables.mobilityMg;
inline constexpr const int32_t (&mobilityBonusEg)[4][28] = evalTables.mobilityEg;

// A score from White's view turned to the view of `sideToMove`, without a branch: the side to
// move changes at every ply, so a branch on it would be mispredicted half the time.
inline int32_t forSideToMove(int32_t whiteScore, int32_t sideToMove) {
    const int32_t flip = -int32_t(sideToMove == BLACK);
    return (whiteScore ^ flip) - flip;
}

struct Evaluator {
    PawnHashTable* pawnHash = nullptr;
    EvalCache* evalCache = nullptr;

    // Score of the position for the side to move; may overwrite one pawn hash entry and one
    // evaluation cache entry.
    int32_t evaluate(const Position& pos) const;
    // Plain material balance when it lies far outside [alpha, beta], else evaluate(). Inline:
    // every quiescence node asks, and the balance alone often answers.
    int32_t lazyEvaluate(const Position& pos, int32_t alpha, int32_t beta) const {
        const int32_t balance = pos.material[WHITE] - pos.material[BLACK];
        const int32_t m = forSideToMove(balance, pos.sideToMove);
        if (m + LAZY_EVAL_MARGIN < alpha || m - LAZY_EVAL_MARGIN > beta) return m;
        return evaluate(pos);
    }
    // Final score or scale for small endgames; evaluate() asks only when the phase is 8 or less.
    static EndgameVerdict recogniseEndgame(const Position& pos);

private:
    // The evaluation itself, without the cache.
    int32_t evaluateAfresh(const Position& pos) const;
};

// The strength setting that changes evaluations (strengthElo while limited, else 0): a cached
// score serves only the setting it was made under.
int32_t evalStrengthSetting();

// Builds the KPK bitbase (once per process) before any clock runs; called by Engine::init.
void initEvalTables();
