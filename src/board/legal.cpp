// Legal move lists: every pseudo-legal move is made, its king tested, and unmade.
#include "board/movegen.h"

int32_t countLegalMoves(Position& position) {
    ScoredMove list[MAX_MOVES] = {};
    const bool inCheck = isInCheck(position);
    const int32_t count = generateMoves(position, list, inCheck);
    int32_t legal = 0;
    for (int32_t i = 0; i < count; ++i) legal += position.isLegal(list[i].move, inCheck);
    return legal;
}

int32_t generateLegalMoves(Position& position, ScoredMove* out, bool inCheck, int32_t room) {
    ScoredMove list[MAX_MOVES] = {};
    const int32_t count = generateMoves(position, list, inCheck);
    int32_t written = 0;
    for (int32_t i = 0; i < count && written < room; ++i) {
        if (position.isLegal(list[i].move)) out[written++].move = list[i].move;
    }
    return written;
}
