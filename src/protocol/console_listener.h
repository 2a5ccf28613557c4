// Search lines of the console front end (command-line tools).
#pragma once

#include "search/listener.h"

class ConsoleProtocol;
class ProtocolHost;

class ConsoleListener : public SearchListener {
public:
    ConsoleProtocol* owner = nullptr;
    ProtocolHost* host = nullptr;

    void onPv(int32_t depth, int32_t score, const Move* pv, double elapsedUs, int32_t pvLength,
              uint64_t nodes, int32_t seldepth, int32_t bound) override;
    void onMultiPv(int32_t line, int32_t depth, int32_t score, double elapsedUs, const Move* pv,
                   int32_t pvLength, uint64_t nodes, int32_t seldepth, int32_t bound) override;
};
