// Fixed-depth search over a fixed set of positions. The total node count is a signature of the
// search's behaviour: it changes only when pruning, ordering or evaluation change.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "board/movegen.h"
#include "search/engine.h"
#include "search/timecontrol.h"

namespace {

const char* const POSITIONS[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    "rnbqkb1r/pp1p1ppp/4pn2/2pP4/2P5/8/PP2PPPP/RNBQKBNR w KQkq e6 0 4",
    "2r3k1/1q3ppp/p3p3/1p1nP3/3P4/P2B4/1P3PPP/2RQ2K1 b - - 0 25",
};

// Iterative deepening from the root with the full window, as the root driver's first lines do.
uint64_t searchPosition(Engine& engine, const char* fen, int32_t depth) {
    engine.newGame();
    if (!engine.setFen(fen)) {
        std::printf("rejected FEN: %s\n", fen);
        return 0;
    }
    engine.limits.mode = MODE_DEPTH;
    engine.limits.nodes = 0;
    engine.stopReason = STOP_RUNNING;
    const int32_t inCheck = isInCheck(engine.position);
    for (int32_t d = 1; d <= depth; ++d) {
        engine.search(-MATE_SCORE, MATE_SCORE, 4 * d, 1, 1, 1, inCheck);
    }
    return engine.limits.nodes;
}

}  // namespace

int main(int argc, char** argv) {
    const int32_t depth = argc > 1 ? std::atoi(argv[1]) : 10;
    if (depth < 1 || depth > 20) {
        std::printf("usage: bench_search [depth 1..20]\n");
        return 1;
    }
    auto engine = std::make_unique<Engine>();
    engine->init(16);
    // Warm-up: tables the evaluation builds on first use stay out of the timing.
    searchPosition(*engine, POSITIONS[0], 2);
    uint64_t totalNodes = 0;
    const uint64_t start = monotonicMicros();
    for (const char* fen : POSITIONS) {
        const uint64_t before = monotonicMicros();
        const uint64_t nodes = searchPosition(*engine, fen, depth);
        const uint64_t elapsed = monotonicMicros() - before;
        std::printf("%10llu nodes %8.3f s  %s\n", (unsigned long long)nodes, double(elapsed) / 1e6, fen);
        totalNodes += nodes;
    }
    const uint64_t elapsed = monotonicMicros() - start;
    const double seconds = double(elapsed) / 1e6;
    std::printf("search depth %d: %llu nodes (signature), %.3f s, %.0f nodes/s\n", depth,
                (unsigned long long)totalNodes, seconds, seconds > 0 ? double(totalNodes) / seconds : 0.0);
    engine->clear();
    return 0;
}
