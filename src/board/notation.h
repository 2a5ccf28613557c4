// Move text: coordinate notation (e2e4, e7e8q), long algebraic notation (Ng1-f3), and
// turning coordinate or castling text into a move word for a position.
#pragma once

#include <cstddef>
#include <cstdint>

#include "board/position.h"
#include "board/types.h"

// Bytes one coordinate move needs in a list: five characters and a separator or the NUL.
inline constexpr int32_t MOVE_TEXT_STRIDE = 6;

// How a castling move is written in coordinate text.
enum class CastlingStyle : uint8_t {
    KingDestination,  // e1g1: standard chess (a rook off the corner prints as its own square)
    KingTakesRook,    // e1h1: UCI in Chess960
    Words,            // O-O, O-O-O: XBoard in Chess960
};

// "O-O" for castling with the rook on the h-file side of the king, else "O-O-O" (castling is
// stored as the king taking its own rook, so the rook's side names the wing).
const char* castlingWord(Move move);
// The moves written as words alike in SAN and long algebraic: nothing for move 0, castling as
// its word. Returns false, writing nothing, for any other move.
bool writeWordMove(Move move, char* buffer);

// Writes one move in coordinate text (at most 5 characters plus NUL), castling in `style`.
// Move 0 prints "0000".
void formatMove(Move move, CastlingStyle style, char* buffer);
// The same with castling as the king's destination, or as king takes rook when `chess960`.
void formatMove(Move move, bool chess960, char* buffer);

// Writes `count` moves separated by single blanks; the buffer needs count * 6 + 1 bytes.
void formatMoveList(const Move* moves, int32_t count, CastlingStyle style, char* buffer);
// The same with castling written as formatMove does for the position's chess960 flag.
void formatMoveList(const Position& position, const Move* moves, int32_t count, char* buffer);

// Writes one move as long algebraic text (e2-e4, Ng1-f3, e5xd6e.p, e7-e8=Q, O-O); at most 9
// characters plus NUL. Move 0 gives the empty string.
void moveToLongAlgebraic(Move move, char* buffer);

// Square of two coordinate characters ("e4"), or -1 when they are not a square.
int32_t parseSquare(const char* text);

// Move word for from/to squares and a promotion type (0 for none) in `position`: fills in the
// moving and captured types and the castling, e.p. and double-push flags. Returns noMove when
// the text cannot denote a move of the side to move (empty or foreign from-square, castling
// text whose king and rook are not there, a king move to its castling square that is no
// castling). Legality is the caller's test.
Move buildMove(const Position& position, int32_t from, int32_t to, int32_t promotion);

// The side to move's castling word for "O-O" (queenSide 0) or "O-O-O" (queenSide 1);
// noMove when its king or rook is not where castling needs them.
Move buildCastlingMove(const Position& position, int32_t queenSide);

// Promotion type of a lower-case promotion letter (n, b, r, q), 0 for any other character.
int32_t promotionFromLetter(char letter);

// Parses one move text: castling text ("O-O", "O-O-O") or four coordinate characters, with a
// fifth promotion letter when the text is exactly five characters long. noMove when refused.
Move parseMoveText(const Position& position, const char* text);
