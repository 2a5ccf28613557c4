// The book builder: small collections with known books, byte for byte, and its failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "board/attacks.h"
#include "board/notation.h"
#include "book/book_builder.h"
#include "book/book_writer.h"

namespace {

struct ExpectedMove {
    const char* coordinate;
    int32_t weight;
    uint8_t whitePct;
    uint8_t blackPct;
};

// A position reached by coordinate moves from the start, and its moves in file order.
struct ExpectedPosition {
    std::vector<const char*> path;
    std::vector<ExpectedMove> moves;
};

std::string game(const char* result, const std::string& moves) {
    return std::string("[Event \"t\"]\n[Result \"") + result + "\"]\n\n" + moves + " " + result + "\n\n";
}

std::string repeat(const std::string& text, int count) {
    std::string all;
    for (int i = 0; i < count; ++i) all += text;
    return all;
}

std::string readFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::string& name, const std::string& text) { std::ofstream(name, std::ios::binary) << text; }

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

    std::set<std::string> files() const {
        std::set<std::string> names;
        for (const auto& file : std::filesystem::directory_iterator(directory)) names.insert(file.path().filename());
        return names;
    }

    // Builds the book of `pgn` and returns the file's bytes.
    std::string build(const std::string& pgn, int32_t depth, int32_t minGames) {
        writeFile(pgnName, pgn);
        EXPECT_EQ(buildOpeningBook(pgnName.c_str(), bookName.c_str(), depth, minGames), BookBuildResult::Built);
        return readFile(bookName);
    }

    // The file holding `positions`, ordered by key as the builder must order them.
    static std::string expectedBook(const std::vector<ExpectedPosition>& positions) {
        std::map<uint64_t, BookBytes> records;
        for (const ExpectedPosition& expected : positions) {
            Position position{};
            position.reset();
            position.setStartPosition();
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

    std::string directory, pgnName, bookName;
};

const std::string RUY = "1. e4 e5 2. Nf3 Nc6 3. Bb5";

}  // namespace

TEST_F(BookBuilderTest, OneGameGivesOneMovePerPosition) {
    const std::string book = build(game("1-0", RUY), 4, 1);
    EXPECT_EQ(book, expectedBook({{{}, {{"e2e4", 1, 100, 0}}},
                                  {{"e2e4"}, {{"e7e5", 1, 100, 0}}},
                                  {{"e2e4", "e7e5"}, {{"g1f3", 1, 100, 0}}},
                                  {{"e2e4", "e7e5", "g1f3"}, {{"b8c6", 1, 100, 0}}}}));
}

TEST_F(BookBuilderTest, GamesShorterThanTheDepthCountForNothing) {
    EXPECT_EQ(build(game("1-0", "1. e4 e5 2. Nf3 Nc6"), 5, 1), expectedBook({}));
}

TEST_F(BookBuilderTest, MinimumGameCountAndResultPercentages) {
    const std::string pgn = repeat(game("1-0", "1. e4") + game("0-1", "1. e4") + game("1/2-1/2", "1. e4"), 10) +
                            repeat(game("*", "1. d4"), 10);
    EXPECT_EQ(build(pgn, 1, 20), expectedBook({{{}, {{"e2e4", 30, 33, 33}}}}));
    EXPECT_EQ(build(pgn, 1, 10), expectedBook({{{}, {{"e2e4", 30, 33, 33}, {"d2d4", 10, 0, 0}}}}));
    EXPECT_EQ(build(pgn, 1, 31), expectedBook({}));
}

