// Drivers of the best-move test suite and the perft suite.
#include "app/host.h"
#include "search/engine.h"
#include "tools/perft.h"

namespace {

// Longest time per position that the microsecond limit can hold.
constexpr double MAX_SECONDS_PER_POSITION = 2147.0;

// Microseconds per position: a negative (or unreadable) time gives the default.
int32_t timePerPosition(double seconds) {
    if (!(seconds >= 0.0)) seconds = TEST_SUITE_DEFAULT_SECONDS;
    if (seconds > MAX_SECONDS_PER_POSITION) seconds = MAX_SECONDS_PER_POSITION;
    return int32_t(seconds * 1000000.0);
}

}  // namespace

bool ProtocolHost::runTestSuite(const char* fileName, double seconds) {
    engine->init(Hash);
    newGame();
    engine->limits.mode = MODE_MOVE_TIME;
    engine->limits.timePerMove = timePerPosition(seconds);
    const bool opened = engine->perft.testSuite(fileName);
    engine->clear();
    return opened;
}

bool ProtocolHost::runPerftSuite(const char* fileName, int32_t depth) {
    if (!isValidPerftDepth(depth)) return false;
    engine->init(Hash);
    newGame();
    const bool opened = engine->perft.perftSuite(fileName, depth);
    engine->clear();
    return opened;
}
