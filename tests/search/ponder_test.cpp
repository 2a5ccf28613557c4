#include <gtest/gtest.h>

#include <cstring>

#include "board/movegen.h"
#include "search/engine.h"
#include "search/search_fixture.h"

namespace {

class PonderTest : public SearchFixture {
protected:
    // Key of the position after `best`, and the move `reply` built there.
    uint64_t keyAfter(Move best, const char* reply, Move* replyMove) {
        UndoRecord undo;
        engine->position.doMove(best, undo);
        const uint64_t key = engine->position.key;
        if (replyMove) *replyMove = move(reply);
        engine->position.undoMove(best, undo);
        return key;
    }

    Move firstLegalAfter(Move best) {
        UndoRecord undo;
        engine->position.doMove(best, undo);
        ScoredMove replies[MAX_MOVES];
        const int32_t count = generateLegalMoves(engine->position, replies, isInCheck(engine->position));
        engine->position.undoMove(best, undo);
        return count > 0 ? replies[0].move : noMove;
    }
};

}  // namespace

TEST_F(PonderTest, WithoutATableEntryTheFirstLegalReplyIsTaken) {
    const Position before = engine->position;
    Move ponder = noMove;
    engine->findPonderMove(move("e2e4"), ponder);
    Move expected = noMove;
    keyAfter(move("e2e4"), "b8a6", &expected);
    EXPECT_EQ(ponder, expected);
    EXPECT_EQ(std::memcmp(&before, &engine->position, sizeof before), 0);
}

TEST_F(PonderTest, TheTableReplyWinsOverGenerationOrder) {
    setFen("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3");
    const Move best = move("f1b5");
    Move reply = noMove;
    const uint64_t key = keyAfter(best, "g8f6", &reply);
    engine->tt.store(key, reply, 15, 8, 0, BOUND_EXACT);
    Move ponder = noMove;
    engine->findPonderMove(best, ponder);
    EXPECT_EQ(ponder, reply);
    EXPECT_NE(firstLegalAfter(best), reply);
}

TEST_F(PonderTest, AnIllegalStoredReplyFallsBack) {
    // After Kh1 the black knight on e7 is pinned to its king.
    setFen("4k3/4n3/8/8/8/8/8/4R1K1 w - - 0 1");
    const Move best = move("g1h1");
    Move pinned = noMove;
    const uint64_t key = keyAfter(best, "e7c6", &pinned);
    ASSERT_NE(pinned, noMove);
    engine->tt.store(key, pinned, 0, 8, 0, BOUND_EXACT);
    Move ponder = noMove;
    engine->findPonderMove(best, ponder);
    EXPECT_NE(ponder, pinned);
    EXPECT_EQ(ponder, firstLegalAfter(best));
    // A stored word that does not fit the position at all is screened out too.
    engine->tt.store(key, makeMove(A1, H8, QUEEN), 0, 8, 0, BOUND_EXACT);
    ponder = noMove;
    engine->findPonderMove(best, ponder);
    EXPECT_EQ(ponder, firstLegalAfter(best));
}

TEST_F(PonderTest, MatingAndIllegalBestMoves) {
    setFen("6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1");
    Move ponder = 12345;
    engine->findPonderMove(move("a1a8"), ponder);
    EXPECT_EQ(ponder, noMove);
    // A best move that leaves the own king attacked changes nothing.
    setFen("3rk3/8/8/8/8/8/8/4K1N1 w - - 0 1");
    ponder = 777;
    const Position before = engine->position;
    engine->findPonderMove(makeMove(E1, D2, KING), ponder);
    engine->findPonderMove(makeMove(E1, D1, KING), ponder);
    EXPECT_EQ(ponder, 777u);
    EXPECT_EQ(std::memcmp(&before, &engine->position, sizeof before), 0);
}
