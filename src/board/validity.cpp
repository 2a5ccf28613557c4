// Attack test and move validity: read-only questions asked at every node.
#include "board/attacks.h"
#include "board/position.h"

namespace {

constexpr Bitboard bit(int32_t square) { return 1ULL << square; }

// Whether no square from the king's castling origin to its end square is attacked.
bool kingPathSafe(const Position& position, int32_t from, int32_t end) {
    const int32_t low = from < end ? from : end;
    const int32_t high = from < end ? end : from;
    for (int32_t sq = low; sq <= high; ++sq)
        if (position.isSquareAttacked(sq, position.otherSide)) return false;
    return true;
}

bool castlingPlayable(const Position& position, int32_t from, int32_t to) {
    const int32_t us = position.sideToMove;
    if (from != position.castleKingFrom[us] || !(position.pieces[us][KING] & bit(from))) return false;
    if (!(position.pieces[us][ROOK] & bit(to))) return false;
    const int32_t backRank = us == WHITE ? 0 : 56;
    if (to == position.castleRookKingSide[us]) {
        if (!(position.castlingRights & (us == WHITE ? 1 : 4))) return false;
        if (position.occupied & position.castlePathKingSide[us]) return false;
        return kingPathSafe(position, from, backRank + 6);
    }
    if (to == position.castleRookQueenSide[us]) {
        if (!(position.castlingRights & (us == WHITE ? 2 : 8))) return false;
        if (position.occupied & position.castlePathQueenSide[us]) return false;
        return kingPathSafe(position, from, backRank + 2);
    }
    return false;
}

bool pawnMovePlayable(const Position& position, Move move) {
    const int32_t us = position.sideToMove;
    const int32_t from = moveFrom(move), to = moveTo(move);
    const int32_t up = us == WHITE ? 8 : -8;
    const int32_t lastRank = us == WHITE ? 7 : 0;
    // A promotion exactly when the pawn reaches the last rank.
    if ((rankOf(to) == lastRank) != (movePromotion(move) != 0)) return false;
    if (isEnPassant(move)) {
        if (moveCaptured(move) != PAWN || position.epFile != fileOf(to) + 1) return false;
        if (rankOf(to) != (us == WHITE ? 5 : 2)) return false;
        if (!(position.pieces[position.otherSide][PAWN] & bit(to - up))) return false;
        return (pawnAttacks[us][from] & bit(to)) != 0;
    }
    if (isDoublePush(move)) {
        if (moveCaptured(move) || rankOf(from) != (us == WHITE ? 1 : 6)) return false;
        return to == from + 2 * up && !(position.occupied & bit(from + up));
    }
    if (moveCaptured(move)) return (pawnAttacks[us][from] & bit(to)) != 0;
    return to == from + up;
}

}  // namespace

bool Position::isSquareAttacked(int32_t square, int32_t colour) const {
    const Bitboard* own = pieces[colour];
    if (pawnAttacks[colour ^ 1][square] & own[PAWN]) return true;
    if (knightAttacks[square] & own[KNIGHT]) return true;
    if (bishopAttacks(square, occupied) & (own[BISHOP] | own[QUEEN])) return true;
    if (rookAttacks(square, occupied) & (own[ROOK] | own[QUEEN])) return true;
    return (kingAttacks[square] & own[KING]) != 0;
}

bool Position::isPseudoLegal(Move move) const {
    // Bits above 23 are never set by a generator.
    if (move == noMove || (move >> 24) != 0) return false;
    const int32_t from = moveFrom(move), to = moveTo(move);
    const int32_t moving = movePiece(move), captured = moveCaptured(move), promotion = movePromotion(move);
    const int32_t us = sideToMove, them = otherSide;
    if (moving < PAWN || moving > KING || captured > QUEEN || from == to) return false;
    if (!(pieces[us][moving] & bit(from))) return false;

    // Flags only on the pieces that can carry them, and at most one special flag per word.
    const int32_t specials = int32_t(promotion != 0) + isEnPassant(move) + isDoublePush(move) + isCastling(move);
    if (specials > 1) return false;
    if (moving != PAWN && (promotion || isEnPassant(move) || isDoublePush(move))) return false;
    if (moving != KING && isCastling(move)) return false;
    if (promotion && (promotion < KNIGHT || promotion > QUEEN)) return false;

    if (isCastling(move)) return captured == 0 && castlingPlayable(*this, from, to);
    if (!captured || isEnPassant(move)) {
        if (occupied & bit(to)) return false;
    } else if (!(pieces[them][captured] & bit(to))) {
        return false;
    }

    switch (moving) {
    case PAWN:
        return pawnMovePlayable(*this, move);
    case KNIGHT:
        return (knightAttacks[from] & bit(to)) != 0;
    case BISHOP:
        return (bishopAttacks(from, occupied) & bit(to)) != 0;
    case ROOK:
        return (rookAttacks(from, occupied) & bit(to)) != 0;
    case QUEEN:
        return (queenAttacks(from, occupied) & bit(to)) != 0;
    default:
        return (kingAttacks[from] & bit(to)) != 0;
    }
}
