// Perft speed: counts leaves on a few positions, checks them and prints nodes per second.
// Usage: bench_perft [extra-depth]  (extra-depth 1 runs every position one ply deeper)
//        bench_perft --suite FILE [max-nodes]  (checks every count of a perft file: the slow check)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "search/engine.h"

namespace {

struct BenchCase {
    const char* name;
    const char* fen;
    int32_t depth;
    uint64_t nodes[8];  // expected counts by depth, 0 = unknown
};

const BenchCase cases[] = {
    {"start", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 5,
     {1, 20, 400, 8902, 197281, 4865609, 119060324, 0}},
    {"middlegame", "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 4,
     {1, 48, 2039, 97862, 4085603, 193690690, 0, 0}},
    {"endgame", "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 6,
     {1, 14, 191, 2812, 43238, 674624, 11030083, 178633661}},
    {"promotions", "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 5,
     {1, 6, 264, 9467, 422333, 15833292, 706045033, 0}},
    {"chess960", "bqnb1rkr/pp3ppp/3ppn2/2p5/5P2/P2P4/NPP1P1PP/BQ1BNRKR w HFhf - 2 9", 5,
     {1, 21, 528, 12189, 326672, 8146062, 227689589, 0}},
};

// Counts with the engine's own perft tool, so the figure is the one "-perft" shows.
uint64_t perft(Engine& engine, const char* fen, int32_t depth) {
    if (!engine.setFen(fen)) return ~0ULL;
    return engine.perft.perftNodes(depth);
}

// Lines of "FEN ;D1 n ;D2 n ...": every depth up to max-nodes is counted and compared.
int runSuite(Engine& engine, const char* fileName, uint64_t maxNodes) {
    std::ifstream in(fileName);
    if (!in) {
        std::printf("cannot open %s\n", fileName);
        return 1;
    }
    int32_t mismatches = 0;
    std::string line;
    while (std::getline(in, line)) {
        const size_t semicolon = line.find(';');
        if (semicolon == std::string::npos) continue;
        const std::string fen = line.substr(0, semicolon);
        if (!engine.setFen(fen.c_str())) {
            std::printf("rejected FEN: %s\n", fen.c_str());
            ++mismatches;
            continue;
        }
        std::istringstream fields(line.substr(semicolon));
        std::string field;
        while (std::getline(fields, field, ';')) {
            int depth = 0;
            unsigned long long expected = 0;
            if (std::sscanf(field.c_str(), " D%d %llu", &depth, &expected) != 2 || expected > maxNodes) continue;
            const auto start = std::chrono::steady_clock::now();
            const uint64_t nodes = perft(engine, fen.c_str(), depth);
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            const bool ok = nodes == expected;
            mismatches += !ok;
            std::printf("D%d %12llu %8.3f s %s  %s\n", depth, (unsigned long long)nodes, seconds,
                        ok ? "ok      " : "MISMATCH", fen.c_str());
        }
    }
    return mismatches ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    Engine engine;
    engine.init(1);
    engine.perft.allocateMoveStack();
    if (argc > 2 && std::strcmp(argv[1], "--suite") == 0)
        return runSuite(engine, argv[2], argc > 3 ? std::strtoull(argv[3], nullptr, 10) : ~0ULL);
    const int32_t extra = argc > 1 ? std::atoi(argv[1]) : 0;
    uint64_t totalNodes = 0;
    double totalSeconds = 0;
    int32_t mismatches = 0;
    for (const BenchCase& c : cases) {
        if (!engine.setFen(c.fen)) {
            std::printf("%-12s rejected FEN\n", c.name);
            ++mismatches;
            continue;
        }
        int32_t depth = c.depth + extra;
        if (depth < 1) depth = 1;
        if (depth > 7) depth = 7;
        const auto start = std::chrono::steady_clock::now();
        const uint64_t nodes = perft(engine, c.fen, depth);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const uint64_t expected = c.nodes[depth];
        const bool ok = expected == 0 || expected == nodes;
        mismatches += !ok;
        totalNodes += nodes;
        totalSeconds += seconds;
        std::printf("%-12s depth %d  nodes %12llu  %8.3f s  %6.2f Mnps  %s\n", c.name, depth,
                    (unsigned long long)nodes, seconds, seconds > 0 ? nodes / seconds / 1e6 : 0.0,
                    expected == 0 ? "(unchecked)" : ok ? "ok" : "MISMATCH");
    }
    std::printf("total        nodes %llu  %.3f s  %.2f Mnps\n", (unsigned long long)totalNodes, totalSeconds,
                totalSeconds > 0 ? totalNodes / totalSeconds / 1e6 : 0.0);
    return mismatches ? 1 : 0;
}
