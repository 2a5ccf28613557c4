#include <algorithm>
#include <vector>

#include "board/movegen.h"
#include "search/movepick.h"
#include "search_fixture.h"

namespace {

struct Picked {
    Move move;
    int32_t stage;
};

class MovePickTest : public SearchFixture {
protected:
    std::vector<Picked> pickAll(Move hashMove = noMove, int32_t ply = 2) {
        MoveList& list = engine->moveLists[ply];
        startPicking(list, ply, hashMove, isInCheck(engine->position) != 0);
        std::vector<Picked> picked;
        for (Move m; (m = pickNextMove(*engine, list, engine->position)) != noMove;) {
            picked.push_back({m, list.pickedStage});
            if (picked.size() > 600) break;
        }
        return picked;
    }

    static int32_t indexOf(const std::vector<Picked>& picked, Move m) {
        for (size_t i = 0; i < picked.size(); ++i) {
            if (picked[i].move == m) return int32_t(i);
        }
        return -1;
    }

    // Every pseudo-legal move exactly once, and stages never go backwards.
    void expectCompleteAndOrdered(const std::vector<Picked>& picked) {
        ScoredMove all[MAX_MOVES];
        const int32_t count = generateMoves(engine->position, all, isInCheck(engine->position));
        std::vector<Move> expected;
        for (int32_t i = 0; i < count; ++i) expected.push_back(all[i].move);
        std::vector<Move> got;
        for (const Picked& p : picked) got.push_back(p.move);
        std::sort(expected.begin(), expected.end());
        std::sort(got.begin(), got.end());
        EXPECT_EQ(got, expected);
        for (size_t i = 1; i < picked.size(); ++i) EXPECT_LE(picked[i - 1].stage, picked[i].stage);
    }
};

TEST_F(MovePickTest, HandsOutEveryMoveOnceInStageOrder) {
    const char* fens[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
        // 218 moves: the quiet moves must fit beside the captures without touching the top area.
        "R6R/3Q4/1Q4Q1/4Q3/2Q4Q/Q4Q2/pp1Q4/kBNN1KB1 w - - 0 1",
        "rq2r1k1/QQQQ1QQ1/1p1p1p1p/pPpPpPpP/P1P1P1P1/8/8/4K3 w - - 0 1",
    };
    for (const char* fen : fens) {
        setFen(fen);
        engine->killers[2][0] = noMove;
        expectCompleteAndOrdered(pickAll());
    }
}

// Fifteen queens among many enemy pieces: captures, quiet moves and held-back losing captures
// together need more than 256 entries; none may be lost or tried early.
TEST_F(MovePickTest, CrowdedPositionKeepsEveryMoveAndHoldsBackEveryLosingCapture) {
    setFen("b2QrQbK/Q6Q/4QnQb/rQ6/5QnQ/QnQ5/n5Qn/kQnQnrQb w - - 0 1");
    ScoredMove captures[MAX_MOVES];
    const int32_t captureCount = generateCaptures(engine->position, captures);
    int32_t losing = 0;
    for (int32_t i = 0; i < captureCount; ++i) {
        const Move m = captures[i].move;
        if (pieceValue[moveCaptured(m)] < pieceValue[movePiece(m)] && engine->position.see(m) < 0) ++losing;
    }
    const std::vector<Picked> picked = pickAll();
    EXPECT_GT(int32_t(picked.size()) + losing, 256);
    expectCompleteAndOrdered(picked);
    EXPECT_EQ(std::count_if(picked.begin(), picked.end(), [](const Picked& p) { return p.stage == PICK_BAD_CAPTURES; }),
              losing);
}

TEST_F(MovePickTest, PlayableHashMoveComesFirstAndOnlyOnce) {
    setFen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1");
    const Move hash = move("a2a3");
    const std::vector<Picked> picked = pickAll(hash);
    ASSERT_FALSE(picked.empty());
    EXPECT_EQ(picked[0].move, hash);
    EXPECT_EQ(picked[0].stage, PICK_HASH);
    EXPECT_EQ(std::count_if(picked.begin(), picked.end(), [&](const Picked& p) { return p.move == hash; }), 1);
    expectCompleteAndOrdered(picked);
}

TEST_F(MovePickTest, UnplayableHashMoveIsDropped) {
    setFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    // A black move handed in while white is to move, as after a key collision.
    const Move foreign = makeMove(E7, E5, PAWN, 0, 0, MOVE_DOUBLE_PUSH);
    const std::vector<Picked> picked = pickAll(foreign);
    EXPECT_EQ(indexOf(picked, foreign), -1);
    EXPECT_EQ(engine->moveLists[2].hashMove, noMove);
    expectCompleteAndOrdered(picked);
}

TEST_F(MovePickTest, LosingCaptureWaitsUntilAfterQuietMoves) {
    // Bishop takes a pawn defended by a pawn (loses), or an undefended pawn (wins).
    setFen("4k3/8/2p5/3p4/8/8/8/4K2B w - - 0 1");
    const std::vector<Picked> picked = pickAll();
    const int32_t losing = indexOf(picked, move("h1d5"));
    ASSERT_GE(losing, 0);
    EXPECT_EQ(picked[losing].stage, PICK_BAD_CAPTURES);
    EXPECT_EQ(losing, int32_t(picked.size()) - 1);
    // As the hash move the losing capture comes first and is not handed out again at the end.
    const std::vector<Picked> hashed = pickAll(move("h1d5"));
    ASSERT_FALSE(hashed.empty());
    EXPECT_EQ(hashed[0].move, move("h1d5"));
    EXPECT_NE(hashed.back().move, move("h1d5"));
    expectCompleteAndOrdered(hashed);
    setFen("4k3/8/8/3p4/8/8/8/4K2B w - - 0 1");
    const std::vector<Picked> winning = pickAll();
    ASSERT_FALSE(winning.empty());
    EXPECT_EQ(winning[0].move, move("h1d5"));
    EXPECT_EQ(winning[0].stage, PICK_GOOD_CAPTURES);
}

TEST_F(MovePickTest, SafeQuietUnderPromotionComesAfterCapturesInCaptureStage) {
    setFen("4k3/1P6/8/8/8/8/2p5/2R1K3 w - - 0 1");
    const std::vector<Picked> picked = pickAll();
    const int32_t knight = indexOf(picked, move("b7b8n"));
    ASSERT_GE(knight, 0);
    EXPECT_EQ(picked[knight].stage, PICK_GOOD_CAPTURES);
    EXPECT_EQ(indexOf(picked, move("b7b8q")), 0);
    EXPECT_LT(indexOf(picked, move("c1c2")), knight);
    expectCompleteAndOrdered(picked);
    // Promoting where the new piece is simply taken loses material: held back to the end.
    setFen("1r2k3/P7/8/8/8/8/8/4K3 w - - 0 1");
    const std::vector<Picked> losing = pickAll();
    EXPECT_EQ(losing.back().stage, PICK_BAD_CAPTURES);
}

TEST_F(MovePickTest, KillersFollowCapturesAndAreNotRepeated) {
    setFen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1");
    const Move killer1 = move("a2a3");
    const Move killer2 = move("g2g3");
    engine->killers[2][0] = killer1;
    engine->killers[2][1] = killer2;
    std::vector<Picked> picked = pickAll();
    ASSERT_GE(indexOf(picked, killer1), 0);
    EXPECT_EQ(picked[indexOf(picked, killer1)].stage, PICK_KILLER1);
    EXPECT_EQ(picked[indexOf(picked, killer2)].stage, PICK_KILLER2);
    EXPECT_EQ(indexOf(picked, killer2), indexOf(picked, killer1) + 1);
    expectCompleteAndOrdered(picked);

    // A killer equal to the hash move is tried once, as the hash move.
    picked = pickAll(killer1);
    EXPECT_EQ(std::count_if(picked.begin(), picked.end(), [&](const Picked& p) { return p.move == killer1; }), 1);
    EXPECT_EQ(picked[0].move, killer1);
    expectCompleteAndOrdered(picked);

    // A killer that does not fit this position is skipped.
    engine->killers[2][0] = makeMove(A7, A6, PAWN);
    picked = pickAll();
    EXPECT_EQ(indexOf(picked, makeMove(A7, A6, PAWN)), -1);
    expectCompleteAndOrdered(picked);
}

TEST_F(MovePickTest, NoCapturesGoesStraightToKillersAndNoQuietsToHeldBackCaptures) {
    setFen("4k3/8/8/8/8/8/P7/4K3 w - - 0 1");
    engine->killers[2][0] = move("a2a4");
    std::vector<Picked> picked = pickAll();
    ASSERT_FALSE(picked.empty());
    EXPECT_EQ(picked[0].move, move("a2a4"));
    EXPECT_EQ(picked[0].stage, PICK_KILLER1);
    expectCompleteAndOrdered(picked);
}

TEST_F(MovePickTest, EvasionsPutCapturesThenKillersThenHistory) {
    // White king in check from the rook on e8; the bishop can take it.
    setFen("4r1k1/8/8/1B6/8/8/8/R3K3 w - - 0 1");
    const Move killer = move("e1f2");
    engine->killers[2][0] = killer;
    std::vector<Picked> picked = pickAll();
    ASSERT_GE(picked.size(), 2u);
    for (const Picked& p : picked) EXPECT_EQ(p.stage, PICK_EVASIONS);
    EXPECT_EQ(picked[1].move, killer);
    EXPECT_NE(moveCaptured(picked[0].move), NO_PIECE);
    expectCompleteAndOrdered(picked);
}

TEST_F(MovePickTest, HistoryOrdersQuietMovesAndSaturates) {
    setFen("4k3/8/8/8/8/8/P6P/4K3 w - - 0 1");
    const Move late = move("h2h3");
    engine->history[WHITE][PAWN][H3] = 500;
    std::vector<Picked> picked = pickAll();
    ASSERT_FALSE(picked.empty());
    EXPECT_EQ(picked[0].move, late);

    engine->history[WHITE][PAWN][H3] = 9700;
    updateKillersAndHistory(*engine, 3, late, WHITE, 20);
    EXPECT_EQ(engine->history[WHITE][PAWN][H3], 9700);
    updateKillersAndHistory(*engine, 3, late, WHITE, 17);
    EXPECT_EQ(engine->history[WHITE][PAWN][H3], 9989);
    EXPECT_EQ(engine->killers[3][0], late);
    const Move other = move("a2a3");
    updateKillersAndHistory(*engine, 3, other, WHITE, 1);
    updateKillersAndHistory(*engine, 3, other, WHITE, 1);
    EXPECT_EQ(engine->killers[3][0], other);
    EXPECT_EQ(engine->killers[3][1], late);
}

TEST(MoveOrdering, CaptureScoresAndStableSort) {
    EXPECT_EQ(captureScore(makeMove(E4, D5, PAWN, QUEEN)), 65500);
    EXPECT_EQ(captureScore(makeMove(E4, D5, QUEEN, PAWN)), 50625);
    EXPECT_EQ(captureScore(makeMove(E7, E8, PAWN, 0, QUEEN)), 65500);
    EXPECT_EQ(captureScore(makeMove(E7, D8, PAWN, ROOK, QUEEN)), 73500);
    ScoredMove entries[5] = {{1, 5}, {2, 7}, {3, 5}, {4, 9}, {5, 7}};
    sortMoves(entries, 5);
    const Move order[5] = {4, 2, 5, 1, 3};
    for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(entries[i].move, order[i]);
}

}  // namespace
