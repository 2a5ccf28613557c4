// Recognition of small endgames by their exact material.
#pragma once

#include <cstdint>

#include "board/position.h"

inline constexpr int32_t FULL_SCALE = 32;

// Either a final score for the side to move, or a scale (in 32nds) for the general evaluation.
struct EndgameVerdict {
    bool final = false;
    int32_t score = 0;
    int32_t scale = FULL_SCALE;
};

