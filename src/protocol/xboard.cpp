#include "protocol/xboard.h"

#include <cstring>

#include "search/engine.h"

void XboardProtocol::attach() {
    listener.engine = engine;
    listener.owner = this;
    listener.host = host;
    engine->listener = &listener;
}

int32_t XboardProtocol::handleCommand(const char* line) { return std::strcmp(line, "quit") == 0 ? 0 : 1; }
