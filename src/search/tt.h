// Transposition table: four-entry buckets with ageing.
#pragma once

#include <cstdint>

struct TranspositionTable {
    void* block = nullptr;
};
