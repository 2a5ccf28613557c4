// FEN reading and writing on a bare Position; the engine wraps these with its game state.
#pragma once

#include <cstdint>

#include "board/position.h"

// Longest text writeFen produces, NUL included.
inline constexpr int32_t FEN_BUFFER_SIZE = 98;

// Parses `text` (NUL-terminated) into `position`: 1 when accepted; 0 when rejected, and then
// `position` is untouched. On success every field but chess960 is written; a colour without
// a king keeps its previous kingSquare. `fullMoveNumber` (may be null) receives the sixth
// field, 0 when absent.
int32_t parseFen(Position& position, const char* text, int32_t* fullMoveNumber = nullptr);

// Writes the position as one FEN line into `buffer` (at least FEN_BUFFER_SIZE bytes); the last
// field is `moveCounter` (the engine passes its game history count).
void writeFen(const Position& position, int32_t moveCounter, char* buffer);
