// Perft counters, detailed statistics and the perft/perftd/divide reports.
#include <gtest/gtest.h>

#include <fstream>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/host.h"
#include "search/engine.h"
#include "tools/elapsed.h"

namespace {

constexpr const char* START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
constexpr const char* MIDDLE_GAME_FEN = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";
// Shallow enough for a sanitizer build; deeper counts belong to the benchmark.
constexpr uint64_t MAX_TEST_NODES = 200000;

struct PerftCase {
    std::string fen;
    std::vector<std::pair<int32_t, uint64_t>> counts;
};

std::vector<PerftCase> readPerftFile(const std::string& name) {
    std::vector<PerftCase> cases;
    std::ifstream in(std::string(MIRELT_TEST_DATA) + "/" + name);
    std::string line;
    while (std::getline(in, line)) {
        const size_t semicolon = line.find(';');
        if (semicolon == std::string::npos) continue;
        PerftCase c;
        c.fen = line.substr(0, semicolon);
        std::istringstream fields(line.substr(semicolon));
        std::string depthField;
        uint64_t count = 0;
        while (fields >> depthField >> count) c.counts.emplace_back(std::stoi(depthField.substr(2)), count);
        cases.push_back(c);
    }
    return cases;
}

class PerftTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine = std::make_unique<Engine>();
        engine->init(1);
        engine->newGame();
        host.engine = engine.get();
    }
    void TearDown() override { host.engine = nullptr; }

    uint64_t count(int32_t depth) {
        Perft& tool = engine->perft;
        tool.allocateMoveStack();
        const uint64_t nodes = tool.perftNodes(depth);
        tool.releaseMoveStack();
        return nodes;
    }

    std::vector<std::string> capture(void (ProtocolHost::*command)(int32_t), int32_t depth) {
        testing::internal::CaptureStdout();
        (host.*command)(depth);
        std::istringstream out(testing::internal::GetCapturedStdout());
        std::vector<std::string> lines;
        std::string line;
        while (std::getline(out, line)) lines.push_back(line);
        return lines;
    }

    void checkFile(const std::string& name, int32_t chess960) {
        const auto cases = readPerftFile(name);
        ASSERT_FALSE(cases.empty()) << name;
        for (const PerftCase& c : cases) {
            engine->position.chess960 = chess960;
            ASSERT_EQ(engine->setFen(c.fen.c_str()), 1) << c.fen;
            const uint64_t key = engine->position.key;
            int32_t tested = 0;
            for (const auto& [depth, expected] : c.counts) {
                if (expected > MAX_TEST_NODES) continue;
                EXPECT_EQ(count(depth), expected) << c.fen << " depth " << depth;
                tested++;
            }
            EXPECT_EQ(engine->position.key, key);
            if (tested == 0) {
                // Lines listing only deep counts still get a shallow smoke run.
                EXPECT_GT(count(2), 0u) << c.fen;
            }
        }
    }

    std::unique_ptr<Engine> engine;
    ProtocolHost host;
};

}  // namespace

TEST_F(PerftTest, StandardReferencePositions) { checkFile("perft-standard.epd", 0); }

TEST_F(PerftTest, Chess960ReferencePositions) { checkFile("perft-chess960.epd", 1); }

TEST_F(PerftTest, CountersAddAndLeavePositionIntact) {
    Perft& tool = engine->perft;
    tool.allocateMoveStack();
    tool.nodes = 5;
    tool.perft(1);
    EXPECT_EQ(tool.nodes, 25u);
    tool.nodes = 0;
    tool.perft(3);
    EXPECT_EQ(tool.nodes, 8902u);
    tool.releaseMoveStack();
    // Without a move stack or with a depth it cannot hold, nothing is counted.
    EXPECT_EQ(tool.perftNodes(1), 0u);
    tool.allocateMoveStack();
    EXPECT_EQ(tool.perftNodes(0), 0u);
    EXPECT_EQ(tool.perftNodes(128), 0u);
    EXPECT_EQ(tool.perftNodes(-1), 0u);
    tool.releaseMoveStack();
}

