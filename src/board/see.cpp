// Static exchange evaluation: swap algorithm with x-rays through the exchanged pieces.
#include "board/attacks.h"
#include "board/bits.h"
#include "board/position.h"

const int32_t seeValue[8] = {0, 100, 325, 325, 500, 975, 5000, 0};

namespace {

// Bit 1: captures diagonally (pawn, bishop, queen); bit 2: moves along lines (rook, queen).
constexpr int32_t sliderFlags[8] = {0, 1, 0, 1, 2, 3, 0, 0};

// What the move takes: an en-passant move lands on an empty square.
int32_t capturedValue(Move move) { return isEnPassant(move) ? seeValue[PAWN] : seeValue[moveCaptured(move)]; }

}  // namespace

int32_t Position::see(Move move) const {
    const int32_t target = moveTo(move), from = moveFrom(move), moving = movePiece(move);
    // One entry per piece on the board plus one: the gain list can never overflow.
    int32_t gain[40];
    gain[0] = capturedValue(move);

    // Only sliders on the target's lines can ever join the exchange: the lookups below are
    // skipped when none is left there that does not attack already.
    const Bitboard diagonalSliders =
        (pieces[0][BISHOP] | pieces[0][QUEEN] | pieces[1][BISHOP] | pieces[1][QUEEN]) & bishopRays[target];
    const Bitboard lineSliders =
        (pieces[0][ROOK] | pieces[0][QUEEN] | pieces[1][ROOK] | pieces[1][QUEEN]) & rookRays[target];
    Bitboard attackers = (kingAttacks[target] & (pieces[0][KING] | pieces[1][KING])) |
                         (pawnAttacks[BLACK][target] & pieces[WHITE][PAWN]) |
                         (pawnAttacks[WHITE][target] & pieces[BLACK][PAWN]) |
                         (knightAttacks[target] & (pieces[0][KNIGHT] | pieces[1][KNIGHT]));
    if (diagonalSliders) attackers |= bishopAttacks(target, occupied) & diagonalSliders;
    if (lineSliders) attackers |= rookAttacks(target, occupied) & lineSliders;

    Bitboard occupancy = occupied & ~(1ULL << from);
    if (isEnPassant(move)) occupancy &= ~(1ULL << (target + epCaptureOffset[sideToMove]));
    // X-rays: sliders behind a piece that leaves the target's line join the attackers.
    const auto addXrays = [&](bool diagonal, bool straight) {
        if (diagonal && (diagonalSliders & occupancy & ~attackers))
            attackers |= bishopAttacks(target, occupancy) & diagonalSliders;
        if (straight && (lineSliders & occupancy & ~attackers))
            attackers |= rookAttacks(target, occupancy) & lineSliders;
    };
    addXrays(sliderFlags[moving] & 1, moving == PAWN || (sliderFlags[moving] & 2));
    attackers &= occupancy;

    int32_t side = otherSide;
    int32_t onSquare = moving;
    int32_t depth = 1;
    while (attackers && depth < 40) {
        // The side's least valuable attacker: the types it attacks with as bits, the lowest
        // taken, without a branch per type. Unrolled: the loop's own counting costs about as
        // much as the six tests.
        uint32_t typesPresent = 0;
#pragma GCC unroll 6
        for (int32_t type = PAWN; type <= KING; ++type)
            typesPresent |= uint32_t((attackers & pieces[side][type]) != 0) << type;
        if (!typesPresent) break;
        const int32_t attackerType = __builtin_ctz(typesPresent);
        const Bitboard candidates = attackers & pieces[side][attackerType];
        occupancy &= ~(candidates & -candidates);
        addXrays(sliderFlags[attackerType] & 1, sliderFlags[attackerType] & 2);
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

bool Position::isLosingExchange(Move move) const {
    const int32_t target = moveTo(move);
    const Bitboard* theirs = pieces[otherSide];
    const Bitboard diagonalSliders = (theirs[BISHOP] | theirs[QUEEN]) & bishopRays[target];
    const Bitboard lineSliders = (theirs[ROOK] | theirs[QUEEN]) & rookRays[target];
    // The cheapest defender takes back first, after which the mover wins at most that defender:
    // a guard settles the exchange when even winning it back leaves a loss.
    const int32_t afterRecapture = capturedValue(move) - seeValue[movePiece(move)];
    if (pawnAttacks[sideToMove][target] & theirs[PAWN]) {
        if (afterRecapture + seeValue[PAWN] < 0) return true;
    } else if (knightAttacks[target] & theirs[KNIGHT]) {
        if (afterRecapture + seeValue[KNIGHT] < 0) return true;
    } else if (!(kingAttacks[target] & theirs[KING]) && !diagonalSliders && !lineSliders) {
        // Nothing of theirs can ever reach the square, not even through x-rays: nothing is lost.
        return false;
    } else {
        // A bishop or rook with nothing in front of it guards as well; found without a lookup.
        const auto guards = [&](Bitboard sliders) {
            for (; sliders; sliders &= sliders - 1)
                if (!(betweenBB[target][lowestSquare(sliders)] & occupied)) return true;
            return false;
        };
        if (afterRecapture + seeValue[BISHOP] < 0 && guards(diagonalSliders & theirs[BISHOP])) return true;
        if (afterRecapture + seeValue[ROOK] < 0 && guards(lineSliders & theirs[ROOK])) return true;
    }
    return see(move) < 0;
}
