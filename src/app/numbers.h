// Decimal number conversion for the command line and the configuration file.
#pragma once

#include <cstdint>

// Leading white space skipped, optional sign, digits up to the first non-digit; no digits
// give 0. Out-of-range values saturate to the 32-bit limits, on every platform alike.
int32_t parseInt32(const char* text);
