// Perft counters and the test-suite tool object.
#pragma once

#include <cstdint>
#include <memory>

#include "board/movelist.h"

class Engine;
struct Position;
enum class BookBuildResult;

// Deepest perft the move stack can hold (one list per remaining depth, list 0 kept spare).
inline constexpr int32_t PERFT_MAX_DEPTH = 127;
inline constexpr int32_t PERFT_STACK_SIZE = 128;
inline constexpr int32_t DIVIDE_MAX_RESULTS = 256;

struct DivideResult {
    uint64_t count = 0;
    char moveText[16] = {};
};

struct Perft {
    Engine* engine = nullptr;
    Position* position = nullptr;
    std::unique_ptr<MoveList[]> moveStack;
    std::unique_ptr<DivideResult[]> divideResults;
    int32_t divideCount = 0;
    uint64_t nodes = 0;
    uint64_t captures = 0;
    uint64_t enPassant = 0;
    uint64_t promotions = 0;
    uint64_t castles = 0;
    uint64_t checks = 0;
    uint64_t mates = 0;

    // The move stack exists only while a counting run needs it.
    void allocateMoveStack();
    void releaseMoveStack();
    void zeroCounters();

    // Adds the leaf count at `depth` (1..PERFT_MAX_DEPTH) below the position to `nodes`.
    void perft(int32_t depth);
    // Returns the leaf count at `depth` (1..PERFT_MAX_DEPTH) below the position.
    uint64_t perftNodes(int32_t depth);
    // Adds leaves and the capture, e.p., promotion, castle, check and mate counts at `depth`.
    void run(int32_t depth);
    // Counts the leaves at `depth` below each legal root move, in generation order, into
    // divideResults (allocated here) and divideCount.
    void divide(int32_t depth);

    // Suites over a file of positions, one per line, reporting on standard output; each
    // returns false when the file cannot be opened. All but checkFenSuite need the engine
    // initialised; testSuite searches under the engine's limits.
    bool testSuite(const char* fileName);
    bool perftSuite(const char* fileName, int32_t depth);
    bool testSee(const char* fileName);
    bool checkFenSuite(const char* fileName);
    bool evalSuite(const char* fileName);
    // Builds an opening book file from the first `depth` plies of a PGN collection's games,
    // keeping the lines that at least `minGames` games share (book/book_builder.h).
    BookBuildResult buildBookFromPgn(const char* pgnFileName, const char* bookFileName, int32_t depth,
                                     int32_t minGames);
};

// Whether a requested perft depth fits the move stack.
constexpr bool isValidPerftDepth(int32_t depth) { return depth >= 1 && depth <= PERFT_MAX_DEPTH; }
