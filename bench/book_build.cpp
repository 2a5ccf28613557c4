// Book builder speed and memory: writes a PGN collection of random legal games, builds a book
// from it and prints the time of each step and the peak memory.
// Usage: bench_book_build [games] [depth] [min-games]   (defaults 100000, 16, 1)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "../tests/book/random_pgn.h"
#include "board/attacks.h"
#include "book/book_builder.h"

namespace {

using Clock = std::chrono::steady_clock;

// Games written to the file at once, so the collection never sits in memory whole.
constexpr int32_t GAMES_PER_WRITE = 1000;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

int64_t fileSize(const char* name) {
    struct stat status {};
    return stat(name, &status) == 0 ? int64_t(status.st_size) : -1;
}

bool writeCollection(const char* name, int32_t games) {
    std::FILE* file = std::fopen(name, "wb");
    if (!file) return false;
    randompgn::Random random(2024);
    randompgn::Options options;
    options.minPlies = 20;
    options.maxPlies = 120;
    options.divergePercent = 35;
    std::string text;
    bool ok = true;
    for (int32_t game = 0; game < games && ok; ++game) {
        randompgn::appendGame(text, random, options);
        if ((game + 1) % GAMES_PER_WRITE == 0 || game + 1 == games) {
            ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
            text.clear();
        }
    }
    return std::fclose(file) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    const int32_t games = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int32_t depth = argc > 2 ? std::atoi(argv[2]) : 16;
    const int32_t minGames = argc > 3 ? std::atoi(argv[3]) : 1;
    if (!isValidBookDepth(depth)) {
        std::printf("depth must be 1 to %d\n", BOOK_BUILD_MAX_DEPTH);
        return 1;
    }
    initAttackTables();
    char directory[] = "/tmp/mirelt-bench-book-XXXXXX";
    if (!mkdtemp(directory)) return 1;
    const std::string pgnName = std::string(directory) + "/games.pgn";
    const std::string bookName = std::string(directory) + "/book.bin";

    auto start = Clock::now();
    if (!writeCollection(pgnName.c_str(), games)) {
        std::printf("cannot write %s\n", pgnName.c_str());
        return 1;
    }
    std::printf("generated   %d games, %.1f MB of PGN in %.2f s\n", games, double(fileSize(pgnName.c_str())) / 1e6,
                secondsSince(start));
    const double memoryBefore = peakMegabytes();

    // The steps of buildOpeningBook, timed one by one.
    start = Clock::now();
    LineTable table;
    PgnReader reader(depth, table);
    if (readPgnFile(pgnName.c_str(), reader) != PgnFileResult::Read) return 1;
    const double readSeconds = secondsSince(start);
    start = Clock::now();
    const std::vector<BookFileMove> moves = collectBookMoves(table, minGames);
    const double replaySeconds = secondsSince(start);
    start = Clock::now();
    const bool written = writeBookFile(bookName.c_str(), moves);
    const double writeSeconds = secondsSince(start);

    std::printf("read+count  %.2f s  %zu distinct lines of up to %d plies\n", readSeconds, table.lines().size(), depth);
    std::printf("replay+sort %.2f s  %zu book moves (lines shared by %d or more games)\n", replaySeconds, moves.size(),
                minGames);
    std::printf("write       %.2f s  %lld bytes%s\n", writeSeconds, (long long)fileSize(bookName.c_str()),
                written ? "" : " FAILED");
    std::printf("total       %.2f s\n", readSeconds + replaySeconds + writeSeconds);
    std::printf("peak memory %.1f MB (%.1f MB before the build)\n", peakMegabytes(), memoryBefore);

    std::remove(pgnName.c_str());
    std::remove(bookName.c_str());
    rmdir(directory);
    return written ? 0 : 1;
}
