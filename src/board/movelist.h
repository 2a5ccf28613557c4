// Per-ply move list: the staged picker's header followed by the scored entries.
#pragma once

#include "board/types.h"

// Room for a full generation plus the picker's held-back captures at the top, so the two areas
// never meet, however crowded a position a FEN sets up.
inline constexpr int32_t MOVE_LIST_CAPACITY = 2 * MAX_MOVES;

struct MoveList {
    int32_t pickedStage = 0;
    int32_t stage = 0;
    int32_t ply = 0;
    int32_t nextIndex = 0;
    int32_t badCaptureSlot = 0;
    Move hashMove = 0;
    Move killer1 = 0;
    Move killer2 = 0;
    int32_t count = 0;
    ScoredMove entries[MOVE_LIST_CAPACITY] = {};
};
