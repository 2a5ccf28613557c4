// Zobrist key tables and from-scratch key computation. Book files depend on these values.
#pragma once

#include <cstdint>

#include "board/position.h"

struct ZobristTables {
    // [piece type 0..7][colour][square]; rows 0 and 7 are zero.
    uint64_t pieceSquare[8][2][64] = {};
    uint64_t enPassant[8] = {};
    // [rights 0..15]; each entry is the XOR of its single-right entries, entry 0 is 0.
    uint64_t castling[16] = {};
};
extern const ZobristTables zobristTables;

// Constant references: each lookup is a direct load from the table.
inline constexpr const uint64_t (&zobristPieceSquare)[8][2][64] = zobristTables.pieceSquare;
inline constexpr const uint64_t (&zobristEnPassant)[8] = zobristTables.enPassant;
inline constexpr const uint64_t (&zobristCastling)[16] = zobristTables.castling;
inline constexpr uint64_t zobristSideToMove = 0xF039404E0DD3333FULL;

// Keys recomputed from the board (FEN reader, consistency checks).
uint64_t computeKey(const Position& position);
uint64_t computePawnKey(const Position& position);
