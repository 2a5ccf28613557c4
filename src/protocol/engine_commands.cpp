#include "protocol/engine_commands.h"

#include <cstring>

#include "app/host.h"
#include "app/numbers.h"
#include "board/fen.h"
#include "search/engine.h"

void sendEvaluation(ProtocolHost& host, Engine& engine) {
    const int32_t score = engine.evaluator.lazyEvaluate(engine.position, -MATE_SCORE, MATE_SCORE);
    host.sendLine("eval = %.2f", double(score) / 100.0);
}

void sendHashKey(ProtocolHost& host, const Engine& engine) {
    host.sendLine("%016llx", static_cast<unsigned long long>(engine.position.key));
}

void sendFen(ProtocolHost& host, const Engine& engine) {
    char fen[FEN_BUFFER_SIZE];
    engine.getFen(fen);
    host.sendText(fen);
}

int32_t perftDepthOf(const char* line) {
    const char* blank = std::strchr(line, ' ');
    if (blank == nullptr) return 0;
    // The move stack holds one list per remaining ply.
    const int32_t depth = parseInt32(blank + 1);
    return depth >= 1 && depth <= MAX_PLY - 1 ? depth : 0;
}