TEST_F(PerftTest, MatedAndStalematedSidesCountNothing) {
    ASSERT_EQ(engine->setFen("rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3"), 1);
    EXPECT_EQ(count(1), 0u);
    EXPECT_EQ(count(3), 0u);
    ASSERT_EQ(engine->setFen("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1"), 1);
    EXPECT_EQ(count(1), 0u);
    ASSERT_EQ(engine->setFen("4k3/8/8/8/8/8/4r3/4K3 w - - 0 1"), 1);
    EXPECT_EQ(count(1), 3u);  // in check: only the evasions
}

TEST_F(PerftTest, DetailedStatistics) {
    Perft& tool = engine->perft;
    tool.allocateMoveStack();
    tool.zeroCounters();
    tool.run(3);
    EXPECT_EQ(tool.nodes, 8902u);
    EXPECT_EQ(tool.captures, 34u);
    EXPECT_EQ(tool.checks, 12u);
    EXPECT_EQ(tool.mates, 0u);
    EXPECT_EQ(tool.enPassant + tool.promotions + tool.castles, 0u);

    // Published middle-game figures at depth 2 and 3.
    ASSERT_EQ(engine->setFen(MIDDLE_GAME_FEN), 1);
    tool.zeroCounters();
    tool.run(2);
    EXPECT_EQ(tool.nodes, 2039u);
    EXPECT_EQ(tool.captures, 351u);
    EXPECT_EQ(tool.enPassant, 1u);
    EXPECT_EQ(tool.castles, 91u);
    EXPECT_EQ(tool.promotions, 0u);
    EXPECT_EQ(tool.checks, 3u);
    EXPECT_EQ(tool.mates, 0u);
    tool.zeroCounters();
    tool.run(3);
    EXPECT_EQ(tool.nodes, 97862u);
    EXPECT_EQ(tool.captures, 17102u);
    EXPECT_EQ(tool.enPassant, 45u);
    EXPECT_EQ(tool.castles, 3162u);
    EXPECT_EQ(tool.promotions, 0u);
    EXPECT_EQ(tool.checks, 993u);
    EXPECT_EQ(tool.mates, 1u);

    // Promotions (capturing ones count twice) and mates.
    ASSERT_EQ(engine->setFen("r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1"), 1);
    tool.zeroCounters();
    tool.run(3);
    EXPECT_EQ(tool.nodes, 9467u);
    EXPECT_EQ(tool.captures, 1021u);
    EXPECT_EQ(tool.enPassant, 4u);
    EXPECT_EQ(tool.castles, 0u);
    EXPECT_EQ(tool.promotions, 120u);
    EXPECT_EQ(tool.checks, 38u);
    EXPECT_EQ(tool.mates, 22u);
    tool.releaseMoveStack();
}

TEST_F(PerftTest, PerftReport) {
    const auto lines = capture(&ProtocolHost::perft, 1);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Depth 1");
    EXPECT_EQ(lines[1], "Nodes = 20");
    EXPECT_TRUE(lines[2].rfind("Time = 00:00:", 0) == 0) << lines[2];
    EXPECT_TRUE(lines[3].rfind("Speed = ", 0) == 0) << lines[3];
    EXPECT_EQ(engine->perft.moveStack, nullptr);
}

TEST_F(PerftTest, PerftdReport) {
    const auto lines = capture(&ProtocolHost::perftd, 2);
    ASSERT_EQ(lines.size(), 10u);
    const char* expected[] = {"Depth 2",
                              "Nodes = 400",
                              "Nodes captures = 0",
                              "Nodes e.p = 0",
                              "Nodes check = 0",
                              "Nodes mate = 0",
                              "Nodes promotion = 0",
                              "Nodes castle = 0"};
    for (int i = 0; i < 8; i++) EXPECT_EQ(lines[i], expected[i]);
    EXPECT_TRUE(lines[8].rfind("Time = ", 0) == 0);
    EXPECT_TRUE(lines[9].rfind("Speed = ", 0) == 0);
}

