#include "search/timecontrol.h"

#include <ctime>

uint64_t monotonicMicros() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return uint64_t(now.tv_sec) * 1000000u + uint64_t(now.tv_nsec) / 1000u;
}

uint32_t saturateToU32(double value) {
    // Written so that NaN fails the first test.
    if (!(value > 0.0)) return 0;
    if (value >= 4294967295.0) return UINT32_MAX;
    return uint32_t(value);
}

uint32_t clockBudget(float remainingMs, int32_t incrementMs, int32_t movesToGo, int32_t thinkCount) {
    // 100/3 rounded one unit up in single precision (bit pattern 0x42055556).
    constexpr float suddenDeathWithIncrement = 33.333336f;
    float budget;
    if (movesToGo >= 2)
        budget = remainingMs * 1000.0f / float(movesToGo);
    else if (movesToGo == 1)
        budget = remainingMs * 500.0f;
    else if (incrementMs > 0)
        budget = float(int64_t(incrementMs) * 1000) + remainingMs * suddenDeathWithIncrement;
    else
        budget = remainingMs * 25.0f;
    uint32_t micros = saturateToU32(budget);
    // The first searches of a game get more: twice the budget for the first, 1.1 times for the tenth.
    if (thinkCount >= 0 && thinkCount < 10)
        micros = saturateToU32(float(micros) * (2.0f - 0.1f * float(thinkCount)));
    const double capUs = double(remainingMs) * 800.0 - 50000.0;
    const uint32_t cap = capUs > 1000.0 ? saturateToU32(capUs) : 1000u;
    return micros < cap ? micros : cap;
}
