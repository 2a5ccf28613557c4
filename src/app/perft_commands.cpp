#include "app/host.h"

// Placeholders until the perft tools land.
void ProtocolHost::perft(int32_t) {}
void ProtocolHost::perftd(int32_t) {}
void ProtocolHost::divide(int32_t) {}
