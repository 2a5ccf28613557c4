// Move ordering: the staged move picker, ordering scores, killers and history.
#pragma once

#include <cstdint>

#include "board/movelist.h"
#include "board/position.h"
#include "board/types.h"

class Engine;

// Picker stages; the search starts a node at PICK_HASH, or PICK_EVASION_HASH when in check.
enum PickStage : int32_t {
    PICK_HASH = 1,
    PICK_GENERATE_CAPTURES = 2,
    PICK_GOOD_CAPTURES = 3,
    PICK_KILLER1 = 4,
    PICK_KILLER2 = 5,
    PICK_GENERATE_QUIETS = 6,
    PICK_QUIETS = 7,
    PICK_BAD_CAPTURES = 8,
    PICK_EVASION_HASH = 9,
    PICK_GENERATE_EVASIONS = 10,
    PICK_EVASIONS = 11
};

inline constexpr int32_t CAPTURE_SCORE_BASE = 50000;
inline constexpr int32_t QUIET_SCORE_BASE = 4000;
inline constexpr int32_t KILLER1_SCORE = 45010;
inline constexpr int32_t KILLER2_SCORE = 45000;
inline constexpr int32_t HISTORY_LIMIT = 9999;

// Most valuable victim first, least valuable attacker next; a promotion adds its piece.
inline int32_t captureScore(Move move) {
    int32_t score = CAPTURE_SCORE_BASE + 16 * pieceValue[moveCaptured(move)] - pieceValue[movePiece(move)];
    if (movePromotion(move) != NO_PIECE) score += 16 * pieceValue[movePromotion(move)];
    return score;
}

inline bool isCaptureOrQueenPromotion(Move move) {
    return moveCaptured(move) != NO_PIECE || movePromotion(move) == QUEEN;
}

inline int32_t historyScore(const uint16_t (&history)[2][8][64], int32_t colour, Move move) {
    return history[colour][movePiece(move)][moveTo(move)];
}

// Stable descending insertion sort: equal scores keep generation order.
void sortMoves(ScoredMove* entries, int32_t count);

// Initialises a node's list for the picker.
inline void startPicking(MoveList& list, int32_t ply, Move hashMove, bool inCheck) {
    list.stage = inCheck ? PICK_EVASION_HASH : PICK_HASH;
    list.ply = ply;
    list.hashMove = hashMove;
    list.count = 0;
    list.nextIndex = 0;
    list.badCaptureSlot = MOVE_LIST_CAPACITY - 1;
}

// Next move of the node, or noMove when none is left; sets list.pickedStage.
Move pickNextMove(const Engine& engine, MoveList& list, const Position& position);

// The move the picker most likely gives next, read from a sorted stage without picking it;
// noMove where the next move is not generated yet. A guess (it may be one the picker skips),
// for prefetching only.
inline Move peekNextMove(const MoveList& list) {
    const bool sortedStage =
        list.stage == PICK_GOOD_CAPTURES || list.stage == PICK_QUIETS || list.stage == PICK_EVASIONS;
    return sortedStage && list.nextIndex < list.count ? list.entries[list.nextIndex].move : noMove;
}

// Scores quiescence evasions and quiet checks and sorts them.
void scoreAndSortMoves(const Engine& engine, const Position& position, ScoredMove* entries, int32_t count);

// Fail-high bookkeeping for a quiet move: killer shift and saturating history bonus.
void updateKillersAndHistory(Engine& engine, int32_t ply, Move move, int32_t colour, int32_t plies);
