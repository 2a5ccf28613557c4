#include "tools/perft.h"

#include "board/movegen.h"
#include "board/notation.h"
#include "board/position.h"

namespace {

// Fills `list` with the pseudo-legal moves of the side to move, evasions when in check, and
// returns the check state (which the legality test of each move can use).
bool generateInto(const Position& position, MoveList& list) {
    const bool inCheck = isInCheck(position);
    list.count = generateMoves(position, list.entries, inCheck, MAX_MOVES);
    return inCheck;
}

bool hasLegalMove(Position& position, MoveList& list) {
    const bool inCheck = generateInto(position, list);
    for (int32_t i = 0; i < list.count; i++)
        if (position.isLegal(list.entries[i].move, inCheck)) return true;
    return false;
}

}  // namespace

void Perft::allocateMoveStack() {
    moveStack.reset(new MoveList[PERFT_STACK_SIZE]);
}

void Perft::releaseMoveStack() {
    moveStack.reset();
}

void Perft::zeroCounters() {
    nodes = captures = enPassant = promotions = castles = checks = mates = 0;
}

void Perft::perft(int32_t depth) {
    nodes += perftNodes(depth);
}

uint64_t Perft::perftNodes(int32_t depth) {
    if (!isValidPerftDepth(depth) || !moveStack || position == nullptr) return 0;
    Position& pos = *position;
    MoveList& list = moveStack[depth];
    const bool inCheck = generateInto(pos, list);
    uint64_t sum = 0;
    if (depth == 1) {
        // The leaves: each move is made, tested and unmade in one call.
        for (int32_t i = 0; i < list.count; i++) sum += pos.isLegal(list.entries[i].move, inCheck);
        return sum;
    }
    for (int32_t i = 0; i < list.count; i++) {
        const Move move = list.entries[i].move;
        UndoRecord undo;
        if (!pos.doMoveIfLegal(move, undo, inCheck)) continue;
        sum += perftNodes(depth - 1);
        pos.undoMove(move, undo);
    }
    return sum;
}

void Perft::run(int32_t depth) {
    if (!isValidPerftDepth(depth) || !moveStack || position == nullptr) return;
    Position& pos = *position;
    MoveList& list = moveStack[depth];
    const bool inCheck = generateInto(pos, list);
    for (int32_t i = 0; i < list.count; i++) {
        const Move move = list.entries[i].move;
        UndoRecord undo;
        if (!pos.doMoveIfLegal(move, undo, inCheck)) continue;
        if (depth > 1) {
            run(depth - 1);
        } else {
            nodes++;
            if (moveCaptured(move) != NO_PIECE) captures++;
            if (isEnPassant(move)) enPassant++;
            if (movePromotion(move) != NO_PIECE) promotions++;
            if (isCastling(move)) castles++;
            if (isInCheck(pos)) {
                checks++;
                // List 0 is free: no level of the walk above uses it.
                if (!hasLegalMove(pos, moveStack[0])) mates++;
            }
        }
        pos.undoMove(move, undo);
    }
}

void Perft::divide(int32_t depth) {
    divideCount = 0;
    if (!isValidPerftDepth(depth) || !moveStack || position == nullptr) return;
    if (!divideResults) divideResults.reset(new DivideResult[DIVIDE_MAX_RESULTS]());
    Position& pos = *position;
    MoveList& list = moveStack[depth];
    const bool inCheck = generateInto(pos, list);
    for (int32_t i = 0; i < list.count && divideCount < DIVIDE_MAX_RESULTS; i++) {
        const Move move = list.entries[i].move;
        UndoRecord undo;
        if (!pos.doMoveIfLegal(move, undo, inCheck)) continue;
        DivideResult& result = divideResults[divideCount++];
        result.count = depth == 1 ? 1 : perftNodes(depth - 1);
        moveToLongAlgebraic(move, result.moveText);
        pos.undoMove(move, undo);
    }
}
