// The book builder: small collections with known books, byte for byte; random collections
// against a straightforward builder; a failed write.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "board/attacks.h"
#include "board/notation.h"
#include "board/san_match.h"
#include "book/book_builder.h"
#include "book/book_writer.h"
#include "book/random_pgn.h"

namespace {

std::string game(const char* result, const std::string& moves) {
    return std::string("[Event \"t\"]\n[Result \"") + result + "\"]\n\n" + moves + " " + result + "\n\n";
}

std::string repeat(const std::string& text, int count) {
    std::string all;
    for (int i = 0; i < count; ++i) all += text;
    return all;
}

Position startPosition() {
    Position position{};
    position.reset();
    position.setStartPosition();
    return position;
}

struct ExpectedMove {
    const char* coordinate;
    int32_t weight;
    uint8_t whitePct, blackPct;
};

// A position reached by coordinate moves from the start, and its moves in file order.
struct ExpectedPosition {
    std::vector<const char*> path;
    std::vector<ExpectedMove> moves;
};

// The file holding `positions`, ordered by key.
std::string expectedBook(const std::vector<ExpectedPosition>& positions) {
    std::map<uint64_t, BookBytes> records;
    for (const ExpectedPosition& expected : positions) {
        Position position = startPosition();
        for (const char* step : expected.path) {
            UndoRecord undo;
            position.doMove(parseMoveText(position, step), undo);
        }
        BookBytes& record = records[position.key].position(position.key, int32_t(expected.moves.size()));
        for (const ExpectedMove& move : expected.moves)
            record.move(parseMoveText(position, move.coordinate), move.weight, move.whitePct, move.blackPct);
    }
    BookBytes bytes;
    bytes.header(int32_t(records.size()));
    for (const auto& [key, record] : records)
        bytes.bytes.insert(bytes.bytes.end(), record.bytes.begin(), record.bytes.end());
    return std::string(bytes.bytes.begin(), bytes.bytes.end());
}

// The straightforward builder: every line start found by a linear search, every qualifying
// line replayed from the start, first insertion wins, moves ordered by the exchange sort;
// `truncated` counts the positions that had more than 16 moves.
struct PlainLine {
    std::vector<std::string> moves;
    int32_t games = 0, whiteWins = 0, blackWins = 0;
};

class PlainLines : public PgnGameSink {
public:
    std::vector<PlainLine> lines;
    void addGame(const PgnGame& game) override {
        for (int32_t n = 1; n <= game.moveCount; ++n) {
            const std::vector<std::string> moves(game.moves, game.moves + n);
            auto line = std::find_if(lines.begin(), lines.end(), [&](const PlainLine& l) { return l.moves == moves; });
            if (line == lines.end()) line = lines.insert(lines.end(), PlainLine{moves});
            ++line->games;
            line->whiteWins += game.result == GameResult::WhiteWin;
            line->blackWins += game.result == GameResult::BlackWin;
        }
    }
};

// The 16 heaviest moves (the first met among equal weights), in the order they were met.
std::vector<BookMove> heaviestInOrder(const std::vector<BookMove>& moves) {
    std::vector<size_t> order(moves.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return moves[a].weight > moves[b].weight; });
    order.resize(BOOK_MAX_MOVES);
    std::sort(order.begin(), order.end());
    std::vector<BookMove> kept;
    for (size_t i : order) kept.push_back(moves[i]);
    return kept;
}

// The book format's order: for each position j from the first, every later position k whose
// weight is greater than the weight at j is exchanged with it.
void exchangeSort(std::vector<BookMove>& moves) {
    for (size_t j = 0; j < moves.size(); ++j)
        for (size_t k = j + 1; k < moves.size(); ++k)
            if (moves[k].weight > moves[j].weight) std::swap(moves[j], moves[k]);
}

