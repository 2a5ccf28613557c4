// The fast book builder against a straightforward one: linear line and book lookups, every
// line replayed from the start, plain quadratic sorts. Both must write the same bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "board/attacks.h"
#include "book/book_builder.h"
#include "book/book_writer.h"
#include "book/random_pgn.h"

namespace {

struct PlainLine {
    std::vector<std::string> moves;
    int32_t games = 0;
    int32_t whiteWins = 0;
    int32_t blackWins = 0;
    int32_t draws = 0;
};

// Every start of every game, found by comparing the texts with each line in the table.
class PlainLineTable : public PgnGameSink {
public:
    std::vector<PlainLine> lines;

    void addGame(const PgnGame& game) override {
        for (int32_t n = 1; n <= game.moveCount; ++n) {
            const std::vector<std::string> moves(game.moves, game.moves + n);
            PlainLine* found = nullptr;
            for (PlainLine& line : lines)
                if (line.moves == moves) found = &line;
            if (found == nullptr) {
                lines.push_back(PlainLine{moves});
                found = &lines.back();
            }
            ++found->games;
            found->whiteWins += game.result == GameResult::WhiteWin;
            found->blackWins += game.result == GameResult::BlackWin;
            found->draws += game.result == GameResult::Draw;
        }
    }
};

struct PlainEntry {
    uint64_t key;
    std::vector<BookMove> moves;
};

// First insertion wins; no limit on the moves until the sort.
void insert(std::vector<PlainEntry>& book, uint64_t key, const BookMove& move) {
    for (PlainEntry& entry : book) {
        if (entry.key != key) continue;
        for (const BookMove& held : entry.moves)
            if (held.move == move.move) return;
        entry.moves.push_back(move);
        return;
    }
    book.push_back(PlainEntry{key, {move}});
}

std::vector<PlainEntry> replayLines(const PlainLineTable& table, int32_t minGames) {
    std::vector<PlainEntry> book;
    for (const PlainLine& line : table.lines) {
        if (line.games < minGames) continue;
        const auto whitePct = uint8_t(100 * line.whiteWins / line.games);
        const auto blackPct = uint8_t(100 * line.blackWins / line.games);
        Position position{};
        position.reset();
        position.setStartPosition();
        for (const std::string& text : line.moves) {
            const Move move = matchSanMove(position, text.c_str());
            if (move == noMove) break;
            insert(book, position.key, BookMove{move, line.games, whitePct, blackPct});
            UndoRecord undo;
            position.doMove(move, undo);
        }
    }
    return book;
}

// `truncated` counts the positions that had more than 16 moves.
std::string plainBook(const PlainLineTable& table, int32_t minGames, int32_t& truncated) {
    std::vector<PlainEntry> book = replayLines(table, minGames);
    for (PlainEntry& entry : book) {
        // Insertion sort: heavier first, equal weights keep their order; then the 16 heaviest.
        for (size_t i = 1; i < entry.moves.size(); ++i)
            for (size_t j = i; j > 0 && entry.moves[j].weight > entry.moves[j - 1].weight; --j)
                std::swap(entry.moves[j], entry.moves[j - 1]);
        if (entry.moves.size() <= size_t(BOOK_MAX_MOVES)) continue;
        entry.moves.resize(BOOK_MAX_MOVES);
        ++truncated;
    }
    for (size_t i = 0; i < book.size(); ++i)
        for (size_t j = i + 1; j < book.size(); ++j)
            if (book[j].key < book[i].key) std::swap(book[i], book[j]);
    BookBytes bytes;
    bytes.header(int32_t(book.size()));
    for (const PlainEntry& entry : book) {
        bytes.position(entry.key, int32_t(entry.moves.size()));
        for (const BookMove& move : entry.moves) bytes.move(move.move, move.weight, move.whitePct, move.blackPct);
    }
    return std::string(bytes.bytes.begin(), bytes.bytes.end());
}

std::string fastBook(const std::string& pgn, int32_t depth, int32_t minGames) {
    char pgnName[] = "/tmp/mirelt-identity-XXXXXX";
    const int fd = mkstemp(pgnName);
    if (fd < 0 || write(fd, pgn.data(), pgn.size()) != ssize_t(pgn.size())) return "no PGN file";
    close(fd);
    const std::string bookName = std::string(pgnName) + ".bin";
    const BookBuildResult result = buildOpeningBook(pgnName, bookName.c_str(), depth, minGames);
    std::ifstream in(bookName, std::ios::binary);
    std::string bytes(std::istreambuf_iterator<char>(in), {});
    std::remove(pgnName);
    std::remove(bookName.c_str());
    return result == BookBuildResult::Built ? bytes : "build failed";
}

}  // namespace

TEST(BookIdentity, FastBuilderWritesThePlainBuildersBytes) {
    initAttackTables();
    int32_t nonEmpty = 0, truncated = 0;
    for (uint64_t seed = 1; seed <= 40; ++seed) {
        randompgn::Random random(seed);
        randompgn::Options options;
        // Every fifth collection scatters many games over more than 16 moves per position.
        const bool scattered = seed % 5 == 0;
        options.divergePercent = scattered ? 90 : 10 + random.below(70);
        options.noisePercent = random.below(60);
        options.minPlies = 1 + random.below(8);
        std::string pgn;
        const int32_t games = scattered ? 200 : 5 + random.below(60);
        for (int32_t g = 0; g < games; ++g) randompgn::appendGame(pgn, random, options);
        const int32_t depth = seed % 8 == 0 ? BOOK_BUILD_MAX_DEPTH : 1 + random.below(12);
        const int32_t minGames = scattered ? 1 : random.below(4);

        PlainLineTable table;
        PgnReader reader(depth, table);
        reader.feed(pgn.data(), pgn.size());
        reader.finish();
        const std::string expected = plainBook(table, minGames, truncated);
        nonEmpty += expected.size() > 12;
        ASSERT_EQ(fastBook(pgn, depth, minGames), expected) << "seed " << seed << " depth " << depth;
    }
    // The collections must exercise the builder, not only its empty case.
    EXPECT_GT(nonEmpty, 30);
    EXPECT_GT(truncated, 0);
}
