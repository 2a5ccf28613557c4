// Static evaluation. Owned by the evaluation work; the engine only holds the object.
#pragma once

#include <cstdint>

struct PawnHashTable;

struct Evaluator {
    PawnHashTable* pawnHash = nullptr;
};

// Mirrors the piece-square tables and writes the mobility tables; called by Engine::init.
void initEvalTables();
