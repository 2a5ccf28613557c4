// Command-line perft, perftd and divide: report formats, counts and refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "blackbox/harness.h"

using blackbox::runEngine;

namespace {

constexpr const char* MIDDLE_GAME_FEN = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";

bool startsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

// The report lines after the banner-free tool output, minus the timing lines' values.
std::vector<std::string> reportLines(const blackbox::RunResult& result) {
    std::vector<std::string> lines;
    for (const std::string& line : result.lines) {
        if (startsWith(line, "Time = ")) lines.push_back("Time = ?");
        else if (startsWith(line, "Speed = ")) lines.push_back("Speed = ?");
        else lines.push_back(line);
    }
    return lines;
}

}  // namespace

TEST(PerftCommandLine, PerftReport) {
    const auto result = runEngine({"-perft", "3"}, {});
    EXPECT_EQ(result.status, 0);
    const std::vector<std::string> expected = {"Depth 3", "Nodes = 8902", "Time = ?", "Speed = ?"};
    EXPECT_EQ(reportLines(result), expected);
    // The time text has the fixed hh:mm:ss.mmm shape.
    const auto time = std::find_if(result.lines.begin(), result.lines.end(),
                                   [](const std::string& l) { return startsWith(l, "Time = "); });
    ASSERT_NE(time, result.lines.end());
    EXPECT_EQ(time->size(), std::string("Time = 00:00:00.000").size());
}

TEST(PerftCommandLine, PerftWithFen) {
    const auto result = runEngine({"-perft", "2", "-fen", MIDDLE_GAME_FEN}, {});
    EXPECT_EQ(result.status, 0);
    ASSERT_GE(result.lines.size(), 2u);
    EXPECT_EQ(result.lines[0], "Depth 2");
    EXPECT_EQ(result.lines[1], "Nodes = 2039");
}

TEST(PerftCommandLine, PerftdReport) {
    const auto result = runEngine({"-perftd", "3", "-fen", MIDDLE_GAME_FEN}, {});
    EXPECT_EQ(result.status, 0);
    const std::vector<std::string> expected = {
        "Depth 3",           "Nodes = 97862",         "Nodes captures = 17102", "Nodes e.p = 45",
        "Nodes check = 993", "Nodes mate = 1",        "Nodes promotion = 0",    "Nodes castle = 3162",
        "Time = ?",          "Speed = ?"};
    EXPECT_EQ(reportLines(result), expected);
}

TEST(PerftCommandLine, DivideReport) {
    const auto result = runEngine({"-divide", "1", "-fen", "4k3/1P6/8/8/8/8/8/4K2R w K - 0 1"}, {});
    EXPECT_EQ(result.status, 0);
    const std::vector<std::string> expected = {
        "    Ke1-d1 : 1", "    Ke1-d2 : 1", "    Ke1-e2 : 1", "    Ke1-f1 : 1", "    Ke1-f2 : 1",
        "       O-O : 1", "    Rh1-f1 : 1", "    Rh1-g1 : 1", "    Rh1-h2 : 1", "    Rh1-h3 : 1",
        "    Rh1-h4 : 1", "    Rh1-h5 : 1", "    Rh1-h6 : 1", "    Rh1-h7 : 1", "    Rh1-h8 : 1",
        "   b7-b8=Q : 1", "   b7-b8=R : 1", "   b7-b8=B : 1", "   b7-b8=N : 1", "",
        "     total : 19", "", "Time = ?", "Speed = ?"};
    auto lines = reportLines(result);
    // Generation order is the move generator's; compare as sets of entries plus the fixed tail.
    ASSERT_EQ(lines.size(), expected.size());
    std::vector<std::string> entries(lines.begin(), lines.begin() + 19);
    std::vector<std::string> expectedEntries(expected.begin(), expected.begin() + 19);
    std::sort(entries.begin(), entries.end());
    std::sort(expectedEntries.begin(), expectedEntries.end());
    EXPECT_EQ(entries, expectedEntries);
    EXPECT_TRUE(std::equal(lines.begin() + 19, lines.end(), expected.begin() + 19));
}

TEST(PerftCommandLine, Chess960Position) {
    const auto result = runEngine(
        {"-perft", "3", "-fen", "bqnb1rkr/pp3ppp/3ppn2/2p5/5P2/P2P4/NPP1P1PP/BQ1BNRKR w HFhf - 2 9"}, {});
    EXPECT_EQ(result.status, 0);
    ASSERT_GE(result.lines.size(), 2u);
    EXPECT_EQ(result.lines[1], "Nodes = 12189");
}

TEST(PerftCommandLine, BadDepthIsRefused) {
    for (const char* depth : {"0", "128", "-1", "abc", "99999999999"}) {
        const auto result = runEngine({"-perft", depth}, {});
        EXPECT_EQ(result.status, 1) << depth;
        EXPECT_FALSE(result.errorOutput.empty()) << depth;
        for (const std::string& line : result.lines) EXPECT_FALSE(startsWith(line, "Nodes")) << line;
    }
}

TEST(PerftCommandLine, RejectedFenIsReported) {
    const auto result = runEngine({"-divide", "2", "-fen", "rnbqkbnr/pppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR w"}, {});
    EXPECT_EQ(result.status, 1);
    bool reported = false;
    for (const std::string& line : result.lines) {
        reported = reported || line == "Bad FEN string !";
        EXPECT_FALSE(startsWith(line, "     total")) << line;
    }
    EXPECT_TRUE(reported);
}