std::string plainBook(const std::string& pgn, int32_t depth, int32_t minGames, int32_t& truncated) {
    PlainLines table;
    PgnReader reader(depth, table);
    reader.feed(pgn.data(), pgn.size());
    reader.finish();
    std::vector<std::pair<uint64_t, std::vector<BookMove>>> book;
    for (const PlainLine& line : table.lines) {
        if (line.games < minGames) continue;
        Position position = startPosition();
        for (const std::string& text : line.moves) {
            const Move move = matchSanMove(position, text.c_str());
            if (move == noMove) break;
            auto entry = std::find_if(book.begin(), book.end(), [&](const auto& e) { return e.first == position.key; });
            if (entry == book.end()) entry = book.insert(book.end(), {position.key, {}});
            auto& moves = entry->second;
            if (std::none_of(moves.begin(), moves.end(), [&](const BookMove& m) { return m.move == move; }))
                moves.push_back(BookMove{move, line.games, uint8_t(100 * line.whiteWins / line.games),
                                                 uint8_t(100 * line.blackWins / line.games)});
            UndoRecord undo;
            position.doMove(move, undo);
        }
    }
    std::sort(book.begin(), book.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    BookBytes bytes;
    bytes.header(int32_t(book.size()));
    for (auto& [key, moves] : book) {
        if (moves.size() > size_t(BOOK_MAX_MOVES)) moves = heaviestInOrder(moves), ++truncated;
        exchangeSort(moves);
        bytes.position(key, int32_t(moves.size()));
        for (const BookMove& move : moves) bytes.move(move.move, move.weight, move.whitePct, move.blackPct);
    }
    return std::string(bytes.bytes.begin(), bytes.bytes.end());
}

// Breaks every line longer than `width` at its last blank that fits, inside comments too, as
// PGN tools rewrap what they pass on.
std::string wrapLines(std::string pgn, size_t width) {
    for (size_t i = 0, lineStart = 0; i < pgn.size(); ++i) {
        if (pgn[i] == '\n') {
            lineStart = i + 1;
        } else if (i - lineStart == width) {
            lineStart = pgn.rfind(' ', i);
            pgn[lineStart++] = '\n';
        }
    }
    return pgn;
}

class BookBuilderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { initAttackTables(); }
    void SetUp() override {
        char name[] = "/tmp/mirelt-builder-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        directory = name;
        pgnName = directory + "/games.pgn";
        bookName = directory + "/book.bin";
    }
    void TearDown() override { std::filesystem::remove_all(directory); }

    static std::string readFile(const std::string& name) {
        std::ifstream in(name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    // Builds the book of `pgn` and returns the file's bytes.
    std::string build(const std::string& pgn, int32_t depth, int32_t minGames) {
        std::ofstream(pgnName, std::ios::binary) << pgn;
        EXPECT_EQ(buildOpeningBook(pgnName.c_str(), bookName.c_str(), depth, minGames), BookBuildResult::Built);
        return readFile(bookName);
    }

    // Builds the book of the PGN file (depth 2) in a child process that first runs `restrict`
    // (a limit, another user), so that it ends with the child; the build's result, or
    // CHILD_FAILED.
    int buildInChild(void (*restrict)()) {
        const pid_t child = fork();
        if (child < 0) return CHILD_FAILED;
        if (child == 0) {
            restrict();
            _exit(int(buildOpeningBook(pgnName.c_str(), bookName.c_str(), 2, 1)));
        }
        int status = 0;
        if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return CHILD_FAILED;
        return WEXITSTATUS(status);
    }

    static constexpr int CHILD_FAILED = 100;
    std::string directory, pgnName, bookName;
};

}  // namespace

TEST_F(BookBuilderTest, SmallCollectionsGiveKnownBooks) {
    const std::string counted = repeat(game("1-0", "1. e4") + game("0-1", "1. e4") + game("1/2-1/2", "1. e4"), 10) +
                                repeat(game("*", "1. d4"), 10);
    const ExpectedPosition e4 = {{}, {{"e2e4", 1, 100, 0}}}, e5 = {{"e2e4"}, {{"e7e5", 1, 100, 0}}};
    struct Case {
        const char* name;
        std::string pgn;
        int32_t depth, minGames;
        std::vector<ExpectedPosition> book;
    } cases[] = {
        {"one game", game("1-0", "1. e4 {c} 1... e5 $1 2. Nf3 (2. Bc4 Nf6) Nc6 3. Bb5"), 4, 1,
         {e4, e5, {{"e2e4", "e7e5"}, {{"g1f3", 1, 100, 0}}}, {{"e2e4", "e7e5", "g1f3"}, {{"b8c6", 1, 100, 0}}}}},
        {"shorter than the depth", game("1-0", "1. e4 e5 2. Nf3 Nc6"), 5, 1, {}},
        {"thirty games", counted, 1, 20, {{{}, {{"e2e4", 30, 33, 33}}}}},
        {"ten games", counted, 1, 10, {{{}, {{"e2e4", 30, 33, 33}, {"d2d4", 10, 0, 0}}}}},
        {"too few games", counted, 1, 31, {}},
        // Both orders reach one position after four plies; its moves keep the values of the
        // line that met them first.
        {"transposition",
         game("1-0", "1. d4 Nf6 2. e4 d6 3. Nc3") + repeat(game("0-1", "1. e4 d6 2. d4 Nf6 3. Nc3"), 2) +
             game("1-0", "1. e4 d6 2. d4 Nf6 3. f3"),
         5, 1,
         {{{}, {{"e2e4", 3, 33, 66}, {"d2d4", 1, 100, 0}}},
          {{"d2d4"}, {{"g8f6", 1, 100, 0}}},
          {{"d2d4", "g8f6"}, {{"e2e4", 1, 100, 0}}},
          {{"d2d4", "g8f6", "e2e4"}, {{"d7d6", 1, 100, 0}}},
          {{"d2d4", "g8f6", "e2e4", "d7d6"}, {{"b1c3", 1, 100, 0}, {"f2f3", 1, 100, 0}}},
          {{"e2e4"}, {{"d7d6", 3, 33, 66}}},
          {{"e2e4", "d7d6"}, {{"d2d4", 3, 33, 66}}},
          {{"e2e4", "d7d6", "d2d4"}, {{"g8f6", 3, 33, 66}}}}},
        // Met with weights 1, 2, 1, 7: the exchange sort leaves the two equal weights swapped.
        {"exchange order",
         game("*", "1. a3") + repeat(game("*", "1. b3"), 2) + game("*", "1. c3") + repeat(game("*", "1. d3"), 7), 1, 1,
         {{{}, {{"d2d3", 7, 0, 0}, {"b2b3", 2, 0, 0}, {"c2c3", 1, 0, 0}, {"a2a3", 1, 0, 0}}}}},
        // A game set up from a FEN says nothing of the start position; the game after it counts.
        {"set-up game",
         "[SetUp \"1\"]\n[FEN \"4k3/8/8/8/8/8/4P3/4K3 w - - 0 1\"]\n[Result \"1-0\"]\n\n1. e4 Kd7 2. Kd2 Kd6 1-0\n\n" +
             game("0-1", "1. d4 d5 2. c4 e6"),
         4, 1,
         {{{}, {{"d2d4", 1, 0, 100}}},
          {{"d2d4"}, {{"d7d5", 1, 0, 100}}},
          {{"d2d4", "d7d5"}, {{"c2c4", 1, 0, 100}}},
          {{"d2d4", "d7d5", "c2c4"}, {{"e7e6", 1, 0, 100}}}}},
        // A text that names no single legal move ends the line there.
        {"no such move", game("1-0", "1. e4 e5 2. Ke3 Nc6 3. Bc4"), 5, 1, {e4, e5}},
    };
    for (const Case& c : cases) EXPECT_EQ(build(c.pgn, c.depth, c.minGames), expectedBook(c.book)) << c.name;
}

TEST_F(BookBuilderTest, FastBuilderWritesThePlainBuildersBytes) {
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
        for (int32_t games = scattered ? 200 : 5 + random.below(60); games > 0; --games)
            randompgn::appendGame(pgn, random, options);
        const int32_t depth = seed % 8 == 0 ? BOOK_BUILD_MAX_DEPTH : 1 + random.below(12);
        const int32_t minGames = scattered ? 1 : random.below(4);
        const std::string expected = plainBook(pgn, depth, minGames, truncated);
        nonEmpty += expected.size() > 12;
        ASSERT_EQ(build(pgn, depth, minGames), expected) << "seed " << seed << " depth " << depth;
    }
    // The collections must exercise the builder, not only its empty case.
    EXPECT_GT(nonEmpty, 30);
    EXPECT_GT(truncated, 0);
}

