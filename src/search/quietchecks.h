// Quiet moves that give check, generated straight from the attack tables for the quiescence search.
#pragma once

#include <cstdint>

#include "board/position.h"

// Discovered checks first (moves of a lone own blocker between an own slider and the enemy king),
// then direct checks by knights, bishops, rooks, queens and pawn pushes. No captures, promotions
// or castling. Writes at most `room` entries and returns how many it wrote.
int32_t generateQuietChecks(const Position& position, ScoredMove* out, int32_t room);
