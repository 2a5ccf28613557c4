// The first front end: answers the first input line and hands over to UCI or XBoard.
#pragma once

#include "protocol/console_listener.h"
#include "protocol/protocol.h"

class ConsoleProtocol : public Protocol {
public:
    ConsoleListener listener;

    using Protocol::Protocol;
    void attach() override;
    int32_t handleCommand(const char* line) override;
};
