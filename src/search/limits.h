// Search limits, clocks and feature switches, set by the front ends and read by the search.
#pragma once

#include <cstdint>

#include "board/types.h"

enum TimeControlMode : int32_t {
    MODE_DEPTH = 0,
    MODE_NODES = 1,
    MODE_MOVE_TIME = 2,
    MODE_CLOCK = 3,
    MODE_INFINITE = 4
};

enum StopReason : int32_t {
    STOP_RUNNING = 0,
    STOP_NORMAL = 1,
    STOP_PONDER = 2,
    STOP_ABORTED = 3,
    STOP_PONDER_DEPTH = 5
};

// Moves to the next time control at the start of a game.
inline constexpr int32_t MOVES_PER_SESSION = 40;

struct SearchLimits {
    bool ponderEnabled = false;
    // A ponder search runs: no limit ends it until "ponderhit".
    bool pondering = false;
    Move ponderMove = noMove;
    TimeControlMode mode = MODE_MOVE_TIME;
    uint32_t timeBudget = 20;
    // Monotonic clock (microseconds) at the start of Engine::think; the time test measures from it.
    uint64_t startTimeUs = 0;
    uint32_t checkInterval = 30000;
    int32_t checkCounter = 0;
    int32_t timePerMove = 5000000;
    uint64_t nodeLimit = 2000000;
    int32_t movesToGo = MOVES_PER_SESSION;
    int32_t increment[2] = {0, 0};
    uint64_t nodes = 0;
    int32_t thinkCount = 0;
    int32_t maxDepth = 0;
    int32_t baseTime = 0;
    int32_t depthReached = 0;
    int32_t seldepth = 0;
    bool outputStarted = false;
    bool nullMoveEnabled = true;
    bool lmrEnabled = true;
    float clock[2] = {0.0f, 0.0f};
    bool testSuiteMode = false;
    bool bookEnabled = true;
    int32_t bookMaxPly = 0;
};

// Process-wide strength setting: read by the evaluation and the search. The Elo lies in
// STRENGTH_ELO_MIN..STRENGTH_ELO_MAX; at the maximum nothing is weakened.
inline constexpr int32_t STRENGTH_ELO_MIN = 1000;
inline constexpr int32_t STRENGTH_ELO_MAX = 2600;
extern int32_t strengthElo;
extern int32_t strengthLimited;

// Sets both from a wanted Elo, taken as unsigned (so a negative one counts as very large) and
// kept in range; the play is weakened only when `limit` is set and the Elo is below the maximum.
void setStrength(int32_t elo, bool limit);
