// Static evaluation. Owned by the evaluation work; the engine only holds the object.
#pragma once

#include <cstdint>

struct PawnHashTable;

struct Evaluator {
    PawnHashTable* pawnHash = nullptr;
};
