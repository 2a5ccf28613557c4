// Perft suite, exchange (SEE) test and evaluation suite over files of positions.
#include <cstdio>
#include <string>

#include "board/movegen.h"
#include "search/engine.h"
#include "search/timecontrol.h"
#include "tools/elapsed.h"
#include "tools/perft.h"
#include "tools/perftfields.h"
#include "tools/suitefile.h"

namespace {

// Room for the FEN before a "bm" of the SEE test, NUL included; a longer text is cut (no FEN
// needs a quarter of it).
constexpr size_t SEE_FEN_SIZE = 256;
// Beyond this material balance the evaluation's terms could leave the score range, so the
// balance itself stands in; no position with at most 16 pieces a side comes near it.
constexpr int32_t EVAL_MATERIAL_LIMIT = MATE_SCORE + LAZY_EVAL_MARGIN;

double microsecondsSince(uint64_t start) { return double(monotonicMicros() - start); }

// Exchange values of every legal move, kept in the list; returns how many were computed.
int32_t scoreExchanges(Position& position, ScoredMove* moves) {
    const int32_t count = generateLegalMoves(position, moves, isInCheck(position));
    for (int32_t i = 0; i < count; ++i) moves[i].score = position.see(moves[i].move);
    return count;
}

int32_t staticValue(const Engine& engine) {
    const Position& position = engine.position;
    const int32_t balance = position.material[position.sideToMove] - position.material[position.otherSide];
    if (balance < -EVAL_MATERIAL_LIMIT || balance > EVAL_MATERIAL_LIMIT) return balance;
    return engine.evaluator.evaluate(position);
}

}  // namespace

bool Perft::perftSuite(const char* fileName, int32_t depth) {
    SuiteFile file(fileName);
    if (!file.isOpen() || engine == nullptr) return false;
    allocateMoveStack();
    int32_t good = 0;
    int32_t counted = 0;
    std::string line;
    while (file.nextLine(line)) {
        blankControlCharacters(line);
        counted += 1;
        const PerftDepthFields fields = readPerftDepthFields(line);
        engine->tt.clear();
        // A refused position is a bad line, never a count of the one before.
        if (!engine->setFen(line.c_str())) continue;
        if (perftFieldsConfirm(fields, depth, perftNodes(depth))) good += 1;
    }
    releaseMoveStack();
    std::printf("score = %d / %d\n", good, counted);
    return true;
}

bool Perft::testSee(const char* fileName) {
    SuiteFile file(fileName);
    if (!file.isOpen() || engine == nullptr) return false;
    const uint64_t start = monotonicMicros();
    int32_t positions = 0;
    int32_t exchanges = 0;
    ScoredMove moves[MAX_MOVES];
    std::string line;
    while (file.nextLine(line)) {
        // Every "bm" marks a position: the text before it.
        for (size_t at = line.find("bm"); at != std::string::npos; at = line.find("bm", at + 1)) {
            char fen[SEE_FEN_SIZE];
            copyBounded(line.c_str(), at, fen, sizeof fen);
            engine->tt.clear();
            if (!engine->setFen(fen)) continue;
            exchanges += scoreExchanges(engine->position, moves);
            positions += 1;
        }
    }
    const double elapsed = microsecondsSince(start);
    std::printf("Count positions = %d\n", positions);
    std::printf("Count SEE = %d\n", exchanges);
    std::printf("Time = %s\n", ElapsedText(elapsed).text);
    std::printf("Speed : %d SEE/s\n", speedOf(uint64_t(exchanges) * 1000000ull, elapsed));
    return true;
}

bool Perft::evalSuite(const char* fileName) {
    SuiteFile file(fileName);
    if (!file.isOpen() || engine == nullptr) return false;
    const uint64_t start = monotonicMicros();
    int32_t counted = 0;
    std::string line;
    while (file.nextLine(line)) {
        blankControlCharacters(line);
        counted += 1;
        engine->tt.clear();
        if (!engine->setFen(line.c_str())) continue;
        // The blank after the line stands for its line end, as in the file.
        std::printf("%s  ; eval %d\n", line.c_str(), staticValue(*engine));
    }
    const double elapsed = microsecondsSince(start);
    std::printf("\nTime : %s\n", ElapsedText(elapsed).text);
    std::printf("Speed : %d eval/s\n", speedOf(uint64_t(counted) * 1000000ull, elapsed));
    return true;
}
