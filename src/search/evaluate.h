// Static evaluation: tapered middle-game/end-game terms for the side to move.
#pragma once

#include <cstdint>

#include "board/position.h"
#include "search/endgame.h"

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

struct Evaluator {
    PawnHashTable* pawnHash = nullptr;

    // Score of the position for the side to move; may overwrite one pawn hash entry.
    int32_t evaluate(const Position& pos) const;
    // Plain material balance when it lies far outside [alpha, beta], else evaluate().
    int32_t lazyEvaluate(const Position& pos, int32_t alpha, int32_t beta) const;
    // Final score or scale for small endgames; evaluate() asks only when the phase is 8 or less.
    static EndgameVerdict recogniseEndgame(const Position& pos);
};

// Builds the KPK bitbase (once per process) before any clock runs; called by Engine::init.
void initEvalTables();
