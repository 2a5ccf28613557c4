#include <gtest/gtest.h>

#include <string>

#include "board/types.h"
#include "protocol/console_listener.h"

namespace {

std::string score(int32_t value) {
    char buffer[32];
    formatConsoleScore(value, buffer, sizeof buffer);
    return buffer;
}

}  // namespace

TEST(ConsoleLines, ScoreTexts) {
    EXPECT_EQ(score(35), "+0.35");
    EXPECT_EQ(score(0), "+0.00");
    EXPECT_EQ(score(-120), "-1.20");
    EXPECT_EQ(score(-5), "-0.05");
    EXPECT_EQ(score(31999), "+M1");
    EXPECT_EQ(score(31997), "+M2");
    EXPECT_EQ(score(-31998), "-M1");
    EXPECT_EQ(score(-31744), "-M128");
    EXPECT_EQ(score(31743), "+317.43");
}

TEST(ConsoleLines, FullLineLayout) {
    const Move pv[2] = {makeMove(E2, E4, PAWN, 0, 0, MOVE_DOUBLE_PUSH), makeMove(G8, F6, KNIGHT)};
    char line[4096];
    formatConsoleLine(line, sizeof line, 1, 7, 35, pv, 1500000.0, 2, 123456, 12, 0);
    EXPECT_EQ(std::string(line), " 7/12  00:00:01.500 123456     82   +0.35 e2-e4 Ng8-f6 ");
    formatConsoleLine(line, sizeof line, 1, 12, -40, pv, 0.0, 1, 32, 3, 2);
    EXPECT_EQ(std::string(line), "12/3 + 00:00:00.000 32      2   -0.40 e2-e4 ");
    formatConsoleLine(line, sizeof line, 1, 1, 0, pv, 1000.0, 0, 0, 1, 1);
    EXPECT_EQ(std::string(line), " 1/1 - 00:00:00.001 0      0   +0.00 ");
}

TEST(ConsoleLines, LaterMultiPvLinesAreIndented) {
    const Move pv[1] = {makeMove(G1, F3, KNIGHT)};
    char line[4096];
    formatConsoleLine(line, sizeof line, 2, 5, 31997, pv, 2000000.0, 1, 4000000, 9, 0);
    EXPECT_EQ(std::string(line), "       00:00:02.000 4000000   2000     +M2 Ng1-f3 ");
}

TEST(ConsoleLines, LongPrincipalVariationsStayInTheBuffer) {
    Move pv[MAX_PLY];
    for (auto& move : pv) move = makeMove(E7, E8, PAWN, KNIGHT, QUEEN);
    char line[4096];
    formatConsoleLine(line, sizeof line, 1, 127, 0, pv, 1.0, MAX_PLY, UINT64_MAX, 127, 7);
    EXPECT_LT(std::string(line).size(), sizeof line);
    char small[40];
    formatConsoleLine(small, sizeof small, 1, 127, 0, pv, 1.0, MAX_PLY, 1, 127, 0);
    EXPECT_EQ(std::string(small).size(), sizeof small - 1);
}
