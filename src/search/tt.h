// Transposition table: four-entry buckets with ageing.
#pragma once

#include <cstdint>

struct TranspositionTable {
    void* block = nullptr;

    void resize(int32_t megabytes);
    void clear();
    void release();
};
