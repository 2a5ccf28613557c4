// Taking back game moves and growing the game and key histories together.
#include <gtest/gtest.h>

#include <memory>

#include "search/engine.h"

namespace {

class GameHistoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine = std::make_unique<Engine>();
        engine->init(1);
        engine->newGame();
    }
    std::unique_ptr<Engine> engine;
};

}  // namespace

TEST_F(GameHistoryTest, UndoOnEmptyGameChangesNothing) {
    const uint64_t key = engine->position.key;
    EXPECT_EQ(engine->undoLastMove(), 0);
    EXPECT_EQ(engine->position.key, key);
    EXPECT_EQ(engine->gameHistoryCount, 0);
}

TEST_F(GameHistoryTest, UndoRestoresPositionCountsAndLastMove) {
    Position start = engine->position;
    ASSERT_EQ(engine->playMoveList("e2e4 e7e5 g1f3"), 1);
    EXPECT_EQ(engine->undoLastMove(), 1);
    EXPECT_EQ(engine->gameHistoryCount, 2);
    EXPECT_EQ(engine->keyHistoryCount, 2);
    EXPECT_EQ(moveTo(engine->lastMove), E5);
    EXPECT_EQ(engine->undoLastMove(), 1);
    EXPECT_EQ(engine->undoLastMove(), 1);
    EXPECT_EQ(engine->gameHistoryCount, 0);
    EXPECT_EQ(engine->keyHistoryCount, 0);
    EXPECT_EQ(engine->lastMove, noMove);
    EXPECT_EQ(engine->position.key, start.key);
    EXPECT_EQ(engine->position.occupied, start.occupied);
    EXPECT_EQ(engine->position.castlingRights, 15);
    EXPECT_EQ(engine->position.epFile, 0);
}

TEST_F(GameHistoryTest, GrowthKeepsRecordsAndKeyRoomForASearch) {
    const char* shuffle[] = {"g1f3", "g8f6", "f3g1", "f6g8"};
    for (int32_t i = 0; i < 512; ++i) ASSERT_EQ(engine->playMoveText(shuffle[i % 4]), 1);
    EXPECT_EQ(engine->gameHistoryCapacity, 512);
    const UndoRecord first = engine->gameHistory[0];
    ASSERT_EQ(engine->playMoveText(shuffle[0]), 1);
    EXPECT_EQ(engine->gameHistoryCapacity, 1024);
    EXPECT_EQ(engine->gameHistory[0].key, first.key);
    EXPECT_EQ(engine->gameHistory[0].move, first.move);
    EXPECT_EQ(engine->keyHistory[512], engine->gameHistory[512].key);
    // The key history always has room for a full search path beyond the game.
    for (int32_t i = 0; i < KEY_HISTORY_SLACK; ++i) engine->keyHistory[engine->keyHistoryCount + i] = 0;
    for (int32_t i = 0; i < 513; ++i) ASSERT_EQ(engine->undoLastMove(), 1);
    Position start;
    start.reset();
    start.setStartPosition();
    EXPECT_EQ(engine->position.key, start.key);
}

TEST_F(GameHistoryTest, GrowFromNothingAfterRelease) {
    delete[] engine->gameHistory;
    delete[] engine->keyHistory;
    engine->gameHistory = nullptr;
    engine->keyHistory = nullptr;
    engine->gameHistoryCapacity = 0;
    engine->gameHistoryCount = 0;
    engine->keyHistoryCount = 0;
    engine->growUndoStack();
    EXPECT_EQ(engine->gameHistoryCapacity, 512);
    ASSERT_EQ(engine->playMoveText("e2e4"), 1);
    EXPECT_EQ(engine->undoLastMove(), 1);
}

TEST_F(GameHistoryTest, PlayMoveTakesOnlyLegalWordsOfThisPosition) {
    const uint64_t start = engine->position.key;
    // No move, a pawn's impossible step, the opponent's move, a blocked king.
    for (Move move :
         {noMove, makeMove(E2, E5, PAWN), makeMove(E7, E5, PAWN, 0, 0, MOVE_DOUBLE_PUSH), makeMove(E1, E2, KING)}) {
        EXPECT_FALSE(engine->playMove(move)) << move;
        EXPECT_EQ(engine->position.key, start);
        EXPECT_EQ(engine->keyHistoryCount, 0);
    }
    const Move e4 = makeMove(E2, E4, PAWN, 0, 0, MOVE_DOUBLE_PUSH);
    ASSERT_TRUE(engine->playMove(e4));
    EXPECT_EQ(engine->lastMove, e4);
    EXPECT_EQ(engine->keyHistory[0], start);
    // The start position empties the game.
    engine->setStartPosition();
    EXPECT_EQ(engine->position.key, start);
    EXPECT_EQ(engine->gameHistoryCount + engine->keyHistoryCount, 0);
    EXPECT_EQ(engine->lastMove, noMove);
    // A pinned piece may not leave its line.
    ASSERT_EQ(engine->setFen("4r1k1/8/8/8/8/8/4N3/4K3 w - - 0 1"), 1);
    EXPECT_FALSE(engine->playMove(makeMove(E2, C3, KNIGHT)));
    EXPECT_EQ(engine->gameHistoryCount, 0);
}

TEST_F(GameHistoryTest, StopVerbsLeaveAnIdleEngineAlone) {
    engine->stopReason = STOP_NORMAL;
    engine->limits.pondering = 1;
    engine->stopSearch();
    engine->abortSearch();
    engine->ponderHit();
    EXPECT_EQ(engine->stopReason, STOP_NORMAL);
    EXPECT_EQ(engine->limits.pondering, 1);
    // While searching, "stop" ends a ponder search as such, and never undoes an abort.
    engine->searching = 1;
    engine->stopReason = STOP_RUNNING;
    engine->stopSearch();
    EXPECT_EQ(engine->stopReason, STOP_PONDER);
    engine->abortSearch();
    engine->stopSearch();
    EXPECT_EQ(engine->stopReason, STOP_ABORTED);
    engine->searching = 0;
}
