#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "book/book_writer.h"
#include "search/engine.h"
#include "search/search_fixture.h"

namespace {

class EndRecorder : public SearchListener {
public:
    std::vector<int32_t> ends;
    int32_t pvReports = 0;
    void onSearchEnd(StopReason reason) override { ends.push_back(reason); }
    void onPv(int32_t, int32_t, const Move*, double, int32_t, uint64_t, int32_t, int32_t) override { ++pvReports; }
};

class BookPlayTest : public SearchFixture {
protected:
    void SetUp() override {
        SearchFixture::SetUp();
        engine->listener = &recorder;
        engine->limits.mode = MODE_DEPTH;
        engine->limits.maxDepth = 2;
    }
    void TearDown() override {
        if (!fileName.empty()) std::remove(fileName.c_str());
    }

    void load(const BookBytes& bytes) {
        if (!fileName.empty()) std::remove(fileName.c_str());
        fileName = bytes.writeTemp();
        ASSERT_EQ(engine->loadBook(fileName.c_str()), 1);
    }

    EndRecorder recorder;
    std::string fileName;
};

}  // namespace

TEST_F(BookPlayTest, BookMoveIsPlayedWithoutSearching) {
    const uint64_t start = engine->position.key;
    const Move e4 = move("e2e4");
    BookBytes bytes;
    // The matching entry is the last one of the file.
    bytes.header(2).position(start - 1, 1).move(move("d2d4"), 5).position(start, 2);
    bytes.move(e4, 10).move(makeMove(A2, A5, PAWN), 0);
    load(bytes);
    const uint32_t age = engine->tt.age;
    engine->think(0);
    EXPECT_EQ(recorder.ends, std::vector<int32_t>{STOP_NORMAL});
    EXPECT_EQ(recorder.pvReports, 0);
    ASSERT_EQ(engine->gameHistoryCount, 1);
    EXPECT_EQ(engine->gameHistory[0].move, e4);
    EXPECT_EQ(engine->limits.nodes, 0u);
    EXPECT_EQ(engine->limits.depthReached, 1);
    EXPECT_EQ(engine->limits.thinkCount, 0);
    EXPECT_EQ(engine->tt.age, age);
}

TEST_F(BookPlayTest, PlaysTheBookMoveWord) {
    const Move e4 = move("e2e4");
    BookBytes bytes;
    bytes.header(1).position(engine->position.key, 1).move(e4, 3);
    load(bytes);
    engine->think(0);
    EXPECT_EQ(engine->lastMove, e4);
}

TEST_F(BookPlayTest, NonMatchingOrIllegalBookMovesAreSearched) {
    BookBytes other;
    other.header(1).position(engine->position.key ^ 1, 1).move(move("e2e4"), 3);
    load(other);
    engine->think(0);
    EXPECT_EQ(engine->limits.thinkCount, 1);
    EXPECT_GT(recorder.pvReports, 0);

    engine->newGame();
    engine->limits.mode = MODE_DEPTH;
    BookBytes illegal;
    illegal.header(1).position(engine->position.key, 1).move(makeMove(E2, E5, PAWN), 3);
    load(illegal);
    engine->think(0);
    EXPECT_EQ(engine->limits.thinkCount, 1);
    EXPECT_NE(engine->lastMove, makeMove(E2, E5, PAWN));
    EXPECT_NE(engine->lastMove, noMove);
}

TEST_F(BookPlayTest, BookIsLeftAfterItsPlyLimit) {
    BookBytes bytes;
    bytes.header(1).position(engine->position.key, 1).move(move("a2a3"), 3);
    load(bytes);
    engine->limits.bookMaxPly = 0;
    engine->think(0);
    EXPECT_EQ(engine->limits.thinkCount, 1);
}

TEST_F(BookPlayTest, BookMoveWhilePonderingIsHeldBack) {
    ASSERT_EQ(engine->playMoveText("e2e4"), 1);
    const Move reply = move("c7c5");
    BookBytes bytes;
    bytes.header(1).position(engine->position.key, 1).move(reply, 3);
    load(bytes);
    engine->limits.ponderEnabled = 1;
    engine->think(1);
    EXPECT_EQ(recorder.ends, std::vector<int32_t>{STOP_PONDER_DEPTH});
    EXPECT_EQ(engine->gameHistoryCount, 0);
    EXPECT_EQ(engine->lastMove, reply);
    EXPECT_EQ(recorder.pvReports, 0);
}
