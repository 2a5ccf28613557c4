// XBoard front end in-process: clocks and time controls, the moves-to-go count and thinking
// lines.
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/host.h"
#include "board/notation.h"
#include "protocol/xboard.h"
#include "search/engine.h"

namespace {

// Searches poll standard input: give them an empty pipe that never ends, so they only stop by
// their own limits.
const bool quietInput = [] {
    int fds[2];
    if (pipe(fds) != 0) return false;
    dup2(fds[0], 0);
    return true;
}();

class XboardFixture : public ::testing::Test {
protected:
    std::unique_ptr<Engine> engine = std::make_unique<Engine>();
    ProtocolHost host;
    XboardProtocol* xboard = nullptr;

    void SetUp() override {
        ASSERT_TRUE(quietInput);
        host.Hash = 1;
        host.engine = engine.get();
        xboard = new XboardProtocol(engine.get(), &host);
        host.protocol = xboard;
        xboard->attach();
        run({"xboard"});
    }

    void TearDown() override {
        delete xboard;
        host.protocol = nullptr;
        engine->clear();
    }

    // Runs command lines and returns what they wrote to standard output.
    std::vector<std::string> run(const std::vector<std::string>& lines) {
        ::testing::internal::CaptureStdout();
        for (const std::string& line : lines) xboard->handleCommand(line.c_str());
        std::istringstream text(::testing::internal::GetCapturedStdout());
        std::vector<std::string> out;
        for (std::string line; std::getline(text, line);) out.push_back(line);
        return out;
    }

    float clock(int32_t colour) const { return engine->limits.clock[colour]; }
};

}  // namespace

TEST_F(XboardFixture, TimeControlCommandsSetTheLimits) {
    run({"level 40 5 0"});
    EXPECT_EQ(engine->limits.mode, MODE_CLOCK);
    EXPECT_EQ(host.movesPerSession, 40);
    EXPECT_EQ(clock(WHITE), 300000.0f);
    run({"level 0 2:30 1.5"});
    EXPECT_EQ(clock(WHITE), 150000.0f);
    EXPECT_EQ(engine->limits.increment[BLACK], 1500);
    EXPECT_EQ(engine->limits.increment[WHITE], 1500);
    run({"st 10"});
    EXPECT_EQ(engine->limits.mode, MODE_MOVE_TIME);
    EXPECT_EQ(engine->limits.timePerMove, 10000000);
    run({"st 99999"});
    EXPECT_EQ(engine->limits.timePerMove, INT32_MAX);
    run({"sd 0"});
    EXPECT_EQ(engine->limits.maxDepth, 1);
    run({"sd 200"});
    EXPECT_EQ(engine->limits.mode, MODE_DEPTH);
    EXPECT_EQ(engine->limits.maxDepth, MAX_PLY - 1);
    // "time" and "otim" go to the colours when the engine next searches, unless a new time
    // control came in between.
    run({"new", "sd 1", "time 300", "otim 400", "e2e4"});
    EXPECT_EQ(clock(BLACK), 3000.0f);
    EXPECT_EQ(clock(WHITE), 4000.0f);
    run({"new", "time 300", "otim 400", "level 0 1 0", "sd 1", "go"});
    EXPECT_EQ(clock(WHITE), 60000.0f);
}

TEST_F(XboardFixture, MovesToGoCountsDownAndStartsTheNextTimeControl) {
    // A first "go" after six move lines (three moves) leaves 37 of 40.
    run({"force", "e2e4", "e7e5", "g1f3", "b8c6", "f1b5", "a7a6", "sd 1", "go"});
    EXPECT_EQ(engine->limits.movesToGo, 37);
    EXPECT_EQ(host.movesToGo, 36);
    // Past a whole time control the count starts again, never below one.
    run({"new", "force"});
    for (int i = 0; i < 50; i++) run({"g1f3", "g8f6", "f3g1", "f6g8"});
    run({"sd 1", "go"});
    EXPECT_EQ(engine->limits.movesToGo, 40 - (100 % 40));
    host.movesToGo = 1;
    run({"force", "g8f6", "sd 1", "go"});
    EXPECT_EQ(host.movesToGo, 40);
}

TEST_F(XboardFixture, ThinkingLinesCarryDepthScoreCentisecondsNodesAndPv) {
    const Move pv[2] = {parseMoveText(engine->position, "e2e4"), makeMove(E7, E5, PAWN, 0, 0, MOVE_DOUBLE_PUSH)};
    ::testing::internal::CaptureStdout();
    xboard->listener.onPv(8, 35, pv, 1500000.0, 2, 123456, 12, 0);
    xboard->listener.onMultiPv(2, 8, -31990, 1500000.0, pv, 1, 123456, 12, 1);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "8 35 150 123456 e2e4 e7e5\n8 -31990 150 123456 e2e4\n");
    run({"nopost"});
    ::testing::internal::CaptureStdout();
    xboard->listener.onPv(8, 35, pv, 1500000.0, 2, 123456, 12, 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    // Chess960 castling is written as xboard writes it there.
    const Move castle = makeMove(B1, C1, KING, 0, 0, MOVE_CASTLING);
    run({"post", "variant fischerandom"});
    ::testing::internal::CaptureStdout();
    xboard->listener.onPv(1, 0, &castle, 0.0, 1, 1, 1, 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "1 0 0 1 O-O\n");
}
