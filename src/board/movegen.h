// Move generators: pseudo-legal captures/quiets, check evasions and legal lists.
#pragma once

#include <cstdint>

#include "board/position.h"
#include "board/types.h"

// Every generator writes the move field of entries from `out` on and returns how many it wrote.
// `room` is the number of entries available from `out`; moves beyond it are dropped, so no
// position (however many queens a FEN sets up) can overrun a list. Callers appending to a
// partly filled list pass what is left (MAX_MOVES - count).

// Captures and every promotion of the side to move (for a side not in check).
int32_t generateCaptures(const Position& position, ScoredMove* out, int32_t room = MAX_MOVES);
// Castling, piece moves to empty squares and non-promoting pawn pushes (side not in check).
int32_t generateQuiets(const Position& position, ScoredMove* out, int32_t room = MAX_MOVES);
// Replies to a check: king moves, and with one checker captures of it and blocks.
int32_t generateEvasions(const Position& position, ScoredMove* out, int32_t room = MAX_MOVES);
// Evasions when inCheck, else captures followed by quiets.
int32_t generateMoves(const Position& position, ScoredMove* out, bool inCheck, int32_t room = MAX_MOVES);
// Legal moves in generation order; the position is the same on return.
int32_t generateLegalMoves(Position& position, ScoredMove* out, bool inCheck, int32_t room = MAX_MOVES);
// Number of legal moves of the side to move (0 when mated or stalemated).
int32_t countLegalMoves(Position& position);

// Whether the side to move is in check.
inline bool isInCheck(const Position& position) {
    return position.isSquareAttacked(position.kingSquare[position.sideToMove], position.otherSide);
}
