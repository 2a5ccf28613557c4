// Static exchange evaluation: swap algorithm with x-rays through the exchanged pieces.
#include <bit>

#include "board/attacks.h"
#include "board/position.h"

const int32_t seeValue[8] = {0, 100, 325, 325, 500, 975, 5000, 0};

namespace {

// Bit 1: captures diagonally (pawn, bishop, queen); bit 2: moves along lines (rook, queen).
constexpr int32_t sliderFlags[8] = {0, 1, 0, 1, 2, 3, 0, 0};

}  // namespace

int32_t Position::see(Move move) const {
    const int32_t target = moveTo(move), from = moveFrom(move), moving = movePiece(move);
    // One entry per piece on the board plus one: the gain list can never overflow.
    int32_t gain[40];
    gain[0] = isEnPassant(move) ? seeValue[PAWN] : seeValue[moveCaptured(move)];

    const Bitboard diagonalSliders = pieces[0][BISHOP] | pieces[0][QUEEN] | pieces[1][BISHOP] | pieces[1][QUEEN];
    const Bitboard lineSliders = pieces[0][ROOK] | pieces[0][QUEEN] | pieces[1][ROOK] | pieces[1][QUEEN];
    Bitboard attackers = (kingAttacks[target] & (pieces[0][KING] | pieces[1][KING])) |
                         (pawnAttacks[BLACK][target] & pieces[WHITE][PAWN]) |
                         (pawnAttacks[WHITE][target] & pieces[BLACK][PAWN]) |
                         (knightAttacks[target] & (pieces[0][KNIGHT] | pieces[1][KNIGHT])) |
                         (bishopAttacks(target, occupied) & diagonalSliders) |
                         (rookAttacks(target, occupied) & lineSliders);

    Bitboard occupancy = occupied & ~(1ULL << from);
    if (isEnPassant(move)) occupancy &= ~(1ULL << (target + epCaptureOffset[sideToMove]));
    if (sliderFlags[moving] & 1) attackers |= bishopAttacks(target, occupancy) & diagonalSliders;
    if (moving == PAWN || (sliderFlags[moving] & 2)) attackers |= rookAttacks(target, occupancy) & lineSliders;
    attackers &= occupancy;

    int32_t side = otherSide;
    int32_t onSquare = moving;
    int32_t depth = 1;
    while (attackers && depth < 40) {
        int32_t attackerType = PAWN;
        Bitboard candidates = 0;
        for (; attackerType <= KING; ++attackerType) {
            candidates = attackers & pieces[side][attackerType];
            if (candidates) break;
        }
        if (!candidates) break;
        occupancy &= ~(candidates & -candidates);
        if (sliderFlags[attackerType] & 1) attackers |= bishopAttacks(target, occupancy) & diagonalSliders;
        if (sliderFlags[attackerType] & 2) attackers |= rookAttacks(target, occupancy) & lineSliders;
        gain[depth] = seeValue[onSquare] - gain[depth - 1];
        ++depth;
        attackers &= occupancy;
        if (onSquare == KING) break;
        side ^= 1;
        onSquare = attackerType;
    }
    for (int32_t k = depth - 1; k > 0; --k) {
        const int32_t negated = -gain[k - 1];
        gain[k - 1] = -(negated > gain[k] ? negated : gain[k]);
    }
    return gain[0];
}
