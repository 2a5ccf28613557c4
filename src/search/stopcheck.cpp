// The search's stop test. Engine::think sets limits.startTimeUs from monotonicMicros() before the
// first search call; the time test measures elapsed time from it in 64-bit microseconds.
#include "search/engine.h"
#include "search/input.h"
#include "search/timecontrol.h"

namespace {

// A monotonic clock read is cheap, so the time is tested far more often than input is polled:
// a slow core then overshoots its budget by a few milliseconds at most.
constexpr uint32_t TIME_CHECK_MASK = 1023;

bool nodeLimitReached(const SearchLimits& limits) {
    return limits.mode == MODE_NODES && limits.nodes >= limits.nodeLimit;
}

// Infinite and fixed-depth searches have no time limit.
bool timeLimitReached(const SearchLimits& limits) {
    if (limits.mode != MODE_MOVE_TIME && limits.mode != MODE_CLOCK) return false;
    const uint64_t now = monotonicMicros();
    const uint64_t elapsed = now > limits.startTimeUs ? now - limits.startTimeUs : 0;
    return elapsed >= limits.timeBudget;
}

}  // namespace

bool Engine::checkStop() {
    ++limits.checkCounter;
    if (uint32_t(limits.checkCounter) < limits.checkInterval) {
        if (limits.pondering) return true;
        if (nodeLimitReached(limits) ||
            ((uint32_t(limits.checkCounter) & TIME_CHECK_MASK) == 0 && timeLimitReached(limits))) {
            stopReason = STOP_NORMAL;
            return false;
        }
        return true;
    }

    limits.checkCounter -= int32_t(limits.checkInterval);
    if (!limits.pondering && (nodeLimitReached(limits) || timeLimitReached(limits))) {
        stopReason = STOP_NORMAL;
        return false;
    }
    // A waiting line (or end of input) goes to the current front end, which may stop the search.
    if (inputPending()) {
        listener->onInputPending();
        return stopReason == STOP_RUNNING;
    }
    return true;
}

void Engine::stopSearch() {
    if (!searching || stopReason == STOP_ABORTED) return;
    stopReason = limits.pondering ? STOP_PONDER : STOP_NORMAL;
}

void Engine::abortSearch() {
    if (searching) stopReason = STOP_ABORTED;
}

void Engine::ponderHit() {
    if (!searching) return;
    limits.pondering = false;
    limits.checkCounter = int32_t(limits.checkInterval);
    if (stopReason == STOP_RUNNING) checkStop();
}
