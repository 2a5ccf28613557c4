// UCI front end: the command handler and the search listener that turns reports into lines.
#pragma once

#include <cstdint>

#include "protocol/protocol.h"
#include "search/limits.h"
#include "search/listener.h"

class UciProtocol;

class UciListener : public SearchListener {
public:
    UciProtocol* owner = nullptr;
    ProtocolHost* host = nullptr;

    void onSearchEnd(StopReason reason) override;
    void onPv(int32_t depth, int32_t score, const Move* pv, double elapsedUs, int32_t pvLength,
              uint64_t nodes, int32_t seldepth, int32_t bound) override;
    void onMultiPv(int32_t line, int32_t depth, int32_t score, double elapsedUs, const Move* pv,
                   int32_t pvLength, uint64_t nodes, int32_t seldepth, int32_t bound) override;
    void onHashFull(int32_t value) override;
    void onDepth(int32_t depth) override;
    void onInputPending() override;
    void onCurrMove(Move move, int32_t number) override;
    void onRootScore(int32_t score) override;
    void onInfoString(const char* text) override;

private:
    // Writes the "bestmove" line, or keeps it for later when the search ended by itself
    // while the GUI still expects it to run (infinite or ponder search).
    void reportBestMove(bool withPonder, bool holdBack);
};

class UciProtocol : public Protocol {
public:
    UciListener listener;
    // The UCI_LimitStrength check box; strength is limited only while it is on.
    bool limitStrength = false;
    // "stop" arrived during the running search (so its end is the GUI's answer, not a hold).
    bool stopRequested = false;
    // A finished infinite or ponder search whose "bestmove" line waits for "stop"/"ponderhit".
    bool resultHeld = false;
    char heldLine[64] = {};

    using Protocol::Protocol;
    void attach() override;
    int32_t handleCommand(const char* line) override;

    // Sends the held-back "bestmove" line if there is one.
    void releaseHeldResult();

private:
    void commandGo(const char* tokens);
    void commandPosition(const char* text);
    void commandPonderHit();
    void commandStop();
    void commandUciNewGame();
    void commandUci();
    void commandSetOption(const char* text);
    // Depth of a perft command line, or 0 when it is to be ignored.
    int32_t perftDepth(const char* line) const;
    void applyStrength(int32_t elo);
    void loadBookFile();
    bool searchRunning() const;
};

// Reads the tokens of a "go " line into the limits and sets host.bestMoveOwed for an infinite
// search; returns whether the line asks for a ponder search.
bool applyGoTokens(const char* tokens, SearchLimits& limits, ProtocolHost& host);

// The two parts of a UCI score: "cp" or "mate" and the number shown.
struct UciScore {
    const char* kind;
    int32_t value;
};
UciScore uciScore(int32_t score);

// Milliseconds shown in an info line (16 when no time has passed).
int32_t uciTimeMs(double elapsedUs);
// Nodes per second for an info line, saturated to the unsigned 32-bit range.
uint32_t uciNodesPerSecond(uint64_t nodes, double elapsedUs);
