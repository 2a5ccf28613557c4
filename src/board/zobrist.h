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

// The key `move` leads to, for prefetching only: exact for a move that neither castles nor
// changes the castling rights, otherwise a harmless guess. Nothing may decide on it.
inline uint64_t keyAfter(const Position& position, Move move) {
    const int32_t from = moveFrom(move), to = moveTo(move), us = position.sideToMove;
    const int32_t moving = movePiece(move), captured = moveCaptured(move), promotion = movePromotion(move);
    uint64_t after = position.key ^ zobristSideToMove ^ zobristPieceSquare[moving][us][from];
    after ^= zobristPieceSquare[promotion ? promotion : moving][us][to];
    if (captured) {
        const int32_t square = isEnPassant(move) ? to + epCaptureOffset[us] : to;
        after ^= zobristPieceSquare[captured][position.otherSide][square];
    }
    if (position.epFile) after ^= zobristEnPassant[position.epFile - 1];
    if (isDoublePush(move)) after ^= zobristEnPassant[fileOf(to)];
    return after;
}

// Keys recomputed from the board (FEN reader, consistency checks).
uint64_t computeKey(const Position& position);
uint64_t computePawnKey(const Position& position);
