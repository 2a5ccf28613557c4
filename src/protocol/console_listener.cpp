#include "protocol/console_listener.h"

#include <cstdio>

#include "app/logger.h"
#include "board/notation.h"
#include "search/timecontrol.h"
#include "tools/elapsed.h"

namespace {

constexpr size_t CONSOLE_BUFFER_SIZE = 4096;

// Thousands of nodes per second.
int32_t kiloNodesPerSecond(uint64_t nodes, double elapsedUs) {
    const float speed = float(double(nodes) * 1000.0 / measurableMicros(elapsedUs));
    const uint32_t whole = saturateToU32(speed);
    return whole > uint32_t(INT32_MAX) ? INT32_MAX : int32_t(whole);
}

void formatPvText(const Move* pv, int32_t pvLength, char* buffer, size_t size) {
    size_t used = 0;
    buffer[0] = '\0';
    for (int32_t i = 0; i < pvLength && pv != nullptr; ++i) {
        char move[16];
        moveToLongAlgebraic(pv[i], move);
        const int written = std::snprintf(buffer + used, size - used, "%s ", move);
        if (written < 0 || size_t(written) >= size - used) break;
        used += size_t(written);
    }
}

void emitLine(const char* line) {
    std::fputs(line, stdout);
    std::fputc('\n', stdout);
    logger.log(LOG_INFO, "%s", line);
}

}  // namespace

void formatConsoleScore(int32_t score, char* buffer, size_t size) {
    if (score <= -MATE_BOUND)
        std::snprintf(buffer, size, "-M%d", (score + MATE_SCORE) / 2);
    else if (score >= MATE_BOUND)
        std::snprintf(buffer, size, "+M%d", (MATE_SCORE - score) / 2 + 1);
    else if (score >= 0)
        std::snprintf(buffer, size, "+%.2f", double(float(score) * 0.01f));
    else
        std::snprintf(buffer, size, "%.2f", double(float(score) * 0.01f));
}

void formatConsoleLine(char* buffer, size_t size, int32_t lineNumber, int32_t depth, int32_t score,
                       const Move* pv, double elapsedUs, int32_t pvLength, uint64_t nodes,
                       int32_t seldepth, int32_t bound) {
    char pvText[CONSOLE_BUFFER_SIZE];
    formatPvText(pv, pvLength, pvText, sizeof pvText);
    char timeText[32];
    formatElapsed(elapsedUs, timeText, sizeof timeText);
    char scoreText[32];
    formatConsoleScore(score, scoreText, sizeof scoreText);
    const int32_t speed = kiloNodesPerSecond(nodes, elapsedUs);
    if (lineNumber <= 1) {
        const char boundMarker = bound >= 0 && bound <= 2 ? " -+"[bound] : ' ';
        std::snprintf(buffer, size, "%2d/%-2u%c %s %llu %6d %7s %s", depth, unsigned(seldepth), boundMarker,
                      timeText, static_cast<unsigned long long>(nodes), speed, scoreText, pvText);
    } else {
        std::snprintf(buffer, size, "       %s %llu %6d %7s %s", timeText, static_cast<unsigned long long>(nodes),
                      speed, scoreText, pvText);
    }
}

void ConsoleListener::onPv(int32_t depth, int32_t score, const Move* pv, double elapsedUs, int32_t pvLength,
                           uint64_t nodes, int32_t seldepth, int32_t bound) {
    char line[CONSOLE_BUFFER_SIZE];
    formatConsoleLine(line, sizeof line, 1, depth, score, pv, elapsedUs, pvLength, nodes, seldepth, bound);
    emitLine(line);
}

void ConsoleListener::onMultiPv(int32_t lineNumber, int32_t depth, int32_t score, double elapsedUs, const Move* pv,
                                int32_t pvLength, uint64_t nodes, int32_t seldepth, int32_t bound) {
    char line[CONSOLE_BUFFER_SIZE];
    formatConsoleLine(line, sizeof line, lineNumber, depth, score, pv, elapsedUs, pvLength, nodes, seldepth,
                      bound);
    emitLine(line);
}
