// XBoard search output: thinking lines, the engine's move and hint, input read during a search.
#include "app/host.h"
#include "board/notation.h"
#include "protocol/pv_text.h"
#include "protocol/search_input.h"
#include "protocol/xboard.h"
#include "protocol/xboard_text.h"
#include "search/engine.h"

void XboardListener::onSearchEnd(StopReason reason) { owner->searchEnded(reason); }

void XboardListener::onPv(int32_t depth, int32_t score, const Move* pv, double elapsedUs, int32_t pvLength,
                          uint64_t nodes, int32_t /*seldepth*/, int32_t /*bound*/) {
    if (owner->post) printThinking(depth, score, pv, elapsedUs, pvLength, nodes);
}

void XboardListener::onMultiPv(int32_t /*line*/, int32_t depth, int32_t score, double elapsedUs, const Move* pv,
                               int32_t pvLength, uint64_t nodes, int32_t /*seldepth*/, int32_t /*bound*/) {
    if (owner->post) printThinking(depth, score, pv, elapsedUs, pvLength, nodes);
}

void XboardListener::printThinking(int32_t depth, int32_t score, const Move* pv, double elapsedUs,
                                   int32_t pvLength, uint64_t nodes) {
    const PvText pvText(pv, pvLength, xboardCastling(engine->position.chess960));
    host->sendLine("%d %d %d %llu %s", depth, score, centiseconds(elapsedUs), static_cast<unsigned long long>(nodes),
                   pvText.text);
}

void XboardListener::onInputPending() { handleLineDuringSearch(*host, *engine); }

// Refused moves ("Illegal move: ...") reach the GUI as plain lines.
void XboardListener::onInfoString(const char* text) { host->sendText(text); }

Move XboardListener::reportMove() {
    // A search without a legal move has nothing to announce.
    if (engine->lastMove == noMove) return noMove;
    const CastlingStyle castling = xboardCastling(engine->position.chess960);
    char text[8];
    formatMove(engine->lastMove, castling, text);
    host->sendLine("move %s", text);
    host->ponderMove = engine->limits.ponderMove;
    if (!engine->limits.ponderEnabled || host->ponderMove == noMove) return noMove;
    // A hint that cannot be played here is not offered (the GUI would refuse it).
    if (!engine->position.isLegal(host->ponderMove)) return noMove;
    formatMove(host->ponderMove, castling, text);
    host->sendLine("Hint: %s", text);
    return host->ponderMove;
}
