// Base of the front ends; each embeds its own search listener.
#pragma once

#include <cstdint>

class Engine;
class ProtocolHost;

class Protocol {
public:
    Engine* engine = nullptr;
    ProtocolHost* host = nullptr;

    Protocol(Engine* e, ProtocolHost* h) : engine(e), host(h) {}
    virtual ~Protocol() = default;
    virtual void attach() {}
    // Returns 1 to go on, 0 to end the program.
    virtual int32_t handleCommand(const char* /*line*/) { return 1; }
};
