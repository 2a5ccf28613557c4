#include "protocol/engine_commands.h"

#include "app/host.h"
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
