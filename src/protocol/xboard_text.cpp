#include "protocol/xboard_text.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "app/numbers.h"
#include "protocol/command_text.h"

using namespace commandtext;

namespace {

constexpr double MS_PER_MINUTE = 60000.0;
constexpr double MS_PER_SECOND = 1000.0;

int32_t nonNegative(int32_t value) { return value < 0 ? 0 : value; }

bool isFile(char c) { return c >= 'a' && c <= 'h'; }
bool isRank(char c) { return c >= '1' && c <= '8'; }

// The whole part of a non-negative double, saturated to the 32-bit range; NaN gives 0.
int32_t wholeSaturated(double ms) {
    if (!(ms > 0.0)) return 0;
    return ms >= double(INT32_MAX) ? INT32_MAX : int32_t(ms);
}

}  // namespace

bool parseLevel(const char* text, TimeControl& control) {
    const char* moves = skipBlanks(text);
    const char* base = skipBlanks(skipWord(moves));
    if (*base == '\0') return false;
    const char* increment = skipBlanks(skipWord(base));
    const char* colon = std::strchr(base, ':');
    const bool withSeconds = colon != nullptr && colon < skipWord(base);
    const double minutes = nonNegative(parseInt32(base));
    const double seconds = withSeconds ? nonNegative(parseInt32(colon + 1)) : 0.0;
    control.movesPerSession = nonNegative(parseInt32(moves));
    control.baseMs = float(minutes * MS_PER_MINUTE + seconds * MS_PER_SECOND);
    control.incrementMs = *increment == '\0' ? 0 : wholeSaturated(std::strtod(increment, nullptr) * MS_PER_SECOND);
    return true;
}

bool hasMoveShape(const char* line) {
    return isFile(line[0]) && isRank(line[1]) && isFile(line[2]) && isRank(line[3]);
}

bool isCastlingWord(const char* line) {
    const char* end = skipWord(line);
    const size_t length = size_t(end - line);
    return (length == 3 && std::strncmp(line, "O-O", 3) == 0) || (length == 5 && std::strncmp(line, "O-O-O", 5) == 0);
}

int32_t centiseconds(double elapsedUs) { return wholeSaturated(elapsedUs * 0.0001); }
