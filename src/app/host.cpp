#include "app/host.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/logger.h"
#include "protocol/console.h"
#include "protocol/uci.h"
#include "protocol/xboard.h"
#include "search/engine.h"

namespace {

// Flushed at once, so the reader sees every line as soon as it is sent.
void writeLine(const char* text, size_t length) {
    std::fwrite(text, 1, length, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace

int32_t ProtocolHost::selectProtocol(int32_t type) {
    delete protocol;
    protocol = nullptr;
    if (type == 1) {
        logger.log(LOG_INFO, "using protocol UCI");
        protocol = new UciProtocol(engine, this);
        protocol->attach();
        return protocol->handleCommand("uci");
    }
    if (type == 2) {
        logger.log(LOG_INFO, "using protocol XBoard");
        protocol = new XboardProtocol(engine, this);
        protocol->attach();
        return protocol->handleCommand("xboard");
    }
    protocol = new ConsoleProtocol(engine, this);
    protocol->attach();
    return 1;
}

void ProtocolHost::sendLine(const char* format, ...) {
    char buffer[LINE_BUFFER_SIZE];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int length = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (length < 0) {
        va_end(again);
        return;
    }
    if (size_t(length) < sizeof buffer) {
        va_end(again);
        writeLine(buffer, size_t(length));
        logger.log(LOG_GUI, ">> %s", buffer);
        return;
    }
    std::string whole(size_t(length) + 1, '\0');
    std::vsnprintf(whole.data(), whole.size(), format, again);
    va_end(again);
    whole.resize(size_t(length));
    writeLine(whole.c_str(), whole.size());
    logger.log(LOG_GUI, ">> %s", whole.c_str());
}

void ProtocolHost::sendText(const char* text) {
    logger.log(LOG_GUI, ">> %s", text);
    writeLine(text, std::strlen(text));
}

void ProtocolHost::newGame() {
    engine->newGame();
    bestMoveOwed = false;
    newGamePending = false;
    // Engine::newGame has set the engine's own count.
    movesToGo = movesPerSession = MOVES_PER_SESSION;
}

void ProtocolHost::setPonderEnabled(bool on) {
    engine->setPonderEnabled(on);
    ponderEnabled = engine->limits.ponderEnabled;
}

int32_t ProtocolHost::handleInputLine(const std::string& text) {
    logger.log(LOG_GUI, "<< %s", text.c_str());
    if (text.empty() || !protocol) return 1;
    // Read the front end anew: the console replaces itself on "uci" and "xboard".
    int32_t result = protocol->handleCommand(text.c_str());
    if (result == 0) quit = true;
    return result;
}
