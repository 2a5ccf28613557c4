// A principal variation as one line of blank-separated coordinate moves.
#pragma once

#include <cstdint>

#include "board/notation.h"
#include "board/types.h"

struct PvText {
    // A principal variation never exceeds MAX_PLY moves.
    char text[MAX_PLY * MOVE_TEXT_STRIDE + 1];

    PvText(const Move* pv, int32_t length, CastlingStyle castling) {
        if (length < 0 || pv == nullptr) length = 0;
        if (length > MAX_PLY) length = MAX_PLY;
        formatMoveList(pv, length, castling, text);
    }
};
