// Standard algebraic notation (SAN) of a move, as test suites write their best moves.
#pragma once

#include <cstdint>

#include "board/position.h"
#include "board/types.h"

// Longest text moveToSan writes ("Qa1xb2", "exd8=Q", "O-O-O"), NUL included, with room to spare.
inline constexpr int32_t SAN_BUFFER_SIZE = 16;

// Writes `move` (a legal move of the side to move in `position`) as SAN into `buffer`
// (SAN_BUFFER_SIZE bytes): "O-O"/"O-O-O" for castling in standard chess and Chess960, the
// piece letter, the from-file and/or from-rank when another legal move of the same piece type
// reaches the same square, "x" for captures (a pawn first writes its file), the to-square and
// "=Q" style promotions. No check or mate mark is written. Move 0 gives the empty text. The
// position is the same on return (the legal moves are found by making and unmaking them).
void moveToSan(Position& position, Move move, char* buffer);