TEST_F(PerftTest, DivideReport) {
    const auto lines = capture(&ProtocolHost::divide, 2);
    ASSERT_EQ(lines.size(), 25u);
    // Knights first in generation order, then pawns.
    EXPECT_EQ(lines[0], "    Nb1-a3 : 20");
    EXPECT_EQ(lines[1], "    Nb1-c3 : 20");
    EXPECT_EQ(lines[2], "    Ng1-f3 : 20");
    EXPECT_EQ(lines[3], "    Ng1-h3 : 20");
    for (int i = 4; i < 20; i++) EXPECT_EQ(lines[i].size(), 15u) << lines[i];
    EXPECT_EQ(lines[20], "");
    EXPECT_EQ(lines[21], "     total : 400");
    EXPECT_EQ(lines[22], "");
    EXPECT_TRUE(lines[23].rfind("Time = ", 0) == 0);
    EXPECT_TRUE(lines[24].rfind("Speed = ", 0) == 0);
    EXPECT_EQ(engine->perft.divideResults, nullptr);
    EXPECT_EQ(engine->perft.divideCount, 20);
}

TEST_F(PerftTest, DivideDepthOneAndSpecialMoves) {
    ASSERT_EQ(engine->setFen("r3k2r/8/8/3pP3/8/8/8/R3K2R w KQkq d6 0 1"), 1);
    const auto lines = capture(&ProtocolHost::divide, 1);
    std::string all;
    for (const auto& line : lines) all += line + "\n";
    EXPECT_NE(all.find("  e5xd6e.p : 1\n"), std::string::npos) << all;
    EXPECT_NE(all.find("       O-O : 1\n"), std::string::npos) << all;
    EXPECT_NE(all.find("     O-O-O : 1\n"), std::string::npos) << all;
}

TEST_F(PerftTest, BadDepthsAreIgnored) {
    for (int32_t depth : {0, -3, 128, 100000}) {
        EXPECT_TRUE(capture(&ProtocolHost::perft, depth).empty());
        EXPECT_TRUE(capture(&ProtocolHost::perftd, depth).empty());
        EXPECT_TRUE(capture(&ProtocolHost::divide, depth).empty());
    }
    // A cleared engine has no position to count.
    engine->clear();
    EXPECT_TRUE(capture(&ProtocolHost::perft, 1).empty());
}

TEST(ElapsedText, Formats) {
    char buffer[32];
    formatElapsed(0.0, buffer);
    EXPECT_STREQ(buffer, "00:00:00.000");
    formatElapsed(999.9, buffer);
    EXPECT_STREQ(buffer, "00:00:00.000");
    formatElapsed(1234567.0, buffer);
    EXPECT_STREQ(buffer, "00:00:01.234");
    formatElapsed((3600000.0 * 2 + 60000.0 * 3 + 4005.0) * 1000.0, buffer);
    EXPECT_STREQ(buffer, "02:03:04.005");
    // Nonsense inputs saturate instead of overflowing.
    formatElapsed(-5000.0, buffer);
    EXPECT_STREQ(buffer, "00:00:00.000");
    formatElapsed(std::numeric_limits<double>::quiet_NaN(), buffer);
    EXPECT_STREQ(buffer, "00:00:00.000");
    formatElapsed(1e300, buffer);
    EXPECT_STREQ(buffer, "1193:02:47.295");
}

TEST_F(PerftTest, PositionsThatAreNotChessStaySafe) {
    // Accepted by the reader but not legal chess: missing kings, pawns on the back ranks,
    // the side not to move in check. Counting must neither crash nor change the position.
    const char* odd[] = {
        "8/8/8/8/8/8/8/8 w - - 0 1",
        "4k3/8/8/8/8/8/8/8 w - - 0 1",
        "8/8/8/8/8/8/8/4K3 b - - 0 1",
        "P3k2P/8/8/8/8/8/8/p3K2p w - - 0 1",
        "4k3/8/8/8/8/8/8/4K2r w - - 0 1",
        "4k3/4R3/8/8/8/8/8/4K3 w - - 0 1",
        "kK6/8/8/8/8/8/8/8 b - - 0 1",
        "QQQQQQQQ/QQQQQQQQ/8/8/8/8/8/K6k w - - 0 1",
    };
    for (const char* fen : odd) {
        if (!engine->setFen(fen)) continue;
        const uint64_t key = engine->position.key;
        count(3);
        Perft& tool = engine->perft;
        tool.allocateMoveStack();
        tool.zeroCounters();
        tool.run(3);
        tool.releaseMoveStack();
        capture(&ProtocolHost::divide, 2);
        EXPECT_EQ(engine->position.key, key) << fen;
    }
}
