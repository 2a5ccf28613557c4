// Reading and writing the XBoard protocol's texts: time controls, move words, thinking lines.
#pragma once

#include <cstdint>

#include "board/notation.h"

// A "level" line: moves per time control (0: the whole game), base time, increment per move.
struct TimeControl {
    int32_t movesPerSession = 0;
    float baseMs = 0.0f;
    int32_t incrementMs = 0;
};

// Reads the text after "level ": "MPS BASE INC", BASE in minutes or minutes:seconds, INC in
// seconds (may be left out). Negative numbers read as 0, huge ones saturate. False, and
// nothing to apply, when the base time is missing.
bool parseLevel(const char* text, TimeControl& control);

// True when the first four characters are a file, a rank, a file and a rank ("e2e4...").
bool hasMoveShape(const char* line);

// True when `line` is a castling word, "O-O" or "O-O-O", alone or followed by a blank.
bool isCastlingWord(const char* line);

// How the engine writes castling to the GUI: the king's two-square move, or in Chess960 the
// words O-O and O-O-O, which xboard reads and sends there.
inline CastlingStyle xboardCastling(bool chess960) {
    return chess960 ? CastlingStyle::Words : CastlingStyle::KingDestination;
}

// Elapsed microseconds as whole centiseconds for a thinking line (truncated, saturated).
int32_t centiseconds(double elapsedUs);
