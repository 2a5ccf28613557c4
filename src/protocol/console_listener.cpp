#include "protocol/console_listener.h"

// Placeholders until the root driver's console lines land.
void ConsoleListener::onPv(int32_t, int32_t, const Move*, double, int32_t, uint64_t, int32_t, int32_t) {}
void ConsoleListener::onMultiPv(int32_t, int32_t, int32_t, double, const Move*, int32_t, uint64_t, int32_t,
                                int32_t) {}
