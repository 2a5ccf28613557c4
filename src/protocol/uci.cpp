// UCI command handler: dispatch, searches, positions and the engine's own commands.
#include "protocol/uci.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "app/host.h"
#include "app/numbers.h"
#include "protocol/command_text.h"
#include "protocol/engine_commands.h"
#include "search/engine.h"

using namespace commandtext;

void UciProtocol::attach() {
    listener.engine = engine;
    listener.owner = this;
    listener.host = host;
    engine->listener = &listener;
}

bool UciProtocol::searchRunning() const { return engine->searching != 0; }

void UciProtocol::releaseHeldResult() {
    if (!resultHeld) return;
    resultHeld = false;
    host->sendText(heldLine);
}

int32_t UciProtocol::handleCommand(const char* line) {
    if (startsWith(line, "go ")) {
        commandGo(line + 3);
    } else if (equals(line, "isready")) {
        host->sendText("readyok");
    } else if (startsWith(line, "position ")) {
        commandPosition(line + 9);
    } else if (equals(line, "ponderhit")) {
        commandPonderHit();
    } else if (equals(line, "quit")) {
        if (searchRunning())
            engine->abortSearch();
        else
            releaseHeldResult();
        return 0;
    } else if (equals(line, "uci")) {
        if (!searchRunning()) commandUci();
    } else if (equals(line, "ucinewgame")) {
        commandUciNewGame();
    } else if (equals(line, "stop")) {
        commandStop();
    } else if (startsWith(line, "perftd")) {
        if (int32_t depth = perftDepth(line)) host->perftd(depth);
    } else if (startsWith(line, "perft")) {
        if (int32_t depth = perftDepth(line)) host->perft(depth);
    } else if (startsWith(line, "divide")) {
        if (int32_t depth = perftDepth(line)) host->divide(depth);
    } else if (startsWith(line, "debug ")) {
        // Accepted; the engine has no debug output.
    } else if (searchRunning()) {
        // The rest read or change the position and tables that the search is using.
    } else if (startsWith(line, "setoption ")) {
        commandSetOption(line + 10);
    } else if (startsWith(line, "printBoard")) {
        engine->position.printBoard();
    } else if (startsWith(line, "eval")) {
        sendEvaluation(*host, *engine);
    } else if (startsWith(line, "printHashKey")) {
        sendHashKey(*host, *engine);
    } else if (startsWith(line, "printFEN")) {
        sendFen(*host, *engine);
    }
    return 1;
}

void UciProtocol::commandGo(const char* tokens) {
    if (searchRunning()) return;
    // A new search supersedes an answer that nobody asked for.
    resultHeld = false;
    stopRequested = false;
    const bool ponder = applyGoTokens(tokens, engine->limits, *host);
    engine->think(ponder);
}

bool applyGoTokens(const char* text, SearchLimits& limits, ProtocolHost& host) {
    bool ponder = false;
    limits.movesToGo = 0;
    const char* p = text;
    while (*p != '\0') {
        if (*p == ' ') {
            p++;
            continue;
        }
        const char* value = nullptr;
        if (startsWith(p, "ponder")) {
            ponder = true;
        } else if ((value = keywordValue(p, "wtime "))) {
            limits.clock[WHITE] = float(wordNumber(value));
            limits.mode = MODE_CLOCK;
        } else if ((value = keywordValue(p, "btime "))) {
            limits.clock[BLACK] = float(wordNumber(value));
            limits.mode = MODE_CLOCK;
        } else if ((value = keywordValue(p, "winc "))) {
            limits.increment[WHITE] = wordNumber(value);
        } else if ((value = keywordValue(p, "binc "))) {
            limits.increment[BLACK] = wordNumber(value);
        } else if ((value = keywordValue(p, "movetime "))) {
            limits.mode = MODE_MOVE_TIME;
            limits.timePerMove = millisecondsToMicroseconds(wordNumber(value));
        } else if ((value = keywordValue(p, "movestogo "))) {
            // A negative count would divide the clock into negative slices.
            int32_t moves = wordNumber(value);
            limits.movesToGo = moves < 0 ? 0 : moves;
            limits.mode = MODE_CLOCK;
        } else if (startsWith(p, "infinite")) {
            host.bestMoveOwed = true;
            limits.mode = MODE_INFINITE;
        } else if ((value = keywordValue(p, "depth "))) {
            limits.mode = MODE_DEPTH;
            limits.maxDepth = std::clamp(wordNumber(value), 1, MAX_PLY - 1);
        } else if ((value = keywordValue(p, "nodes "))) {
            int32_t nodes = wordNumber(value);
            limits.mode = MODE_NODES;
            limits.nodeLimit = nodes < 0 ? 0 : uint64_t(nodes);
        }
        p = skipWord(value != nullptr ? value : p);
    }
    return ponder;
}

void UciProtocol::commandPosition(const char* text) {
    if (searchRunning()) return;
    if (startsWith(text, "startpos")) {
        const char* rest = text + 8;
        const char* moves = nullptr;
        if (*rest != '\0' && *rest != ' ') {
            moves = "";
        } else {
            rest = skipBlanks(rest);
            if (*rest == '\0' || equals(rest, "moves"))
                moves = "";
            else if (startsWith(rest, "moves "))
                moves = rest + 6;
            else
                return;
        }
        engine->setStartPosition();
        engine->playMoveList(moves);
    } else if (startsWith(text, "fen ")) {
        const char* fen = text + 4;
        const char* moves = std::strstr(fen, "moves ");
        if (moves == nullptr) {
            engine->setFen(fen);
            return;
        }
        // The FEN is copied whole, whatever its length; the reader judges it.
        std::string fenText(fen, size_t(moves - fen));
        if (engine->setFen(fenText.c_str())) engine->playMoveList(moves + 6);
    }
}

void UciProtocol::commandPonderHit() {
    if (!searchRunning()) {
        releaseHeldResult();
        return;
    }
    engine->ponderHit();
}

void UciProtocol::commandStop() {
    if (!searchRunning()) {
        releaseHeldResult();
        return;
    }
    engine->stopSearch();
    stopRequested = true;
}

void UciProtocol::commandUciNewGame() {
    if (searchRunning()) {
        engine->abortSearch();
        host->newGamePending = true;
        return;
    }
    host->newGame();
    resultHeld = false;
}

int32_t UciProtocol::perftDepth(const char* line) const {
    if (searchRunning()) return 0;
    const char* blank = std::strchr(line, ' ');
    if (blank == nullptr) return 0;
    // The move stack holds one list per remaining ply.
    int32_t depth = parseInt32(blank + 1);
    return depth >= 1 && depth <= MAX_PLY - 1 ? depth : 0;
}
