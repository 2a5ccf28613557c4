// Perft counters and the test-suite tool object.
#pragma once

#include <cstdint>

class Engine;
struct Position;

struct Perft {
    Engine* engine = nullptr;
    Position* position = nullptr;
};
