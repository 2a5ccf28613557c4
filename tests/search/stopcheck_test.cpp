#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "search/input.h"
#include "search/engine.h"
#include "search/timecontrol.h"

namespace {

// Standard input of this test program is replaced by a pipe that stays open, so the input poll
// sees exactly what the tests write and never the runner's own stdin or its end.
int stdinWriter = -1;

const bool stdinReplaced = [] {
    int fds[2];
    if (pipe(fds) != 0) return false;
    dup2(fds[0], 0);
    close(fds[0]);
    stdinWriter = fds[1];
    return true;
}();

void writeInput(const char* text) {
    const std::string bytes(text);
    ASSERT_EQ(write(stdinWriter, bytes.data(), bytes.size()), ssize_t(bytes.size()));
}

// Stands in for a front end: reads the waiting line and runs "stop" / "quit" / end of input.
struct LineListener : SearchListener {
    std::vector<std::string> lines;
    int32_t polls = 0;
    void onInputPending() override {
        ++polls;
        std::string line;
        if (!readInputLine(line)) {
            engine->stopReason = STOP_ABORTED;
            return;
        }
        lines.push_back(line);
        if (line == "stop") engine->stopReason = STOP_NORMAL;
        if (line == "quit") engine->stopReason = STOP_ABORTED;
    }
};

class StopCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(stdinReplaced);
        engine = std::make_unique<Engine>();
        listener.engine = engine.get();
        engine->listener = &listener;
        SearchLimits& limits = engine->limits;
        limits.checkInterval = 30000;
        limits.checkCounter = 0;
        limits.pondering = 0;
        limits.nodes = 0;
        limits.startTimeUs = monotonicMicros();
        engine->stopReason = STOP_RUNNING;
    }

    // Calls until the check says stop; returns the number of calls, or -1 after `most`.
    int32_t callsUntilStop(int32_t most) {
        for (int32_t i = 1; i <= most; ++i) {
            if (!engine->checkStop()) return i;
        }
        return -1;
    }

    std::unique_ptr<Engine> engine;
    LineListener listener;
};

TEST_F(StopCheckTest, NodeLimitStopsAtOnceWhateverTheCounter) {
    engine->limits.mode = MODE_NODES;
    engine->limits.nodeLimit = 1000;
    engine->limits.nodes = 999;
    EXPECT_EQ(callsUntilStop(5), -1);
    engine->limits.nodes = 1000;
    EXPECT_EQ(callsUntilStop(5), 1);
    EXPECT_EQ(engine->stopReason, STOP_NORMAL);
}

TEST_F(StopCheckTest, NoLimitWhilePonderingOrAtFixedDepth) {
    engine->limits.mode = MODE_NODES;
    engine->limits.nodeLimit = 10;
    engine->limits.nodes = 50;
    engine->limits.pondering = 1;
    EXPECT_EQ(callsUntilStop(70000), -1);
    engine->limits.pondering = 0;
    engine->limits.mode = MODE_DEPTH;
    EXPECT_EQ(callsUntilStop(70000), -1);
    EXPECT_EQ(engine->stopReason, STOP_RUNNING);
}

TEST_F(StopCheckTest, TimeIsTestedEvery1024Calls) {
    engine->limits.mode = MODE_MOVE_TIME;
    engine->limits.timeBudget = 1;
    engine->limits.startTimeUs = monotonicMicros() - 1000;
    EXPECT_EQ(callsUntilStop(5000), 1024);
    EXPECT_EQ(engine->stopReason, STOP_NORMAL);

    engine->stopReason = STOP_RUNNING;
    engine->limits.checkCounter = 0;
    engine->limits.mode = MODE_CLOCK;
    engine->limits.timeBudget = 60000000;
    engine->limits.startTimeUs = monotonicMicros();
    EXPECT_EQ(callsUntilStop(5000), -1);
}

TEST_F(StopCheckTest, InfiniteSearchHasNoTimeTest) {
    engine->limits.mode = MODE_INFINITE;
    engine->limits.timeBudget = 1;
    engine->limits.startTimeUs = monotonicMicros() - 100000000;
    EXPECT_EQ(callsUntilStop(70000), -1);
}

TEST_F(StopCheckTest, WaitingLineIsHandedToTheListenerAtTheInterval) {
    engine->limits.mode = MODE_DEPTH;
    writeInput("isready\n");
    engine->limits.checkCounter = 29990;
    EXPECT_EQ(callsUntilStop(9), -1);
    EXPECT_TRUE(listener.lines.empty());
    EXPECT_EQ(callsUntilStop(1), -1);
    ASSERT_EQ(listener.lines.size(), 1u);
    EXPECT_EQ(listener.lines[0], "isready");
    EXPECT_EQ(engine->limits.checkCounter, 0);

    writeInput("stop\r\n");
    EXPECT_EQ(callsUntilStop(30000), 30000);
    EXPECT_EQ(listener.lines.back(), "stop");
    EXPECT_EQ(engine->stopReason, STOP_NORMAL);
}

TEST_F(StopCheckTest, PartialLineWaitsForItsNewline) {
    engine->limits.mode = MODE_DEPTH;
    writeInput("qu");
    EXPECT_EQ(callsUntilStop(30000), -1);
    EXPECT_EQ(listener.polls, 0);
    writeInput("it\n");
    EXPECT_EQ(callsUntilStop(30000), 30000);
    EXPECT_EQ(listener.lines.back(), "quit");
    EXPECT_EQ(engine->stopReason, STOP_ABORTED);
}

TEST_F(StopCheckTest, ListenerSeesEndOfInputAndCanEndAnInfiniteSearch) {
    // Runs in a child process: closing standard input there leaves this process's pipe alone.
    EXPECT_EXIT(
        {
            int fds[2];
            if (pipe(fds) != 0) std::_Exit(2);
            close(fds[1]);
            dup2(fds[0], 0);
            engine->limits.mode = MODE_INFINITE;
            const int32_t calls = callsUntilStop(100000);
            std::_Exit(calls == 30000 && engine->stopReason == STOP_ABORTED ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
