// Program entry: configuration, logger, engine, command-line tools, the command loop, shutdown.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/config.h"
#include "app/host.h"
#include "app/logger.h"
#include "app/numbers.h"
#include "book/book_builder.h"
#include "protocol/protocol.h"
#include "search/engine.h"
#include "search/input.h"
#include "search/limits.h"
#include "tools/perft.h"

namespace {

constexpr const char* WORD_SIZE = "32 bits";

// Sentinel of runCommandLine: no tool ran, go on to the protocol mode.
constexpr int PROTOCOL_MODE = -1;

// Depth of the perft suite when the command line gives none.
constexpr int32_t PERFT_SUITE_DEFAULT_DEPTH = 1;

// Fixed time per move of a file tool's engine: none of those tools searches, the limits just stay sane.
constexpr int32_t FILE_TOOL_TIME_PER_MOVE = 10000000;

// Hash size for the book builder's engine set-up; it searches nothing, so the size is fixed.
constexpr int32_t BOOK_BUILD_HASH_MB = 32;

bool configFileExists() {
    std::FILE* file = std::fopen(CONFIG_FILE_NAME, "r");
    if (!file) return false;
    std::fclose(file);
    return true;
}

void configureLogger(const ProtocolHost& host) {
    logger.addStandardLevels();
    logger.textFormat = host.LogFormat == 0;
    logger.pidSuffix = host.LogPID != 0;
    logger.enabled = host.LogLevel != 0;
    logger.applyLevelMask(host.LogLevel);
    if (logger.enabled) logger.open();
}

void printHelp() {
    std::printf("Mirelt %s (%s) by Orlen Vastrade\n", ENGINE_VERSION, WORD_SIZE);
    std::printf("Built on %s at %s\n\n", __DATE__, __TIME__);
    std::puts("Mirelt -testsuite <filename.epd> <time>");
    std::puts("Mirelt -perftsuite <filename.epd> <depth>");
    std::puts("Mirelt -evalsuite <filename.epd>");
    std::puts("Mirelt -checkfensuite <filename.epd>");
    std::puts("Mirelt -testsee <filename.epd>");
    std::puts("Mirelt -perft <depth>");
    std::puts("Mirelt -perft <depth> -fen \"<fen-string>\"");
    std::puts("Mirelt -perftd <depth>");
    std::puts("Mirelt -perftd <depth> -fen \"<fen-string>\"");
    std::puts("Mirelt -divide <depth>");
    std::puts("Mirelt -divide <depth> -fen \"<fen-string>\"");
    std::puts("Mirelt -buildbook <file.pgn> <file.bin> <depth> <count>");
}

// Releases the engine and the front end; `orderly` adds "End." to the log.
void shutdown(ProtocolHost& host, bool orderly) {
    if (host.engine) {
        // Pondering off and a running search aborted, as the engine's clear does too.
        host.setPonderEnabled(false);
        host.engine->clear();
    }
    delete host.protocol;
    host.protocol = nullptr;
    delete host.engine;
    host.engine = nullptr;
    if (orderly) logger.log(LOG_INFO, "End.");
    logger.close();
}

// A refused depth: one line on standard error, exit status 1.
int refuseDepth(ProtocolHost& host, const char* option, const char* text) {
    std::fprintf(stderr, "%s: depth '%s' is not a number from 1 to %d\n", option, text, PERFT_MAX_DEPTH);
    shutdown(host, false);
    return 1;
}

// The end of a suite tool: a file that could not be opened is reported like a refused argument.
int finishSuiteTool(ProtocolHost& host, char** argv, bool opened) {
    if (!opened) {
        std::fprintf(stderr, "%s: cannot open file '%s'\n", argv[1], argv[2]);
        shutdown(host, false);
        return 1;
    }
    shutdown(host, true);
    return 0;
}

// "-testsuite": file, optionally the seconds per position.
int runTestSuiteTool(ProtocolHost& host, int argc, char** argv) {
    if (argc != 3 && argc != 4) return PROTOCOL_MODE;
    const double seconds = argc == 4 ? std::strtod(argv[3], nullptr) : TEST_SUITE_DEFAULT_SECONDS;
    return finishSuiteTool(host, argv, host.runTestSuite(argv[2], seconds));
}

// "-perftsuite": file, optionally the depth.
int runPerftSuiteTool(ProtocolHost& host, int argc, char** argv) {
    if (argc != 3 && argc != 4) return PROTOCOL_MODE;
    const int32_t depth = argc == 4 ? parseInt32(argv[3]) : PERFT_SUITE_DEFAULT_DEPTH;
    if (!isValidPerftDepth(depth)) return refuseDepth(host, argv[1], argv[3]);
    return finishSuiteTool(host, argv, host.runPerftSuite(argv[2], depth));
}

using SuiteWorker = bool (Perft::*)(const char*);

// "-evalsuite", "-checkfensuite", "-testsee": the file alone, on an engine set to fixed time.
int runFileTool(ProtocolHost& host, SuiteWorker worker, int argc, char** argv) {
    if (argc != 3) return PROTOCOL_MODE;
    Engine& engine = *host.engine;
    engine.init(host.Hash);
    host.newGame();
    engine.limits.mode = MODE_MOVE_TIME;
    engine.limits.timePerMove = FILE_TOOL_TIME_PER_MOVE;
    const bool opened = (engine.perft.*worker)(argv[2]);
    engine.clear();
    return finishSuiteTool(host, argv, opened);
}

using PerftCommand = void (ProtocolHost::*)(int32_t);

// "-perft", "-perftd", "-divide": depth, optionally "-fen" and a position.
int runPerftTool(ProtocolHost& host, PerftCommand command, int argc, char** argv) {
    const bool withFen = argc == 5 && std::strcmp(argv[3], "-fen") == 0;
    if (argc != 3 && !withFen) return PROTOCOL_MODE;
    const int32_t depth = parseInt32(argv[2]);
    if (!isValidPerftDepth(depth)) return refuseDepth(host, argv[1], argv[2]);
    host.engine->init(host.Hash);
    host.newGame();
    if (withFen && !host.engine->setFen(argv[4])) {
        std::puts("Bad FEN string !");
        std::fprintf(stderr, "%s: FEN position rejected: %s\n", argv[1], argv[4]);
        shutdown(host, false);
        return 1;
    }
    (host.*command)(depth);
    host.engine->clear();
    shutdown(host, true);
    return 0;
}

// "-buildbook": PGN file, book file, depth in plies, minimum number of games per line.
int runBookBuilder(ProtocolHost& host, int argc, char** argv) {
    if (argc != 6) return PROTOCOL_MODE;
    const int32_t depth = parseInt32(argv[4]);
    if (!isValidBookDepth(depth)) {
        std::fprintf(stderr, "%s: depth '%s' is not a number from 1 to %d\n", argv[1], argv[4], BOOK_BUILD_MAX_DEPTH);
        shutdown(host, false);
        return 1;
    }
    host.engine->init(BOOK_BUILD_HASH_MB);
    host.newGame();
    const BookBuildResult result = host.engine->perft.buildBookFromPgn(argv[2], argv[3], depth, parseInt32(argv[5]));
    if (result != BookBuildResult::Built) {
        std::fprintf(stderr, "%s: %s\n", argv[1], describeBookBuildFailure(result, argv[2], argv[3]).c_str());
        shutdown(host, false);
        return 1;
    }
    shutdown(host, true);
    return 0;
}

// Runs the tool the first argument names; PROTOCOL_MODE when none ran.
int runCommandLine(ProtocolHost& host, int argc, char** argv) {
    const char* option = argv[1];
    if (std::strcmp(option, "-help") == 0) {
        printHelp();
        shutdown(host, true);
        return 0;
    }
    if (std::strcmp(option, "-testsuite") == 0) return runTestSuiteTool(host, argc, argv);
    if (std::strcmp(option, "-perftsuite") == 0) return runPerftSuiteTool(host, argc, argv);
    if (std::strcmp(option, "-evalsuite") == 0) return runFileTool(host, &Perft::evalSuite, argc, argv);
    if (std::strcmp(option, "-checkfensuite") == 0) return runFileTool(host, &Perft::checkFenSuite, argc, argv);
    if (std::strcmp(option, "-testsee") == 0) return runFileTool(host, &Perft::testSee, argc, argv);
    if (std::strcmp(option, "-perftd") == 0) return runPerftTool(host, &ProtocolHost::perftd, argc, argv);
    if (std::strcmp(option, "-perft") == 0) return runPerftTool(host, &ProtocolHost::perft, argc, argv);
    if (std::strcmp(option, "-divide") == 0) return runPerftTool(host, &ProtocolHost::divide, argc, argv);
    if (std::strcmp(option, "-buildbook") == 0) return runBookBuilder(host, argc, argv);
    logger.log(LOG_WARNING, "Unknown command line parameter '%s'", option);
    return PROTOCOL_MODE;
}

void runReadLoop(ProtocolHost& host) {
    std::string text;
    while (!host.quit) {
        // End of input is a "quit" for the current front end, which may still owe an answer.
        if (!readInputLine(text)) {
            if (host.protocol) host.protocol->handleCommand("quit");
            break;
        }
        host.handleInputLine(text);
    }
}

}  // namespace

int main(int argc, char** argv) {
    ProtocolHost host;
    const bool configFound = configFileExists();
    if (configFound) readHostConfiguration(host);
    configureLogger(host);
    if (!configFound) logger.log(LOG_WARNING, "Config file %s not found, using default parameters", CONFIG_FILE_NAME);
    std::snprintf(host.wordSize, sizeof host.wordSize, "%s", WORD_SIZE);
    logger.log(LOG_INFO, "Mirelt %s %s", ENGINE_VERSION, host.wordSize);
    logger.log(LOG_INFO, "Compiled on %s at %s", __DATE__, __TIME__);

    host.engine = new Engine();
    strengthElo = 2600;
    strengthLimited = 0;
    host.selectProtocol(0);
    host.quit = false;

    if (argc > 1) {
        const int status = runCommandLine(host, argc, argv);
        if (status != PROTOCOL_MODE) return status;
    }

    std::setvbuf(stdin, nullptr, _IONBF, 0);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    host.sendLine("Mirelt %s (%s) by Orlen Vastrade", ENGINE_VERSION, host.wordSize);
    runReadLoop(host);
    shutdown(host, true);
    return 0;
}
