// UCI front end (placeholder until the UCI front end lands: answers only "quit").
#pragma once

#include "protocol/protocol.h"
#include "search/listener.h"

class UciProtocol;

class UciListener : public SearchListener {
public:
    UciProtocol* owner = nullptr;
    ProtocolHost* host = nullptr;
};

class UciProtocol : public Protocol {
public:
    UciListener listener;

    using Protocol::Protocol;
    void attach() override;
    int32_t handleCommand(const char* line) override;
};
