// XBoard front end: the command handler, which keeps the game and plays the engine's side,
// and the search listener that turns reports into thinking lines and moves.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "protocol/protocol.h"
#include "search/limits.h"
#include "search/listener.h"

class XboardProtocol;

class XboardListener : public SearchListener {
public:
    XboardProtocol* owner = nullptr;
    ProtocolHost* host = nullptr;

    void onSearchEnd(StopReason reason) override;
    void onPv(int32_t depth, int32_t score, const Move* pv, double elapsedUs, int32_t pvLength,
              uint64_t nodes, int32_t seldepth, int32_t bound) override;
    void onMultiPv(int32_t line, int32_t depth, int32_t score, double elapsedUs, const Move* pv,
                   int32_t pvLength, uint64_t nodes, int32_t seldepth, int32_t bound) override;
    void onInputPending() override;
    void onInfoString(const char* text) override;

    // One thinking line: depth, score in centipawns, centiseconds, nodes, principal variation.
    void printThinking(int32_t depth, int32_t score, const Move* pv, double elapsedUs, int32_t pvLength,
                       uint64_t nodes);
    // The engine's move (already on the game), then with pondering its hint; returns the hint
    // to ponder on, or noMove.
    Move reportMove();
};

// What a command does when it arrives while a search runs.
enum class DuringSearch : uint8_t {
    Now,             // carried out at once
    AfterOwnSearch,  // at once during a ponder search or an analysis, after the engine's move otherwise
    Later,           // after the search; a ponder search or an analysis is ended for it
    EndsSearch,      // it changes the game or asks for a search: any search ends, then it runs
};

struct ClockReading {
    float ms = 0.0f;
    bool known = false;
};

// The search that the front end starts once the current command or search is over.
enum class NextSearch : uint8_t {
    None,
    Own,           // the engine's search for its move
    PonderOnHint,  // play the hint (the expected reply) and ponder on it
    Analysis,      // analyse the game's position until told otherwise
};

class XboardProtocol : public Protocol {
public:
    XboardListener listener;
    int32_t protover = 0;
    // The engine plays neither side: moves are only played on the game.
    bool force = false;
    bool firstGoSeen = false;
    // Thinking lines are sent.
    bool post = true;
    // Move lines since "xboard" or "new": a first "go" late in a game takes them off the
    // moves left to the time control.
    int32_t moveLinesReceived = 0;
    bool analyzing = false;
    // The game's time-control mode, kept while the analysis searches without limits.
    TimeControlMode modeBeforeAnalysis = MODE_MOVE_TIME;
    // The colour the engine plays, known for sure once it searches for its move.
    int32_t engineColour = BLACK;
    // The last "time" (the engine's clock) and "otim" (the opponent's), in milliseconds. The GUI
    // sends them before "go" or the move that makes the engine play a colour, so they are given
    // to the colours when the engine's search starts (or at once while it ponders or searches).
    ClockReading ownClock;
    ClockReading opponentClock;

    using Protocol::Protocol;
    void attach() override;
    int32_t handleCommand(const char* line) override;

    // The end report of a search (through the listener): what to start next.
    void searchEnded(StopReason reason);

private:
    // One line, read by the command loop, read during a search, or waiting since then.
    void carryOut(const char* line);
    // Keeps a line that cannot be carried out under the running search until it has ended;
    // a ponder search or an analysis is ended for it at once, the engine's own search only
    // when `endOwnSearch`.
    void waitForSearchEnd(const char* line, bool endOwnSearch);
    bool runsDuringSearch(DuringSearch when) const;
    // Runs the waiting lines and the planned searches one after another until none is left.
    // Searches never nest: each one starts here, after the previous one has returned.
    void runSearches();
    void startSearch(NextSearch next);
    bool moveLine(const char* line) const;
    bool isExpectedReply(const char* line) const;
    void setTimeMode(TimeControlMode mode);
    // Sets the engine's colour to the side to move and gives it and the opponent their clocks.
    void takeColourToMove();
    void applyClocks();
    void leaveAnalysis();
    // A new game on the engine and in this front end's own state (Chess960 off, no force).
    void startNewGame();
    void countDownMovesToGo();
    // Plans the analysis of the changed game while analysing.
    void afterGameChange();

    // Commands; `text` is what follows the command word and its blank.
    void commandMove(const char* text);
    void commandTime(const char* text);
    void commandOtim(const char* text);
    void commandGo(const char* text);
    void commandXboard(const char* text);
    void commandUndo(const char* text);
    void commandRemove(const char* text);
    void commandForce(const char* text);
    void commandResult(const char* text);
    void commandAnalyze(const char* text);
    void commandExit(const char* text);
    void commandSetboard(const char* text);
    void commandMoveNow(const char* text);
    void commandNew(const char* text);
    void commandVariant(const char* text);
    void commandEasy(const char* text);
    void commandHard(const char* text);
    void commandPost(const char* text);
    void commandNopost(const char* text);
    void commandProtover(const char* text);
    void commandPing(const char* text);
    void commandSt(const char* text);
    void commandSd(const char* text);
    void commandLevel(const char* text);
    void commandPrintBoard(const char* text);
    void commandEval(const char* text);
    void commandPrintHashKey(const char* text);
    void commandPrintFen(const char* text);
    void commandPerftd(const char* text);
    void commandPerft(const char* text);
    void commandDivide(const char* text);
    void commandOption(const char* text);

    struct Command;
    static const Command* findCommand(const char* line);

    NextSearch nextSearch = NextSearch::None;
    std::deque<std::string> waitingLines;
    bool runningSearches = false;
};
