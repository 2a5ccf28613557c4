#include "board/notation.h"

#include <cstring>

namespace {

constexpr char promotionLetters[] = "0pnbrqk";
constexpr char longAlgebraicPieceLetters[] = "  NBRQK ";
constexpr char upperPieceLetters[] = " PNBRQK ";

char* writeSquare(char* out, int32_t square) {
    *out++ = char('a' + fileOf(square));
    *out++ = char('1' + rankOf(square));
    return out;
}

// Castling with standard notation shows the king's destination for a corner rook.
int32_t castlingDisplaySquare(int32_t rookSquare) {
    switch (rookSquare) {
        case A1: return C1;
        case H1: return G1;
        case A8: return C8;
        case H8: return G8;
        default: return rookSquare;
    }
}

int32_t backRankOf(int32_t colour) { return colour == WHITE ? 0 : 7; }

bool holdsOwnRook(const Position& position, int32_t square, int32_t colour) {
    return position.board[square] == ROOK && (position.byColour[colour] >> square & 1) != 0;
}

}  // namespace

const char* castlingWord(Move move) { return fileOf(moveTo(move)) >= fileOf(moveFrom(move)) ? "O-O" : "O-O-O"; }

bool writeWordMove(Move move, char* buffer) {
    if (move == noMove) {
        *buffer = '\0';
        return true;
    }
    if (!isCastling(move)) return false;
    std::strcpy(buffer, castlingWord(move));
    return true;
}

void formatMove(Move move, CastlingStyle style, char* buffer) {
    if (move == noMove) {
        std::memcpy(buffer, "0000", 5);
        return;
    }
    if (isCastling(move) && style == CastlingStyle::Words) {
        std::strcpy(buffer, castlingWord(move));
        return;
    }
    char* out = buffer;
    int32_t to = moveTo(move);
    if (isCastling(move) && style == CastlingStyle::KingDestination) to = castlingDisplaySquare(to);
    out = writeSquare(out, moveFrom(move));
    out = writeSquare(out, to);
    const int32_t promotion = movePromotion(move);
    if (promotion >= KNIGHT && promotion <= QUEEN) *out++ = promotionLetters[promotion];
    *out = '\0';
}

void formatMove(Move move, bool chess960, char* buffer) {
    formatMove(move, chess960 ? CastlingStyle::KingTakesRook : CastlingStyle::KingDestination, buffer);
}

void formatMoveList(const Move* moves, int32_t count, CastlingStyle style, char* buffer) {
    char* out = buffer;
    *out = '\0';
    for (int32_t i = 0; i < count; i++) {
        if (i > 0) *out++ = ' ';
        formatMove(moves[i], style, out);
        out += std::strlen(out);
    }
}

void formatMoveList(const Position& position, const Move* moves, int32_t count, char* buffer) {
    formatMoveList(moves, count, position.chess960 ? CastlingStyle::KingTakesRook : CastlingStyle::KingDestination,
                   buffer);
}

void moveToLongAlgebraic(Move move, char* buffer) {
    if (writeWordMove(move, buffer)) return;
    char* out = buffer;
    const int32_t piece = movePiece(move);
    if (piece >= KNIGHT && piece <= KING) *out++ = longAlgebraicPieceLetters[piece];
    out = writeSquare(out, moveFrom(move));
    *out++ = moveCaptured(move) != NO_PIECE ? 'x' : '-';
    out = writeSquare(out, moveTo(move));
    if (isEnPassant(move)) {
        std::memcpy(out, "e.p", 3);
        out += 3;
    }
    const int32_t promotion = movePromotion(move);
    if (promotion >= KNIGHT && promotion <= QUEEN) {
        *out++ = '=';
        *out++ = upperPieceLetters[promotion];
    }
    *out = '\0';
}

int32_t parseSquare(const char* text) {
    const unsigned char file = static_cast<unsigned char>(text[0]);
    if (file < 'a' || file > 'h') return -1;
    const unsigned char rank = static_cast<unsigned char>(text[1]);
    if (rank < '1' || rank > '8') return -1;
    return (rank - '1') * 8 + (file - 'a');
}

int32_t promotionFromLetter(char letter) {
    switch (letter) {
        case 'n': return KNIGHT;
        case 'b': return BISHOP;
        case 'r': return ROOK;
        case 'q': return QUEEN;
        default: return NO_PIECE;
    }
}

Move buildMove(const Position& position, int32_t from, int32_t to, int32_t promotion) {
    const int32_t us = position.sideToMove;
    const int32_t piece = position.board[from];
    if (piece == NO_PIECE || (position.byColour[us] >> from & 1) == 0) return noMove;
    Move flags = 0;
    int32_t captured = position.board[to];
    if (piece == PAWN) {
        if (captured == NO_PIECE && fileOf(from) != fileOf(to)) {
            if (position.epFile != 0) {
                flags |= MOVE_EN_PASSANT;
                captured = PAWN;
            }
        }
        const int32_t rankDistance = rankOf(to) - rankOf(from);
        if (rankDistance == 2 || rankDistance == -2) flags |= MOVE_DOUBLE_PUSH;
    } else if (piece == KING && from == position.castleKingFrom[us]) {
        int32_t rookTo = to;
        const bool castlingTarget = !position.chess960 && rankOf(to) == backRankOf(us) &&
                                    (fileOf(to) == 6 || fileOf(to) == 2);
        if (castlingTarget)
            rookTo = fileOf(to) == 6 ? position.castleRookKingSide[us] : position.castleRookQueenSide[us];
        const bool towardsCastlingRook =
            rookTo == position.castleRookKingSide[us] || rookTo == position.castleRookQueenSide[us];
        if (towardsCastlingRook && holdsOwnRook(position, rookTo, us)) {
            // A promotion letter on castling text makes it no move at all.
            if (promotion != NO_PIECE) return noMove;
            return makeMove(from, rookTo, KING, NO_PIECE, NO_PIECE, MOVE_CASTLING);
        }
        // Text naming the king's castling square means castling or nothing, never a plain king move.
        if (castlingTarget) return noMove;
    }
    return makeMove(from, to, piece, captured, promotion, flags);
}

Move buildCastlingMove(const Position& position, int32_t queenSide) {
    const int32_t us = position.sideToMove;
    const int32_t from = position.castleKingFrom[us];
    const int32_t rook = queenSide ? position.castleRookQueenSide[us] : position.castleRookKingSide[us];
    if (from < 0 || from > 63 || rook < 0 || rook > 63) return noMove;
    if (position.board[from] != KING || (position.byColour[us] >> from & 1) == 0) return noMove;
    if (!holdsOwnRook(position, rook, us)) return noMove;
    return makeMove(from, rook, KING, NO_PIECE, NO_PIECE, MOVE_CASTLING);
}

Move parseMoveText(const Position& position, const char* text) {
    if (std::strncmp(text, "O-O", 3) == 0) {
        return buildCastlingMove(position, std::strncmp(text, "O-O-O", 5) == 0);
    }
    const size_t length = strnlen(text, 6);
    if (length < 4) return noMove;
    const int32_t from = parseSquare(text);
    const int32_t to = parseSquare(text + 2);
    if (from < 0 || to < 0) return noMove;
    int32_t promotion = NO_PIECE;
    if (length == 5) {
        promotion = promotionFromLetter(text[4]);
        if (promotion == NO_PIECE) return noMove;
    }
    return buildMove(position, from, to, promotion);
}
