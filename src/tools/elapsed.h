// Elapsed-time text shared by the tools and the console listener.
#pragma once

#include <cstddef>

// Writes a microsecond count as "hh:mm:ss.mmm"; buffer must hold 16 bytes or more.
void formatElapsed(double microseconds, char* buffer, size_t size = 32);
