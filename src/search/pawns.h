// Pawn structure and the pawn hash table.
#pragma once

#include <cstdint>

struct PawnHashEntry;

struct PawnHashTable {
    PawnHashEntry* entries = nullptr;
    void* block = nullptr;
    uint32_t count = 0;
    uint32_t mask = 0;
};
