// UCI search output: info lines, info strings and the "bestmove" line, plus input read
// while a search runs.
#include <cstdio>
#include <cstring>
#include <string>

#include "app/host.h"
#include "board/notation.h"
#include "protocol/pv_text.h"
#include "protocol/search_input.h"
#include "protocol/uci.h"
#include "search/engine.h"
#include "search/timecontrol.h"

namespace {

// Placed between the score and "time" by the bound of the report: exact, upper, lower.
const char* const boundSuffix[3] = {"", "upperbound ", "lowerbound "};

const char* boundText(int32_t bound) { return bound >= 0 && bound <= 2 ? boundSuffix[bound] : ""; }

}  // namespace

UciScore uciScore(int32_t score) {
    if (score >= MATE_BOUND) return {"mate", (MATE_SCORE - score) / 2 + 1};
    if (score <= -MATE_BOUND) return {"mate", -((score + MATE_SCORE) / 2)};
    return {"cp", score};
}

int32_t uciTimeMs(double elapsedUs) {
    const double ms = measurableMicros(elapsedUs) * 0.001;
    return ms >= 2147483647.0 ? INT32_MAX : int32_t(ms);
}

uint32_t uciNodesPerSecond(uint64_t nodes, double elapsedUs) {
    const double nps = double(nodes * 1000000ull) / measurableMicros(elapsedUs);
    if (!(nps >= 0.0)) return 0;
    return nps >= 4294967295.0 ? UINT32_MAX : uint32_t(nps);
}

namespace {

CastlingStyle uciCastling(const Engine& engine) {
    return engine.position.chess960 ? CastlingStyle::KingTakesRook : CastlingStyle::KingDestination;
}

}  // namespace

void UciListener::onPv(int32_t depth, int32_t score, const Move* pv, double elapsedUs,
                       int32_t pvLength, uint64_t nodes, int32_t seldepth, int32_t bound) {
    PvText pvText(pv, pvLength, uciCastling(*engine));
    UciScore shown = uciScore(score);
    host->sendLine("info depth %d seldepth %d score %s %d %stime %d nodes %llu nps %u pv %s", depth,
                   seldepth, shown.kind, shown.value, boundText(bound), uciTimeMs(elapsedUs),
                   static_cast<unsigned long long>(nodes), uciNodesPerSecond(nodes, elapsedUs),
                   pvText.text);
}

void UciListener::onMultiPv(int32_t line, int32_t depth, int32_t score, double elapsedUs,
                            const Move* pv, int32_t pvLength, uint64_t nodes, int32_t seldepth,
                            int32_t bound) {
    PvText pvText(pv, pvLength, uciCastling(*engine));
    UciScore shown = uciScore(score);
    host->sendLine(
        "info multipv %d depth %d seldepth %d score %s %d %stime %d nodes %llu nps %u pv %s", line,
        depth, seldepth, shown.kind, shown.value, boundText(bound), uciTimeMs(elapsedUs),
        static_cast<unsigned long long>(nodes), uciNodesPerSecond(nodes, elapsedUs), pvText.text);
}

void UciListener::onHashFull(int32_t value) { host->sendLine("info hashfull %d", value); }

void UciListener::onDepth(int32_t depth) { host->sendLine("info depth %d", depth); }

void UciListener::onCurrMove(Move move, int32_t number) {
    char text[8];
    formatMove(move, engine->position.chess960, text);
    host->sendLine("info currmove %s currmovenumber %d", text, number);
}

void UciListener::onRootScore(int32_t score) { host->sendLine("info depth 0 score %d", score); }

void UciListener::onInfoString(const char* text) { host->sendLine("info string %s", text); }

void UciListener::onInputPending() { handleLineDuringSearch(*host, *engine); }

void UciListener::reportBestMove(bool withPonder, bool holdBack) {
    const int32_t chess960 = engine->position.chess960;
    char best[8];
    char ponder[8];
    formatMove(engine->lastMove, chess960, best);
    char line[sizeof owner->heldLine];
    // A missing expected reply is left out rather than sent as "ponder 0000".
    if (withPonder && engine->limits.ponderMove != noMove) {
        formatMove(engine->limits.ponderMove, chess960, ponder);
        std::snprintf(line, sizeof line, "bestmove %s ponder %s", best, ponder);
    } else {
        std::snprintf(line, sizeof line, "bestmove %s", best);
    }
    if (holdBack) {
        std::memcpy(owner->heldLine, line, sizeof line);
        owner->resultHeld = true;
    } else {
        host->sendText(line);
    }
}

void UciListener::onSearchEnd(StopReason reason) {
    if (reason == STOP_ABORTED) {
        if (host->newGamePending) host->newGame();
        if (host->bestMoveOwed) {
            host->bestMoveOwed = false;
            reportBestMove(false, false);
        }
        return;
    }
    // A search that ended by itself while the GUI still thinks it runs (infinite, or
    // pondering) keeps its answer until "stop" or "ponderhit" asks for it.
    const bool endedByItself = !owner->stopRequested;
    const bool ponderEnabled = host->ponderEnabled;
    if (reason == STOP_PONDER_DEPTH || reason == STOP_PONDER) {
        // A "stop" is always answered, even with the Ponder option since switched off.
        reportBestMove(ponderEnabled, endedByItself);
    } else {
        const bool stillExpected =
            engine->limits.mode == MODE_INFINITE || engine->limits.pondering;
        reportBestMove(ponderEnabled, endedByItself && stillExpected);
    }
}
