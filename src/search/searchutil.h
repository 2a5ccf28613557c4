// Small node helpers shared by the alpha-beta and quiescence searches.
#pragma once

#include <cstdint>

#include "board/movegen.h"
#include "search/engine.h"

// Deepest ply a node may be searched at; a child beyond it scores as a draw.
inline constexpr int32_t MAX_SEARCH_PLY = MAX_PLY - 2;
// Total material (kings count 0) up to which a pawnless position cannot be won.
inline constexpr int32_t INSUFFICIENT_MATERIAL = 325;

inline bool isInsufficientMaterial(const Position& pos) {
    return pos.pieces[BLACK][PAWN] == 0 && pos.pieces[WHITE][PAWN] == 0 &&
           pos.material[BLACK] + pos.material[WHITE] <= INSUFFICIENT_MATERIAL;
}

inline bool isCheckmated(Position& pos) { return isInCheck(pos) && countLegalMoves(pos) == 0; }

// Same position with the same side to move since the last irreversible move.
inline bool isRepetition(const Engine& engine) {
    const Position& pos = engine.position;
    if (pos.rule50 <= 3) return false;
    int32_t lowest = engine.keyHistoryCount - 1 - int32_t(pos.rule50);
    if (lowest < 0) lowest = 0;
    for (int32_t i = engine.keyHistoryCount - 4; i >= lowest; i -= 2) {
        if (engine.keyHistory[i] == pos.key) return true;
    }
    return false;
}

// The node's line becomes `move` followed by the child's line.
inline void updatePv(Engine& engine, int32_t ply, Move move) {
    const int32_t childLength = engine.pvLength[ply + 1];
    const int32_t length = childLength + 1 < MAX_PLY - 1 ? childLength + 1 : MAX_PLY - 1;
    engine.pvTable[ply][0] = move;
    for (int32_t i = 1; i < length; ++i) engine.pvTable[ply][i] = engine.pvTable[ply + 1][i - 1];
    engine.pvLength[ply] = length;
}