TEST_F(BookBuilderTest, CommentsAndTheirLineBreaksChangeNoBook) {
    randompgn::Random plainRandom(7), commentedRandom(7);
    randompgn::Options plain, commented;
    plain.noisePercent = commented.noisePercent = 0;
    commented.clockComments = true;
    std::string plainGames, export_;
    for (int32_t games = 0; games < 300; ++games) {
        randompgn::appendGame(plainGames, plainRandom, plain);
        randompgn::appendGame(export_, commentedRandom, commented);
    }
    const std::string wrapped = wrapLines(export_, 75);
    // The wrapping must put clock commands at line starts, where the fault once was.
    ASSERT_NE(wrapped.find("\n[%clk"), std::string::npos);
    const std::string book = build(plainGames, 8, 2);
    EXPECT_GT(book.size(), 1000u);
    EXPECT_EQ(build(export_, 8, 2), book);
    EXPECT_EQ(build(wrapped, 8, 2), book);
}

TEST_F(BookBuilderTest, FailedWritesLeaveAnExistingBookAlone) {
    std::ofstream(bookName) << "old book";
    std::ofstream(pgnName) << game("1-0", "1. e4 e5 2. Nf3 Nc6 3. Bb5");
    EXPECT_EQ(buildOpeningBook(pgnName.c_str(), directory.c_str(), 4, 1), BookBuildResult::BookNotWritten);
    // A write that fails half way (a file size limit), and a read-only book of another owner
    // (root's, when the test runs as root) in a folder the user may write.
    const struct {
        const char* name;
        void (*restrict)();
        mode_t bookMode;
    } cases[] = {{"file size limit",
                  [] {
                      std::signal(SIGXFSZ, SIG_IGN);
                      const rlimit limit{40, 40};
                      setrlimit(RLIMIT_FSIZE, &limit);
                  },
                  0644},
                 {"read-only book of another user",
                  [] {
                      const uid_t nobody = 65534;
                      if (geteuid() == 0 && (setgid(nobody) != 0 || setuid(nobody) != 0)) _exit(CHILD_FAILED);
                  },
                  0444}};
    // The child may run as another user: it must read the games whatever the umask.
    ASSERT_EQ(chmod(directory.c_str(), 0777), 0);
    ASSERT_EQ(chmod(pgnName.c_str(), 0644), 0);
    for (const auto& c : cases) {
        ASSERT_EQ(chmod(bookName.c_str(), c.bookMode), 0);
        EXPECT_EQ(buildInChild(c.restrict), int(BookBuildResult::BookNotWritten)) << c.name;
        EXPECT_EQ(readFile(bookName), "old book") << c.name;
        std::vector<std::string> names;
        for (const auto& file : std::filesystem::directory_iterator(directory)) names.push_back(file.path().filename());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"book.bin", "games.pgn"})) << c.name;
    }
}

