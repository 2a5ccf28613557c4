// Attack test and move validity: read-only questions asked at every node.
#include "board/attacks.h"
#include "board/position.h"

namespace {

bool castlingPlayable(const Position& position, int32_t from, int32_t to) {
    const int32_t us = position.sideToMove;
    if (from != position.castleKingFrom[us] || !(position.pieces[us][KING] & squareBB[from])) return false;
    if (!(position.pieces[us][ROOK] & squareBB[to])) return false;
    if (to == position.castleRookKingSide[us]) {
        if (!(position.castlingRights & kingSideRight[us])) return false;
        if (position.occupied & position.castlePathKingSide[us]) return false;
        return position.isCastlingPathSafe(from, castleKingEnd[us][1]);
    }
    if (to == position.castleRookQueenSide[us]) {
        if (!(position.castlingRights & queenSideRight[us])) return false;
        if (position.occupied & position.castlePathQueenSide[us]) return false;
        return position.isCastlingPathSafe(from, castleKingEnd[us][0]);
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
        if (!(position.pieces[position.otherSide][PAWN] & squareBB[to + epCaptureOffset[us]])) return false;
        return (pawnAttacks[us][from] & squareBB[to]) != 0;
    }
    if (isDoublePush(move)) {
        if (moveCaptured(move) || rankOf(from) != (us == WHITE ? 1 : 6)) return false;
        return to == from + 2 * up && !(position.occupied & squareBB[from + up]);
    }
    if (moveCaptured(move)) return (pawnAttacks[us][from] & squareBB[to]) != 0;
    return to == from + up;
}

}  // namespace

bool Position::isCastlingPathSafe(int32_t kingFrom, int32_t kingEnd) const {
    const int32_t low = kingFrom < kingEnd ? kingFrom : kingEnd;
    const int32_t high = kingFrom < kingEnd ? kingEnd : kingFrom;
    for (int32_t sq = low; sq <= high; ++sq)
        if (isSquareAttacked(sq, otherSide)) return false;
    return true;
}

bool Position::isPseudoLegal(Move move) const {
    // Bits above 23 are never set by a generator.
    if (move == noMove || (move >> 24) != 0) return false;
    const int32_t from = moveFrom(move), to = moveTo(move);
    const int32_t moving = movePiece(move), captured = moveCaptured(move), promotion = movePromotion(move);
    const int32_t us = sideToMove, them = otherSide;
    if (moving < PAWN || moving > KING || captured > QUEEN || from == to) return false;
    if (!(pieces[us][moving] & squareBB[from])) return false;

    // Flags only on the pieces that can carry them, and at most one special flag per word.
    const int32_t specials = int32_t(promotion != 0) + isEnPassant(move) + isDoublePush(move) + isCastling(move);
    if (specials > 1) return false;
    if (moving != PAWN && (promotion || isEnPassant(move) || isDoublePush(move))) return false;
    if (moving != KING && isCastling(move)) return false;
    if (promotion && (promotion < KNIGHT || promotion > QUEEN)) return false;

    if (isCastling(move)) return captured == 0 && castlingPlayable(*this, from, to);
    if (!captured || isEnPassant(move)) {
        if (occupied & squareBB[to]) return false;
    } else if (!(pieces[them][captured] & squareBB[to])) {
        return false;
    }

    switch (moving) {
    case PAWN:
        return pawnMovePlayable(*this, move);
    case KNIGHT:
        return (knightAttacks[from] & squareBB[to]) != 0;
    case BISHOP:
        return (bishopAttacks(from, occupied) & squareBB[to]) != 0;
    case ROOK:
        return (rookAttacks(from, occupied) & squareBB[to]) != 0;
    case QUEEN:
        return (queenAttacks(from, occupied) & squareBB[to]) != 0;
    default:
        return (kingAttacks[from] & squareBB[to]) != 0;
    }
}
