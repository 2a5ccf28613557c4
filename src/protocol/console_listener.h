// Search lines of the console front end (command-line tools).
#pragma once

#include <cstddef>

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

// Console score text: "+M3"/"-M2" for mates, "+0.35" or "-1.20" otherwise.
void formatConsoleScore(int32_t score, char* buffer, size_t size);

// One console search line. `lineNumber` 1 (or a single line) gives the full line with depth,
// selective depth and bound; later multi-PV lines are indented and leave those out.
void formatConsoleLine(char* buffer, size_t size, int32_t lineNumber, int32_t depth, int32_t score,
                       const Move* pv, double elapsedUs, int32_t pvLength, uint64_t nodes,
                       int32_t seldepth, int32_t bound);
