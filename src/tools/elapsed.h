// Elapsed-time text shared by the tools and the console listener.
#pragma once

#include <cstddef>
#include <cstdint>

// Writes a microsecond count as "hh:mm:ss.mmm"; buffer must hold 16 bytes or more.
void formatElapsed(double microseconds, char* buffer, size_t size = 32);

// The elapsed-time text as a value, for use inside one printf.
struct ElapsedText {
    char text[32];
    explicit ElapsedText(double elapsedUs) { formatElapsed(elapsedUs, text, sizeof(text)); }
};

// Count per time unit of the tools' reports: `scaledCount` is the count times the units per
// second (or per millisecond). A run too short to measure counts as 16 ms, so the figure stays
// finite; the result saturates at INT32_MAX.
int32_t speedOf(uint64_t scaledCount, double elapsedUs);
