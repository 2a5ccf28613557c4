// Reading standard algebraic notation (SAN) as written in PGN files: a move text is matched
// against the legal moves of a position.
#pragma once

#include <cstdint>

#include "board/position.h"
#include "board/types.h"

// Returns the one move among `legal` (the `count` legal moves of a position, as
// generateLegalMoves lists them) that `text` names, or noMove when no move or more than one
// does, so a text never picks a move that its writer did not mean.
//
// Read: "O-O" and "O-O-O", also written with zeros; a piece letter N B R Q K or a pawn's
// file; an optional from-file, from-rank or full from-square; an optional "x"; the target
// square; for a promotion "=" and N B R Q. Anything after that ("+", "#", "!", "?") is
// ignored. The move word returned is the generator's own (flags for castling, en passant
// and double pushes included). `text` must be NUL-terminated.
Move matchSanMove(const ScoredMove* legal, int32_t count, const char* text);

// The same against the legal moves of `position` (unchanged on return).
Move matchSanMove(Position& position, const char* text);
