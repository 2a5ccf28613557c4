// XBoard start of play, features, clocks and time controls, pondering and thinking switches,
// and the engine's own commands.
#include <algorithm>

#include "app/host.h"
#include "app/numbers.h"
#include "protocol/command_text.h"
#include "protocol/engine_commands.h"
#include "protocol/xboard.h"
#include "protocol/xboard_text.h"
#include "search/engine.h"

using namespace commandtext;

namespace {

// Clocks arrive in centiseconds and are kept in milliseconds.
constexpr float MS_PER_CENTISECOND = 10.0f;

}  // namespace

void XboardProtocol::commandXboard(const char*) {
    engine->init(std::clamp(host->Hash, HASH_MIN_MB, HASH_MAX_MB));
    startNewGame();
    analyzing = false;
    if (host->Book == 1 && !engine->loadBook(host->BookFile)) host->Book = 0;
    if (host->UseStrength) setStrength(host->StrengthELO, true);
}

void XboardProtocol::commandProtover(const char* text) {
    protover = parseInt32(text);
    host->sendLine("feature myname=\"Mirelt %s %s\"", ENGINE_VERSION, host->wordSize);
    for (const char* feature : {"feature setboard=1", "feature analyze=1", "feature ping=1", "feature draw=0",
                                "feature sigint=0", "feature sigterm=0", "feature colors=0",
                                "feature variants=\"normal,fischerandom\"", "feature option=\"Clear Hash -button\"",
                                "feature done=1"})
        host->sendText(feature);
}

void XboardProtocol::commandPing(const char* text) { host->sendLine("pong %d", parseInt32(text)); }

void XboardProtocol::commandTime(const char* text) {
    ownClock = {float(parseInt32(text)) * MS_PER_CENTISECOND, true};
    if (engine->searching) applyClocks();
}

void XboardProtocol::commandOtim(const char* text) {
    opponentClock = {float(parseInt32(text)) * MS_PER_CENTISECOND, true};
    if (engine->searching) applyClocks();
}

void XboardProtocol::takeColourToMove() {
    engineColour = engine->position.sideToMove;
    applyClocks();
}

void XboardProtocol::applyClocks() {
    if (ownClock.known) engine->limits.clock[engineColour] = ownClock.ms;
    if (opponentClock.known) engine->limits.clock[engineColour ^ 1] = opponentClock.ms;
}

void XboardProtocol::commandLevel(const char* text) {
    TimeControl control;
    if (!parseLevel(text, control)) return;
    host->movesPerSession = control.movesPerSession;
    host->movesToGo = control.movesPerSession;
    SearchLimits& limits = engine->limits;
    limits.movesToGo = control.movesPerSession;
    limits.clock[engine->position.sideToMove] = control.baseMs;
    // Readings of the old time control are not carried into the new one.
    ownClock.known = opponentClock.known = false;
    limits.increment[BLACK] = limits.increment[WHITE] = control.incrementMs;
    setTimeMode(MODE_CLOCK);
}

void XboardProtocol::commandSt(const char* text) {
    engine->limits.timePerMove = secondsToMicroseconds(parseInt32(text));
    setTimeMode(MODE_MOVE_TIME);
}

void XboardProtocol::commandSd(const char* text) {
    engine->limits.maxDepth = std::clamp(parseInt32(text), 1, MAX_PLY - 1);
    setTimeMode(MODE_DEPTH);
}

void XboardProtocol::commandEasy(const char*) {
    if (engine->searching && engine->limits.pondering) {
        // The ponder search must take its expected reply back before pondering goes off.
        waitForSearchEnd("easy", false);
        return;
    }
    // The engine's own search moves now, as with "?".
    engine->stopSearch();
    host->setPonderEnabled(false);
    host->ponderMove = engine->limits.ponderMove;
}

void XboardProtocol::commandHard(const char*) { host->setPonderEnabled(true); }

void XboardProtocol::commandPost(const char*) { post = true; }

void XboardProtocol::commandNopost(const char*) { post = false; }

void XboardProtocol::commandPrintBoard(const char*) { engine->position.printBoard(); }

void XboardProtocol::commandEval(const char*) { sendEvaluation(*host, *engine); }

void XboardProtocol::commandPrintHashKey(const char*) { sendHashKey(*host, *engine); }

void XboardProtocol::commandPrintFen(const char*) { sendFen(*host, *engine); }

void XboardProtocol::commandPerftd(const char* text) { host->perftd(parseInt32(text)); }

void XboardProtocol::commandPerft(const char* text) { host->perft(parseInt32(text)); }

void XboardProtocol::commandDivide(const char* text) { host->divide(parseInt32(text)); }

void XboardProtocol::commandOption(const char* text) {
    // The one option announced: the "Clear Hash" button.
    const char* name = keywordValue(text, "Clear ");
    if (name != nullptr && startsWith(name, "Hash")) engine->tt.clear();
}
