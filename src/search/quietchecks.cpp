#include "search/quietchecks.h"

#include "board/attacks.h"
#include "board/bits.h"

namespace {

struct CheckWriter {
    ScoredMove* out;
    int32_t room;
    int32_t count = 0;

    void add(int32_t from, int32_t to, int32_t piece, Move flags = 0) {
        if (count < room) out[count++] = ScoredMove{makeMove(from, to, piece, 0, 0, flags), 0};
    }
    void addAll(int32_t from, Bitboard targets, int32_t piece) {
        while (targets) {
            add(from, lowestSquare(targets), piece);
            targets &= targets - 1;
        }
    }
    // Slider moves onto the `targets` on its lines that nothing stands in front of: a few squares
    // tested through the between-table instead of a full attack lookup.
    void addSliderMoves(int32_t from, Bitboard targets, Bitboard occupied, int32_t piece) {
        for (; targets; targets &= targets - 1) {
            const int32_t to = lowestSquare(targets);
            if (!(betweenBB[from][to] & occupied)) add(from, to, piece);
        }
    }
    // Pawn pushes of `step` squares onto `targets`, in the order of their from-squares.
    void addPawnPushes(Bitboard targets, int32_t step, Move flags) {
        for (; targets; targets &= targets - 1) {
            const int32_t to = lowestSquare(targets);
            add(to - step, to, PAWN, flags);
        }
    }
};

// Rank on which a pawn of `us` stands before its promoting push, and its double-push rank.
int32_t seventhRank(int32_t us) { return us == WHITE ? 6 : 1; }
int32_t startRank(int32_t us) { return us == WHITE ? 1 : 6; }
int32_t pushStep(int32_t us) { return us == WHITE ? 8 : -8; }
int32_t lastRank(int32_t us) { return us == WHITE ? 7 : 0; }
// The squares one step ahead of `pawns` of `us` (none of them on its last rank).
Bitboard pushAhead(Bitboard pawns, int32_t us) { return us == WHITE ? pawns << 8 : pawns >> 8; }

void addBlockerPawnPushes(const Position& pos, CheckWriter& writer, int32_t from, Bitboard targets, Bitboard empty) {
    const int32_t us = pos.sideToMove;
    const int32_t rank = rankOf(from);
    // A pawn on its last rank (accepted from a FEN) has no square ahead.
    if (rank == seventhRank(us) || rank == lastRank(us)) return;
    const int32_t single = from + pushStep(us);
    if (targets & squareBB[single]) writer.add(from, single, PAWN);
    if (rank == startRank(us) && (empty & squareBB[single])) {
        const int32_t twice = single + pushStep(us);
        if (targets & squareBB[twice]) writer.add(from, twice, PAWN, MOVE_DOUBLE_PUSH);
    }
}

// Moves of the blocker on `from` to squares off the line it shields; returns nothing.
void addBlockerMoves(const Position& pos, CheckWriter& writer, int32_t from, Bitboard targets, Bitboard empty) {
    const int32_t piece = pos.board[from];
    const Bitboard occupied = pos.occupied;
    switch (piece) {
    case PAWN: addBlockerPawnPushes(pos, writer, from, targets, empty); break;
    case KNIGHT: writer.addAll(from, knightAttacks[from] & targets, piece); break;
    case BISHOP: writer.addAll(from, bishopAttacks(from, occupied) & targets, piece); break;
    case ROOK: writer.addAll(from, rookAttacks(from, occupied) & targets, piece); break;
    case QUEEN: writer.addAll(from, queenAttacks(from, occupied) & targets, piece); break;
    case KING: writer.addAll(from, kingAttacks[from] & targets, piece); break;
    default: break;
    }
}

}  // namespace

int32_t generateQuietChecks(const Position& pos, ScoredMove* out, int32_t room) {
    CheckWriter writer{out, room};
    const int32_t us = pos.sideToMove;
    const int32_t king = pos.kingSquare[pos.otherSide];
    const Bitboard own = pos.byColour[us];
    const Bitboard empty = ~pos.occupied;
    const Bitboard* mine = pos.pieces[us];

    Bitboard candidates =
        ((mine[ROOK] | mine[QUEEN]) & rookRays[king]) | ((mine[BISHOP] | mine[QUEEN]) & bishopRays[king]);
    Bitboard blockers = 0;
    while (candidates) {
        const int32_t slider = lowestSquare(candidates);
        candidates &= candidates - 1;
        const Bitboard between = betweenBB[king][slider];
        const Bitboard inside = between & pos.occupied;
        if (squareCount(inside) != 1 || !(inside & own)) continue;
        const int32_t from = lowestSquare(inside);
        blockers |= inside;
        addBlockerMoves(pos, writer, from, empty & ~between, empty);
    }

    const Bitboard bishopLines = bishopAttacks(king, pos.occupied);
    const Bitboard rookLines = rookAttacks(king, pos.occupied);
    for (Bitboard b = mine[KNIGHT] & ~blockers; b; b &= b - 1) {
        const int32_t from = lowestSquare(b);
        writer.addAll(from, knightAttacks[from] & knightAttacks[king] & empty, KNIGHT);
    }
    for (Bitboard b = mine[BISHOP] & ~blockers; b; b &= b - 1) {
        const int32_t from = lowestSquare(b);
        writer.addSliderMoves(from, bishopRays[from] & bishopLines & empty, pos.occupied, BISHOP);
    }
    for (Bitboard b = mine[ROOK] & ~blockers; b; b &= b - 1) {
        const int32_t from = lowestSquare(b);
        writer.addSliderMoves(from, rookRays[from] & rookLines & empty, pos.occupied, ROOK);
    }
    for (Bitboard b = mine[QUEEN] & ~blockers; b; b &= b - 1) {
        const int32_t from = lowestSquare(b);
        const Bitboard lines = bishopRays[from] | rookRays[from];
        writer.addSliderMoves(from, lines & (bishopLines | rookLines) & empty, pos.occupied, QUEEN);
    }

    // A pawn of `us` attacks the king from the squares a pawn of the other colour on the king attacks.
    // All pawns are pushed at once: few pushes, if any, land there.
    const Bitboard checkSquares = pawnAttacks[pos.otherSide][king] & empty;
    const Bitboard pushers = mine[PAWN] & ~rankMask[seventhRank(us)] & ~rankMask[lastRank(us)];
    writer.addPawnPushes(pushAhead(pushers, us) & checkSquares, pushStep(us), 0);
    const Bitboard passedOver = pushAhead(mine[PAWN] & rankMask[startRank(us)], us) & empty;
    writer.addPawnPushes(pushAhead(passedOver, us) & checkSquares, 2 * pushStep(us), MOVE_DOUBLE_PUSH);
    return writer.count;
}
