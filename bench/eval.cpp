// Evaluation speed: evaluates every position of a shallow tree from a few positions and prints
// evaluations per second with the pawn hash table, without it, and the KPK bitbase build time.
#include <chrono>
#include <cstdio>
#include <vector>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/movegen.h"
#include "search/evaluate.h"
#include "search/pawns.h"

namespace {

const char* const benchFens[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r1b2rk1/ppp2ppp/2n5/3qN3/3P4/2PB4/P4PPP/R2QR1K1 w - - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "4k3/8/2p5/1pP5/1P6/8/6p1/4K3 w - - 0 1",
};

// Collects the positions of a legal tree of the given depth (leaves and inner nodes).
void collect(Position& pos, int32_t depth, std::vector<Position>& out) {
    out.push_back(pos);
    if (depth == 0) return;
    ScoredMove list[MAX_MOVES];
    const int32_t count = generateMoves(pos, list, isInCheck(pos));
    for (int32_t i = 0; i < count; ++i) {
        UndoRecord undo;
        if (!pos.doMoveIfLegal(list[i].move, undo)) continue;
        collect(pos, depth - 1, out);
        pos.undoMove(list[i].move, undo);
    }
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Evaluates the set repeatedly for about a second; prints rate and a score checksum.
void run(const char* label, const Evaluator& eval, const std::vector<Position>& positions) {
    const auto start = std::chrono::steady_clock::now();
    uint64_t evaluations = 0;
    int64_t checksum = 0;
    double seconds = 0;
    do {
        for (const Position& p : positions) checksum += eval.evaluate(p);
        evaluations += positions.size();
        seconds = secondsSince(start);
    } while (seconds < 1.0);
    std::printf("%-18s %10llu evals  %6.3f s  %7.3f M evals/s  checksum %lld\n", label,
                (unsigned long long)evaluations, seconds, evaluations / seconds / 1e6,
                (long long)(checksum / int64_t(evaluations / positions.size())));
}

}  // namespace

int main() {
    initAttackTables();
    // The first call builds the KPK bitbase, which dominates its time.
    const auto initStart = std::chrono::steady_clock::now();
    initEvalTables();
    std::printf("eval tables and KPK bitbase built in %.3f s\n", secondsSince(initStart));

    std::vector<Position> positions;
    for (const char* fen : benchFens) {
        Position pos;
        pos.reset();
        if (!parseFen(pos, fen)) {
            std::printf("rejected FEN: %s\n", fen);
            return 1;
        }
        collect(pos, 3, positions);
    }
    std::printf("positions          %zu\n", positions.size());

    std::vector<PawnHashEntry> storage(65536);
    PawnHashTable table;
    table.entries = storage.data();
    table.count = 65536;
    table.mask = 65535;
    Evaluator cached;
    cached.pawnHash = &table;
    Evaluator uncached;
    run("with pawn hash", cached, positions);
    run("without pawn hash", uncached, positions);
    return 0;
}
