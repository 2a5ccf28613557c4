// XBoard play: the opponent's moves with the ponder hit, the commands that change the game,
// analysis, and the searches the front end starts.
#include <cstring>

#include "app/host.h"
#include "board/movegen.h"
#include "board/notation.h"
#include "protocol/command_text.h"
#include "protocol/xboard.h"
#include "protocol/xboard_text.h"
#include "search/engine.h"

using namespace commandtext;

namespace {

// Moves left to the time control once `played` moves are behind: whole controls that have
// passed start again, and there is always at least one move left.
int32_t movesLeftAfter(int32_t movesToGo, int32_t perSession, int32_t played) {
    const int32_t left = movesToGo - played;
    if (left >= 1) return left;
    if (perSession < 1) return 1;
    return ((left - 1) % perSession + perSession) % perSession + 1;
}

}  // namespace

bool XboardProtocol::isExpectedReply(const char* line) const {
    if (!engine->limits.pondering || host->ponderMove == noMove) return false;
    char expected[8];
    formatMove(host->ponderMove, xboardCastling(engine->position.chess960), expected);
    // The whole word must agree, promotion piece included.
    const size_t length = std::strlen(expected);
    return std::strncmp(line, expected, length) == 0 && (line[length] == '\0' || line[length] == ' ');
}

void XboardProtocol::commandMove(const char* line) {
    if (engine->searching) {
        if (engine->limits.pondering && !analyzing && isExpectedReply(line)) {
            // A hit: the ponder search goes on as the search for the engine's move.
            moveLinesReceived++;
            engine->limits.movesToGo = host->movesToGo;
            engine->ponderHit();
            return;
        }
        // A miss ends the ponder search, which takes the expected reply back; the move is then
        // played like any other. During the engine's own search it waits for the engine's move.
        waitForSearchEnd(line, false);
        return;
    }
    moveLinesReceived++;
    if (!engine->playMoveText(line)) return;
    if (analyzing) {
        nextSearch = NextSearch::Analysis;
        return;
    }
    if (force || countLegalMoves(engine->position) == 0) return;
    nextSearch = NextSearch::Own;
}

void XboardProtocol::commandGo(const char*) {
    if (!firstGoSeen) {
        firstGoSeen = true;
        if (host->movesToGo != 0)
            host->movesToGo = movesLeftAfter(host->movesToGo, host->movesPerSession, moveLinesReceived / 2);
    }
    force = false;
    leaveAnalysis();
    nextSearch = NextSearch::Own;
}

void XboardProtocol::commandUndo(const char*) {
    engine->undoLastMove();
    afterGameChange();
}

void XboardProtocol::commandRemove(const char*) {
    // The GUI's take-back: the engine's last move and the opponent's move before it.
    engine->undoLastMove();
    engine->undoLastMove();
    afterGameChange();
}

void XboardProtocol::commandSetboard(const char* text) {
    // A refused position is logged by the engine and leaves the game as it was.
    engine->setFen(text);
    afterGameChange();
}

void XboardProtocol::commandVariant(const char* text) {
    if (equals(text, "fischerandom"))
        engine->setChess960(true);
    else if (equals(text, "normal"))
        engine->setChess960(false);
}

void XboardProtocol::commandNew(const char*) {
    host->setPonderEnabled(false);
    host->ponderMove = engine->limits.ponderMove;
    startNewGame();
    if (analyzing) modeBeforeAnalysis = engine->limits.mode;
    afterGameChange();
}

void XboardProtocol::startNewGame() {
    host->newGame();
    // Chess960 lasts one game.
    engine->setChess960(false);
    moveLinesReceived = 0;
    firstGoSeen = false;
    force = false;
    // The engine plays Black until "go" says otherwise.
    engineColour = BLACK;
    ownClock.known = opponentClock.known = false;
}

void XboardProtocol::afterGameChange() { nextSearch = analyzing ? NextSearch::Analysis : NextSearch::None; }

void XboardProtocol::commandForce(const char*) {
    force = true;
    // The engine plays neither side: its own search or ponder search ends without a move.
    if (!analyzing) engine->abortSearch();
}

// The game is over: any search ends, and an analysis ends as with "exit", so that the next
// game is played, not analysed.
void XboardProtocol::commandResult(const char* text) { commandExit(text); }

void XboardProtocol::commandMoveNow(const char*) {
    // An analysis has no move to make.
    if (!analyzing) engine->stopSearch();
}

void XboardProtocol::commandAnalyze(const char*) {
    if (!analyzing) modeBeforeAnalysis = engine->limits.mode;
    analyzing = true;
    nextSearch = NextSearch::Analysis;
}

void XboardProtocol::commandExit(const char*) {
    engine->abortSearch();
    leaveAnalysis();
    nextSearch = NextSearch::None;
}

void XboardProtocol::leaveAnalysis() {
    if (!analyzing) return;
    analyzing = false;
    engine->limits.mode = modeBeforeAnalysis;
}

void XboardProtocol::setTimeMode(TimeControlMode mode) {
    if (analyzing)
        modeBeforeAnalysis = mode;
    else
        engine->limits.mode = mode;
}

void XboardProtocol::startSearch(NextSearch next) {
    switch (next) {
        case NextSearch::None: return;
        case NextSearch::Own:
            if (force || analyzing) return;
            takeColourToMove();
            engine->limits.movesToGo = host->movesToGo;
            engine->think(false);
            return;
        case NextSearch::PonderOnHint:
            if (force || analyzing || !engine->limits.ponderEnabled) return;
            // The hint was legal when it was announced; nothing else has moved since.
            if (!engine->playMove(host->ponderMove)) return;
            // Set up as the engine's next search, which it becomes on a hit.
            takeColourToMove();
            engine->limits.movesToGo = host->movesToGo;
            engine->think(true);
            return;
        case NextSearch::Analysis:
            if (!analyzing) return;
            engine->limits.mode = MODE_INFINITE;
            engine->think(false);
            return;
    }
}

void XboardProtocol::searchEnded(StopReason reason) {
    // An aborted search and an analysis announce nothing; a ponder search that ended without
    // a hit leaves the engine waiting for the opponent's move.
    if (reason != STOP_NORMAL || analyzing || engine->limits.testSuiteMode) return;
    countDownMovesToGo();
    if (listener.reportMove() != noMove) nextSearch = NextSearch::PonderOnHint;
}

void XboardProtocol::countDownMovesToGo() {
    if (host->movesPerSession <= 0) return;
    // The last move of a time control starts the next one.
    host->movesToGo = host->movesToGo <= 1 ? host->movesPerSession : host->movesToGo - 1;
}
