#include "search/tt.h"

// Placeholders until the transposition table lands.
void TranspositionTable::resize(int32_t) {}
void TranspositionTable::clear() {}
void TranspositionTable::release() {}