TEST_F(BookBuilderTest, TranspositionsMergeWithTheFirstLinesWeight) {
    // Both move orders reach one position after four plies; its moves keep the values of the
    // line that met them first, and equal weights stay in the order first met.
    const std::string pgn = game("1-0", "1. d4 Nf6 2. e4 d6 3. Nc3") +
                            repeat(game("0-1", "1. e4 d6 2. d4 Nf6 3. Nc3"), 2) +
                            game("1-0", "1. e4 d6 2. d4 Nf6 3. f3");
    const std::string book = build(pgn, 5, 1);
    EXPECT_EQ(book, expectedBook({
                        {{}, {{"e2e4", 3, 33, 66}, {"d2d4", 1, 100, 0}}},
                        {{"d2d4"}, {{"g8f6", 1, 100, 0}}},
                        {{"d2d4", "g8f6"}, {{"e2e4", 1, 100, 0}}},
                        {{"d2d4", "g8f6", "e2e4"}, {{"d7d6", 1, 100, 0}}},
                        {{"d2d4", "g8f6", "e2e4", "d7d6"}, {{"b1c3", 1, 100, 0}, {"f2f3", 1, 100, 0}}},
                        {{"e2e4"}, {{"d7d6", 3, 33, 66}}},
                        {{"e2e4", "d7d6"}, {{"d2d4", 3, 33, 66}}},
                        {{"e2e4", "d7d6", "d2d4"}, {{"g8f6", 3, 33, 66}}},
                    }));
}

TEST_F(BookBuilderTest, KeepsTheSixteenHeaviestMoves) {
    const char* firstMoves[] = {"a3", "a4", "b3", "b4", "c3", "c4", "d3", "d4", "e3", "e4",
                                "f3", "f4", "g3", "g4", "h3", "h4", "Na3", "Nc3", "Nf3", "Nh3"};
    std::string pgn;
    for (const char* move : firstMoves) pgn += game("*", std::string("1. ") + move);
    // The last three moves get a second game each, so they must be kept first.
    for (int i = 17; i < 20; ++i) pgn += game("*", std::string("1. ") + firstMoves[i]);
    std::vector<ExpectedMove> kept = {{"b1c3", 2, 0, 0}, {"g1f3", 2, 0, 0}, {"g1h3", 2, 0, 0}};
    const char* lightest[] = {"a2a3", "a2a4", "b2b3", "b2b4", "c2c3", "c2c4", "d2d3",
                              "d2d4", "e2e3", "e2e4", "f2f3", "f2f4", "g2g3"};
    for (const char* move : lightest) kept.push_back({move, 1, 0, 0});
    EXPECT_EQ(build(pgn, 1, 1), expectedBook({{{}, kept}}));
}

TEST_F(BookBuilderTest, AMoveTextThatMatchesNothingEndsTheLine) {
    for (const char* bad : {"Nf9", "Ke3", "Nd2", "Qh6"}) {
        const std::string pgn = game("1-0", std::string("1. e4 e5 2. ") + bad + " Nc6 3. Bc4");
        EXPECT_EQ(build(pgn, 5, 1), expectedBook({{{}, {{"e2e4", 1, 100, 0}}}, {{"e2e4"}, {{"e7e5", 1, 100, 0}}}}))
            << bad;
    }
}

TEST_F(BookBuilderTest, FailuresLeaveAnExistingBookAlone) {
    writeFile(bookName, "old book");
    EXPECT_EQ(buildOpeningBook((directory + "/missing.pgn").c_str(), bookName.c_str(), 4, 1),
              BookBuildResult::PgnNotFound);
    writeFile(pgnName, game("1-0", RUY));
    EXPECT_EQ(buildOpeningBook(pgnName.c_str(), bookName.c_str(), 0, 1), BookBuildResult::BadDepth);
    EXPECT_EQ(buildOpeningBook(pgnName.c_str(), bookName.c_str(), 33, 1), BookBuildResult::BadDepth);
    EXPECT_EQ(buildOpeningBook(pgnName.c_str(), directory.c_str(), 4, 1), BookBuildResult::BookNotWritten);
    EXPECT_EQ(buildOpeningBook(pgnName.c_str(), (directory + "/no/book.bin").c_str(), 4, 1),
              BookBuildResult::BookNotWritten);

    // A write that fails half way (a file size limit) must not touch the old book either.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{40, 40};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(int(buildOpeningBook(pgnName.c_str(), bookName.c_str(), 4, 1)));
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), int(BookBuildResult::BookNotWritten));
    EXPECT_EQ(readFile(bookName), "old book");
    EXPECT_EQ(files(), (std::set<std::string>{"book.bin", "games.pgn"}));
}
