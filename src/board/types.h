// Shared board types: squares, colours, piece types, bitboards and the move word.
#pragma once

#include <cstdint>

using Bitboard = uint64_t;
using Move = uint32_t;

// Colours index every per-colour array as [black, white].
enum Colour : int32_t { BLACK = 0, WHITE = 1 };

enum PieceType : int32_t { NO_PIECE = 0, PAWN = 1, KNIGHT = 2, BISHOP = 3, ROOK = 4, QUEEN = 5, KING = 6 };

// Square index = rank * 8 + file; a1 = 0, h8 = 63.
enum SquareName : int32_t {
    A1, B1, C1, D1, E1, F1, G1, H1,
    A2, B2, C2, D2, E2, F2, G2, H2,
    A3, B3, C3, D3, E3, F3, G3, H3,
    A4, B4, C4, D4, E4, F4, G4, H4,
    A5, B5, C5, D5, E5, F5, G5, H5,
    A6, B6, C6, D6, E6, F6, G6, H6,
    A7, B7, C7, D7, E7, F7, G7, H7,
    A8, B8, C8, D8, E8, F8, G8, H8
};

inline constexpr Move noMove = 0;

// Move word layout: 0-5 from, 6-11 to, 12-14 moving type, 15-17 captured type,
// 18-20 promotion type, 21 castling (king onto own rook), 22 double push, 23 en passant.
inline constexpr Move MOVE_CASTLING = 1u << 21;
inline constexpr Move MOVE_DOUBLE_PUSH = 1u << 22;
inline constexpr Move MOVE_EN_PASSANT = 1u << 23;

constexpr int32_t moveFrom(Move m) { return int32_t(m & 63); }
constexpr int32_t moveTo(Move m) { return int32_t((m >> 6) & 63); }
constexpr int32_t movePiece(Move m) { return int32_t((m >> 12) & 7); }
constexpr int32_t moveCaptured(Move m) { return int32_t((m >> 15) & 7); }
constexpr int32_t movePromotion(Move m) { return int32_t((m >> 18) & 7); }
constexpr bool isCastling(Move m) { return (m & MOVE_CASTLING) != 0; }
constexpr bool isDoublePush(Move m) { return (m & MOVE_DOUBLE_PUSH) != 0; }
constexpr bool isEnPassant(Move m) { return (m & MOVE_EN_PASSANT) != 0; }

constexpr Move makeMove(int32_t from, int32_t to, int32_t piece, int32_t captured = 0,
                        int32_t promotion = 0, Move flags = 0) {
    return Move(from) | (Move(to) << 6) | (Move(piece) << 12) | (Move(captured) << 15) |
           (Move(promotion) << 18) | flags;
}

constexpr int32_t fileOf(int32_t sq) { return sq & 7; }
constexpr int32_t rankOf(int32_t sq) { return sq >> 3; }
constexpr int32_t mirrorSquare(int32_t sq) { return sq ^ 56; }
// King steps from one square to another (the larger of the file and rank distances).
constexpr int32_t squareDistance(int32_t a, int32_t b) {
    const int32_t files = fileOf(a) > fileOf(b) ? fileOf(a) - fileOf(b) : fileOf(b) - fileOf(a);
    const int32_t ranks = rankOf(a) > rankOf(b) ? rankOf(a) - rankOf(b) : rankOf(b) - rankOf(a);
    return files > ranks ? files : ranks;
}

// Scores are centipawns; mate is 32000, mated at ply n scores n - 32000.
inline constexpr int32_t MATE_SCORE = 32000;
inline constexpr int32_t MATE_BOUND = 31744;
inline constexpr int32_t DRAW_SCORE = 0;

// A score this far from 0 (either sign) is a mate score.
constexpr bool isMateScore(int32_t score) { return score >= MATE_BOUND || score <= -MATE_BOUND; }

inline constexpr int32_t MAX_PLY = 128;
inline constexpr int32_t MAX_MOVES = 256;

struct ScoredMove {
    Move move;
    int32_t score;
};