TEST_F(BookBuilderTest, ReplacingABookKeepsItsModeAndWritesThroughLinks) {
    const std::string pgn = game("1-0", "1. e4 e5"), book = build(pgn, 2, 1);
    // An existing book keeps its permissions.
    std::ofstream(bookName) << "old book";
    ASSERT_EQ(chmod(bookName.c_str(), 0600), 0);
    EXPECT_EQ(build(pgn, 2, 1), book);
    struct stat info {};
    ASSERT_EQ(stat(bookName.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    // A link is written through: it stays a link, its target (new or old) gets the book.
    std::filesystem::create_directory(directory + "/books");
    const std::string target = directory + "/books/real.bin";
    for (const bool targetExists : {false, true}) {
        std::filesystem::remove(bookName);
        std::filesystem::create_symlink("books/real.bin", bookName);
        EXPECT_EQ(build(pgn, 2, 1), book) << targetExists;
        EXPECT_TRUE(std::filesystem::is_symlink(bookName));
        EXPECT_EQ(readFile(target), book);
    }
    // As the kernel does, a chain of 40 links is followed and one of 41 is refused.
    std::filesystem::remove(target);
    const auto link = [&](int32_t n) { return n == 0 ? target : directory + "/link" + std::to_string(n); };
    for (int32_t n = 1; n <= 41; ++n) std::filesystem::create_symlink(link(n - 1), link(n));
    EXPECT_EQ(buildOpeningBook(pgnName.c_str(), link(41).c_str(), 2, 1), BookBuildResult::BookNotWritten);
    EXPECT_FALSE(std::filesystem::exists(target));
    EXPECT_EQ(buildOpeningBook(pgnName.c_str(), link(40).c_str(), 2, 1), BookBuildResult::Built);
    EXPECT_EQ(readFile(target), book);
}
