#include "protocol/console.h"

#include <cstring>

#include "app/host.h"
#include "app/logger.h"
#include "search/engine.h"

void ConsoleProtocol::attach() {
    listener.engine = engine;
    listener.owner = this;
    listener.host = host;
    engine->listener = &listener;
}

int32_t ConsoleProtocol::handleCommand(const char* line) {
    // selectProtocol deletes this object; only the saved host may be touched afterwards.
    ProtocolHost* savedHost = host;
    if (std::strcmp(line, "uci") == 0) {
        savedHost->selectProtocol(1);
        return 1;
    }
    if (std::strcmp(line, "xboard") == 0) {
        savedHost->selectProtocol(2);
        return 1;
    }
    if (std::strncmp(line, "setvalue ", 9) == 0) return 1;
    if (std::strcmp(line, "quit") == 0) return 0;
    logger.log(LOG_ERROR, "unknown protocol '%s'", line);
    return 0;
}
