// The application object: owns the engine, the current front end and the input line.
#pragma once

#include <cstdint>
#include <string>

#include "board/types.h"

class Engine;
class Protocol;

inline constexpr int32_t LINE_BUFFER_SIZE = 4096;

// Version text shown in the banner and the protocol identification.
inline constexpr const char* ENGINE_VERSION = "1.9.2";

// Search time per position of the best-move test suite when none (or a negative one) is given.
inline constexpr double TEST_SUITE_DEFAULT_SECONDS = 5.0;

class ProtocolHost {
public:
    Engine* engine = nullptr;
    Protocol* protocol = nullptr;
    bool quit = false;
    // UCI: a "bestmove" line is owed for a "go infinite" search.
    bool bestMoveOwed = false;
    // Ponder state: the engine's SearchLimits fields of the same names are the truth (a ponder
    // search runs while engine->limits.pondering is set); these two are only ever copied from
    // engine->limits (setPonderEnabled for the switch; the XBoard front end takes the expected
    // reply `ponderMove` from the engine when it announces the engine's move).
    bool ponderEnabled = false;
    int32_t movesToGo = 0;
    int32_t movesPerSession = 0;
    // A new game was asked for during a search; it starts when the search has ended.
    bool newGamePending = false;
    Move ponderMove = noMove;
    int32_t Hash = 32;
    int32_t Book = 0;
    int32_t UseStrength = 0;
    int32_t StrengthELO = 2600;
    int32_t LogLevel = 0;
    int32_t LogFormat = 0;
    int32_t LogPID = 0;
    int32_t UseNullMovePruning = 1;
    int32_t UseLMR = 1;
    char wordSize[8] = "32 bits";
    char BookFile[1024] = "mireltbook-11.bin";

    // Installs front end `type` (0 console, 1 UCI, 2 XBoard); UCI and XBoard then answer
    // their own first word, whose result is returned.
    int32_t selectProtocol(int32_t type);
    // Formats one line, writes it to standard output, then logs it at GUI level.
    // A line longer than the buffer is written whole.
    void sendLine(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Logs a ready line at GUI level, then writes it to standard output.
    void sendText(const char* text);

    // Handles one input line as the read loop does: logs it as "<< ...", hands a non-empty
    // line (of any length) to the current front end and sets `quit` when that returns 0.
    // Returns the handler's result (1 for an empty line). Front ends call it for lines read
    // during a search.
    int32_t handleInputLine(const std::string& text);

    // A new game: the engine's (Engine::newGame) and the front ends' state of one: no answer
    // owed, no new game pending, 40 moves to the time control.
    void newGame();

    // Switches pondering on or off in the engine (Engine::setPonderEnabled) and copies the
    // switch into `ponderEnabled`.
    void setPonderEnabled(bool on);

    // Tool commands, reached from the command line and the protocols.
    void perft(int32_t depth);
    void perftd(int32_t depth);
    void divide(int32_t depth);
    // Best-move test suite with `seconds` per position (a negative time gives 5 s), and the
    // perft suite at `depth` (1..PERFT_MAX_DEPTH). Each initialises the engine, runs, and
    // clears it; false when the file cannot be opened (or the depth is out of range).
    bool runTestSuite(const char* fileName, double seconds);
    bool runPerftSuite(const char* fileName, int32_t depth);
};
