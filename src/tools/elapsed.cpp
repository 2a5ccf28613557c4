#include "tools/elapsed.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "search/timecontrol.h"

void formatElapsed(double microseconds, char* buffer, size_t size) {
    // Saturate before converting: negative, NaN or huge inputs must not be undefined behaviour.
    const double ms = std::floor(microseconds * 0.001);
    uint32_t total = 0;
    if (ms >= 4294967295.0)
        total = UINT32_MAX;
    else if (ms > 0.0)
        total = uint32_t(ms);
    const unsigned hours = total / 3600000u;
    const unsigned minutes = total % 3600000u / 60000u;
    const unsigned seconds = total % 60000u / 1000u;
    const unsigned millis = total % 1000u;
    std::snprintf(buffer, size, "%02u:%02u:%02u.%03u", hours, minutes, seconds, millis);
}

int32_t speedOf(uint64_t scaledCount, double elapsedUs) {
    const float speed = float(double(scaledCount) / measurableMicros(elapsedUs));
    if (!(speed >= 0.0f)) return 0;
    if (speed >= 2147483647.0f) return INT32_MAX;
    return int32_t(speed);
}
