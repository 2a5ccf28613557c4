// Time budget of a clock search and the monotonic microsecond clock.
#pragma once

#include <cstdint>

// Microseconds from a monotonic clock; only differences mean anything. The one clock of the
// program: searches, tools and reports all measure with it.
uint64_t monotonicMicros();

// An elapsed time too short to measure (0, or not a number) counts as 16 ms, so that speeds
// derived from it stay finite.
inline constexpr double ZERO_ELAPSED_US = 16000.0;
inline double measurableMicros(double elapsedUs) { return elapsedUs > 0.0 ? elapsedUs : ZERO_ELAPSED_US; }

// Converts to an unsigned 32-bit count: truncation toward zero, NaN and negatives give 0,
// values beyond the range give 4,294,967,295.
uint32_t saturateToU32(double value);

// Budget in microseconds for one move of a clock search: `remainingMs` and `incrementMs` are
// the mover's clock and increment, `movesToGo` 0 for sudden death, `thinkCount` the number of
// earlier searches of this game. Never more than 0.8 of the remaining time less 50 ms (at
// least 1 ms), so the clock cannot run out whatever the GUI sends.
uint32_t clockBudget(float remainingMs, int32_t incrementMs, int32_t movesToGo, int32_t thinkCount);
