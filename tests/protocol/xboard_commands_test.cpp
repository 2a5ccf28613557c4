// XBoard front end in-process: time controls, the moves-to-go count and thinking lines.
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "app/host.h"
#include "board/notation.h"
#include "protocol/xboard.h"
#include "search/engine.h"

namespace {

// Searches poll standard input: give them an empty pipe that never ends, so they only stop by
// their own limits.
const bool quietInput = [] {
    int fds[2];
    return pipe(fds) == 0 && dup2(fds[0], 0) == 0;
}();

class XboardFixture : public ::testing::Test {
protected:
    std::unique_ptr<Engine> engine = std::make_unique<Engine>();
    ProtocolHost host;
    std::unique_ptr<XboardProtocol> xboard = std::make_unique<XboardProtocol>(engine.get(), &host);
    SearchLimits& limits = engine->limits;

    void SetUp() override {
        ASSERT_TRUE(quietInput);
        host.Hash = 1;
        host.engine = engine.get();
        host.protocol = xboard.get();
        xboard->attach();
        run({"xboard"});
    }
    void TearDown() override {
        host.protocol = nullptr;
        engine->clear();
    }

    // Runs command lines and returns what they wrote to standard output.
    std::string run(const std::vector<std::string>& lines) {
        ::testing::internal::CaptureStdout();
        for (const std::string& line : lines) xboard->handleCommand(line.c_str());
        return ::testing::internal::GetCapturedStdout();
    }
};

}  // namespace

TEST_F(XboardFixture, LevelStAndSdSetTheLimits) {
    const struct {
        const char* level;
        int32_t moves;  // -1: the line is refused
        float baseMs;
        int32_t incrementMs;
    } levels[] = {
        {"40 5 0", 40, 300000.0f, 0}, {"0 2:30 1.5", 0, 150000.0f, 1500}, {"0 0:05 0.05", 0, 5000.0f, 50},
        {"40 5", 40, 300000.0f, 0}, {"-1 -5 -3", 0, 0.0f, 0}, {"x 5 nan", 0, 300000.0f, 0},
        {"40 99999999999:99 1e30", 40, float(2147483647.0 * 60000.0 + 99000.0), INT32_MAX},
        {"40", -1, 0, 0}, {"", -1, 0, 0},
    };
    for (const auto& c : levels) {
        run({"new", "st 1", std::string("level ") + c.level});
        EXPECT_EQ(limits.mode, c.moves < 0 ? MODE_MOVE_TIME : MODE_CLOCK) << c.level;
        if (c.moves < 0) continue;
        EXPECT_EQ(host.movesPerSession, c.moves) << c.level;
        EXPECT_FLOAT_EQ(limits.clock[WHITE], c.baseMs) << c.level;
        EXPECT_EQ(limits.increment[WHITE], c.incrementMs) << c.level;
        EXPECT_EQ(limits.increment[BLACK], c.incrementMs) << c.level;
    }
    run({"st 10"});
    EXPECT_EQ(limits.mode, MODE_MOVE_TIME);
    EXPECT_EQ(limits.timePerMove, 10000000);
    run({"st 99999"});
    EXPECT_EQ(limits.timePerMove, INT32_MAX);
    run({"sd 0"});
    EXPECT_EQ(limits.maxDepth, 1);
    run({"sd 200"});
    EXPECT_EQ(limits.mode, MODE_DEPTH);
    EXPECT_EQ(limits.maxDepth, MAX_PLY - 1);
    // A new time control forgets the clock readings sent before it.
    run({"new", "time 300", "otim 400", "level 0 1 0", "sd 1", "go"});
    EXPECT_EQ(limits.clock[WHITE], 60000.0f);
}

TEST_F(XboardFixture, MovesToGoCountsDownAndStartsTheNextTimeControl) {
    // A first "go" after six move lines (three moves) leaves 37 of 40.
    run({"force", "e2e4", "e7e5", "g1f3", "b8c6", "f1b5", "a7a6", "sd 1", "go"});
    EXPECT_EQ(limits.movesToGo, 37);
    EXPECT_EQ(host.movesToGo, 36);
    // Past a whole time control the count starts again, never below one.
    run({"new", "force"});
    for (int i = 0; i < 50; i++) run({"g1f3", "g8f6", "f3g1", "f6g8"});
    run({"sd 1", "go"});
    EXPECT_EQ(limits.movesToGo, 40 - (100 % 40));
    host.movesToGo = 1;
    run({"force", "g8f6", "sd 1", "go"});
    EXPECT_EQ(host.movesToGo, 40);
}

TEST_F(XboardFixture, ThinkingLinesCarryDepthScoreCentisecondsNodesAndPv) {
    const Move pv[2] = {parseMoveText(engine->position, "e2e4"), makeMove(E7, E5, PAWN, 0, 0, MOVE_DOUBLE_PUSH)};
    // Whole centiseconds, truncated.
    ::testing::internal::CaptureStdout();
    xboard->listener.onPv(8, 35, pv, 1500000.0, 2, 123456, 12, 0);
    xboard->listener.onPv(8, -31990, pv, 9999.0, 1, 123456, 12, 1);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "8 35 150 123456 e2e4 e7e5\n8 -31990 0 123456 e2e4\n");
    run({"nopost"});
    ::testing::internal::CaptureStdout();
    xboard->listener.onPv(8, 35, pv, 1500000.0, 2, 123456, 12, 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    // Chess960 castling is written as xboard writes it there; other moves as always.
    const Move moves[2] = {makeMove(B1, C1, KING, 0, 0, MOVE_CASTLING), makeMove(E7, E8, PAWN, 0, QUEEN)};
    run({"post", "variant fischerandom"});
    ::testing::internal::CaptureStdout();
    xboard->listener.onPv(1, 0, moves, 0.0, 2, 1, 1, 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "1 0 0 1 O-O e7e8q\n");
}
