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
    char* line = nullptr;
    int32_t protocolType = 0;
    uint8_t quit = 0;
    int32_t bestMoveOwed = 0;
    int32_t ponderEnabled = 0;
    int32_t pondering = 0;
    int32_t movesToGo = 0;
    int32_t movesPerSession = 0;
    int32_t newGamePending = 0;
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
    // line to the current front end and sets `quit` when that returns 0. The text is passed
    // from `text` itself (a line of any length stays whole); `line` receives a copy cut to
    // LINE_BUFFER_SIZE - 1 characters. Returns the handler's result (1 for an empty line).
    // Front ends call it for lines read during a search.
    int32_t handleInputLine(const std::string& text);

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
