// XBoard front end (not built yet: answers only "quit").
#pragma once

#include "protocol/protocol.h"
#include "search/listener.h"

class XboardProtocol;

class XboardListener : public SearchListener {
public:
    XboardProtocol* owner = nullptr;
    ProtocolHost* host = nullptr;
};

class XboardProtocol : public Protocol {
public:
    XboardListener listener;

    using Protocol::Protocol;
    void attach() override;
    int32_t handleCommand(const char* line) override;
};
