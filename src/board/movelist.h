// Per-ply move list: the staged picker's header followed by the scored entries.
#pragma once

#include "board/types.h"

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
    ScoredMove entries[MAX_MOVES] = {};
};
