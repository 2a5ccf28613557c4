// Units, node flags and small node helpers shared by the root driver, the alpha-beta search and
// the quiescence search.
#pragma once

#include <cstdint>

#include "board/movegen.h"
#include "search/engine.h"

// The alpha-beta search counts depth in quarter plies; ONE_PLY is one whole ply.
inline constexpr int32_t ONE_PLY = 4;

// Deepest ply a node may be searched at; a child beyond it scores as a draw.
inline constexpr int32_t MAX_SEARCH_PLY = MAX_PLY - 2;
// Total material (kings count 0) up to which a pawnless position cannot be won.
inline constexpr int32_t INSUFFICIENT_MATERIAL = 325;
// Half-moves without a capture or pawn move after which the game is drawn (fifty moves).
inline constexpr int32_t FIFTY_MOVE_PLIES = 100;
// A position can repeat only after four reversible half-moves (two by each side).
inline constexpr int32_t FIRST_REPETITION_PLIES = 4;

// Readable values for the node flags of Engine::search, searchEntry and quiescenceEntry.
inline constexpr bool NULL_MOVE_ALLOWED = true;
inline constexpr bool NO_NULL_MOVE = false;
inline constexpr bool PV_NODE = true;
inline constexpr bool NON_PV_NODE = false;
inline constexpr bool NOT_IN_CHECK = false;

inline bool isInsufficientMaterial(const Position& pos) {
    return pos.pieces[BLACK][PAWN] == 0 && pos.pieces[WHITE][PAWN] == 0 &&
           pos.material[BLACK] + pos.material[WHITE] <= INSUFFICIENT_MATERIAL;
}

inline bool isCheckmated(Position& pos) { return isInCheck(pos) && countLegalMoves(pos) == 0; }

inline bool isFiftyMovesReached(const Position& pos) { return pos.rule50 >= FIFTY_MOVE_PLIES; }

inline bool isQuiet(Move move) { return moveCaptured(move) == NO_PIECE && movePromotion(move) == NO_PIECE; }

// A pawn stepping onto its seventh rank (either colour's) is about to promote.
inline bool isPawnToSeventh(Move move) {
    const int32_t toRank = rankOf(moveTo(move));
    // Bitwise: no branch on move details, which vary from move to move.
    return (movePiece(move) == PAWN) & ((toRank == 1) | (toRank == 6));
}

// Same position with the same side to move since the last irreversible move.
inline bool isRepetition(const Engine& engine) {
    const Position& pos = engine.position;
    if (pos.rule50 < FIRST_REPETITION_PLIES) return false;
    int32_t lowest = engine.keyHistoryCount - 1 - int32_t(pos.rule50);
    if (lowest < 0) lowest = 0;
    // Only positions with the same side to move, back to the last irreversible move.
    for (int32_t i = engine.keyHistoryCount - FIRST_REPETITION_PLIES; i >= lowest; i -= 2) {
        if (engine.keyHistory[i] == pos.key) return true;
    }
    return false;
}

// A move of the search path: made only when legal, and the key before it goes onto the key
// history for the repetition test. False leaves everything as it was.
// `probesTable` tells that the child is an alpha-beta node, which probes the transposition table.
inline bool makeSearchMove(Engine& engine, Move move, UndoRecord& undo, bool probesTable = false) {
    if (!engine.position.doMoveIfLegal(move, undo)) return false;
    engine.keyHistory[engine.keyHistoryCount++] = undo.key;
    // The entries the child reads first start loading: most children evaluate their position
    // (evaluation cache, pawn hash), an alpha-beta child probes the table.
    const Position& child = engine.position;
    engine.evalCache.prefetch(child.key);
    engine.pawnHash.prefetch(child.pawnKey);
    if (probesTable) engine.tt.prefetch(child.key);
    return true;
}

inline void unmakeSearchMove(Engine& engine, Move move, const UndoRecord& undo) {
    engine.position.undoMove(move, undo);
    --engine.keyHistoryCount;
}

// A child node: the quiescence search once less than a ply is left, else the alpha-beta search.
// The score is the child's, from the child's side (the caller negates it).
inline int32_t searchChild(Engine& engine, int32_t alpha, int32_t beta, int32_t depth, int32_t ply, bool allowNull,
                           bool pvNode, bool inCheck) {
    if (depth < ONE_PLY) return engine.quiescenceEntry(alpha, beta, 0, ply, pvNode, inCheck);
    return engine.searchEntry(alpha, beta, depth, ply, allowNull, pvNode, inCheck);
}

// The node's line becomes `move` followed by the child's line.
inline void updatePv(Engine& engine, int32_t ply, Move move) {
    const int32_t childLength = engine.pvLength[ply + 1];
    const int32_t length = childLength + 1 < MAX_PLY - 1 ? childLength + 1 : MAX_PLY - 1;
    engine.pvTable[ply][0] = move;
    for (int32_t i = 1; i < length; ++i) engine.pvTable[ply][i] = engine.pvTable[ply + 1][i - 1];
    engine.pvLength[ply] = length;
}
