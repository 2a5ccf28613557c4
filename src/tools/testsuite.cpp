// Best-move test suite: each EPD line is searched for a fixed time and the move played is
// checked against the line's best moves ("bm") or moves to avoid ("am").
#include <cstdio>
#include <string>
#include <vector>

#include "app/host.h"
#include "board/movegen.h"
#include "board/notation.h"
#include "board/san.h"
#include "search/engine.h"
#include "search/timecontrol.h"
#include "tools/elapsed.h"
#include "tools/epd.h"
#include "tools/perft.h"
#include "tools/suitefile.h"

namespace {

constexpr const char* SEPARATOR_LINE =
    "-------------------------------------------------------------------------------";
// Start of the smallest depth: any depth a search reaches lies below it.
constexpr uint32_t NO_DEPTH_YET = 1024;

struct SuiteTally {
    int32_t counted = 0;
    int32_t good = 0;
    uint64_t nodes = 0;
    int32_t depthSum = 0;
    uint32_t depthMin = NO_DEPTH_YET;
    uint32_t depthMax = 0;
    std::vector<std::string> badLines;
};

// The move the last search played on the game, noMove when it played none.
Move playedMove(const Engine& engine) {
    if (engine.gameHistoryCount < 1 || engine.gameHistory == nullptr) return noMove;
    return engine.gameHistory[engine.gameHistoryCount - 1].move;
}

// Whether `move`, played from `before`, is what the line asks for.
bool isGoodResult(const EpdTestLine& fields, Position& before, Move move, char* san) {
    char longText[16];
    char coordinate[8];
    moveToSan(before, move, san);
    moveToLongAlgebraic(move, longText);
    formatMove(move, before.chess960, coordinate);
    const bool named = expectedMovesMatch(fields.expected.c_str(), san, longText, coordinate);
    return named == (fields.opcode == EpdOpcode::BestMove);
}

void addDepth(SuiteTally& tally, int32_t depthReached) {
    const uint32_t depth = depthReached > 0 ? uint32_t(depthReached) : 0;
    if (depth < tally.depthMin) tally.depthMin = depth;
    if (depth > tally.depthMax) tally.depthMax = depth;
    tally.depthSum += depthReached;
}

// Searches one counted line and prints its verdict.
void runTestLine(Engine& engine, const std::string& line, SuiteTally& tally) {
    const EpdTestLine fields = splitEpdTestLine(line);
    if (fields.opcode == EpdOpcode::None) return;
    std::puts(SEPARATOR_LINE);
    std::printf("%s %s %s; id %s;\n\n", fields.fen.c_str(), fields.opcode == EpdOpcode::BestMove ? "bm" : "am",
                fields.expected.c_str(), fields.name.c_str());
    engine.tt.clear();
    if (!engine.setFen(fields.fen.c_str())) {
        std::puts("ERROR : bad FEN !");
        tally.badLines.push_back(line);
        return;
    }
    ScoredMove moves[MAX_MOVES];
    if (generateMoves(engine.position, moves, isInCheck(engine.position)) == 0) {
        tally.badLines.push_back(line);
        return;
    }
    Position before = engine.position;
    engine.think();
    const Move move = playedMove(engine);
    if (move == noMove) {
        std::puts("no result !");
        tally.badLines.push_back(line);
        return;
    }
    tally.nodes += engine.limits.nodes;
    char san[SAN_BUFFER_SIZE];
    const bool good = isGoodResult(fields, before, move, san);
    std::printf("result => '%s' : %s\n", san, good ? "ok" : "bad");
    if (good)
        tally.good += 1;
    else
        tally.badLines.push_back(line);
    addDepth(tally, engine.limits.depthReached);
}

void printSummary(const SuiteTally& tally, double elapsedUs) {
    std::printf("\nTime : %s\n", ElapsedText(elapsedUs).text);
    std::printf("\nTotal nodes = %llu, Speed %d\n", (unsigned long long)tally.nodes,
                speedOf(tally.nodes * 1000000ull, elapsedUs));
    std::printf("\nDepth min = %u, max = %u, average = %u\n", tally.depthMin, tally.depthMax,
                unsigned(tally.depthSum / tally.counted));
    std::printf("\nScore = %d / %d\n", tally.good, tally.counted);
    std::puts("\nBad results : \n");
    for (const std::string& line : tally.badLines) std::puts(line.c_str());
}

}  // namespace

bool Perft::testSuite(const char* fileName) {
    SuiteFile file(fileName);
    if (!file.isOpen() || engine == nullptr) return false;
    engine->limits.testSuiteMode = true;
    std::printf("Mirelt version %s\n\n", ENGINE_VERSION);
    std::printf("Test suite : %s\n\n", fileName);
    const uint64_t start = monotonicMicros();
    SuiteTally tally;
    std::string line;
    while (file.nextLine(line)) {
        tally.counted += 1;
        runTestLine(*engine, line, tally);
    }
    if (tally.counted > 0) printSummary(tally, double(monotonicMicros() - start));
    engine->limits.testSuiteMode = false;
    return true;
}
