#include <algorithm>
#include <vector>

#include "board/bits.h"
#include "board/board_helpers.h"
#include "search/quietchecks.h"
#include "search_fixture.h"

namespace {

class QuiescenceTest : public SearchFixture {
protected:
    void SetUp() override {
        SearchFixture::SetUp();
        engine->limits.mode = MODE_DEPTH;
        engine->stopReason = STOP_RUNNING;
    }

    int32_t quiesce(int32_t alpha, int32_t beta, int32_t depth, int32_t ply = 1) {
        engine->limits.nodes = 0;
        Position& pos = engine->position;
        const int32_t inCheck = pos.isSquareAttacked(pos.kingSquare[pos.sideToMove], pos.otherSide);
        return engine->quiescenceSearch(alpha, beta, depth, ply, 1, inCheck);
    }
};

TEST_F(QuiescenceTest, StandPatAtOrAboveBetaReturnsAtOnce) {
    setFen("4k3/8/8/3p4/8/8/8/3QK3 w - - 0 1");
    const int32_t score = quiesce(-100, -50, 0);
    EXPECT_GE(score, -50);
    EXPECT_EQ(engine->limits.nodes, 0u);
}

TEST_F(QuiescenceTest, LosingCaptureIsNotSearchedWinningOneIs) {
    // Queen takes a pawn guarded by a pawn: skipped. Depth -1 also rules out quiet checks.
    setFen("4k3/8/2p5/3p4/8/8/8/3QK3 w - - 0 1");
    quiesce(-32000, 32000, -1);
    EXPECT_EQ(engine->limits.nodes, 0u);
    // Pawn takes queen: searched, and the score reflects the won queen.
    setFen("4k3/8/8/3q4/4P3/8/8/R3K3 w - - 0 1");
    const int32_t score = quiesce(-32000, 32000, -1);
    EXPECT_GT(score, 500);
    EXPECT_EQ(engine->pvTable[1][0], move("e4d5"));
    EXPECT_EQ(engine->pvLength[1], 1);
}

TEST_F(QuiescenceTest, HangingPieceIsTakenAndPromotionIsFound) {
    setFen("4k3/8/8/8/8/2n5/8/2R1K3 w - - 0 1");
    EXPECT_GT(quiesce(-32000, 32000, 0), 300);
    setFen("4k3/P7/8/8/8/8/8/4K3 w - - 0 1");
    EXPECT_GT(quiesce(-32000, 32000, -1), 700);
    // Only the queen promotion is searched: the quiet under-promotions are left out.
    setFen("8/P7/4k3/8/8/8/8/K7 w - - 0 1");
    EXPECT_GT(quiesce(-32000, 32000, -1), 700);
    EXPECT_EQ(engine->limits.nodes, 1u);
    EXPECT_EQ(engine->pvTable[1][0], move("a7a8q"));
}

TEST_F(QuiescenceTest, CaptureOfTheDearerPieceComesFirst) {
    // The queen's capture of the loose pawn is generated first, but the pawn takes the queen
    // first and cuts off: one node.
    setFen("4k3/8/8/3q4/4P3/p7/8/Q3K3 w - - 0 1");
    EXPECT_GE(quiesce(-32000, 300, -1), 300);
    EXPECT_EQ(engine->limits.nodes, 1u);
}

TEST_F(QuiescenceTest, InCheckWithoutEvasionIsMatedAndFailLowReturnsAlpha) {
    setFen("R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1");
    EXPECT_EQ(quiesce(-32000, 32000, 0, 3), 3 - MATE_SCORE);
    // Black in check with a king move only; no stand pat, so the window's alpha comes back.
    setFen("4k3/8/8/8/8/8/4R3/3QK3 b - - 0 1");
    EXPECT_EQ(quiesce(500, 600, 0, 3), 500);
    EXPECT_GT(engine->limits.nodes, 0u);
}

TEST_F(QuiescenceTest, QuietChecksOnlyAtFirstPly) {
    // Nothing to capture; Nf6+ and Nd6+ are quiet checks to squares no black piece covers.
    setFen("4k3/8/8/8/4N3/8/8/4K3 w - - 0 1");
    quiesce(-32000, 32000, -1);
    EXPECT_EQ(engine->limits.nodes, 0u);
    quiesce(-32000, 32000, 0);
    EXPECT_GT(engine->limits.nodes, 0u);
}

TEST_F(QuiescenceTest, FiftyMoveRuleScoresDrawUnlessMated) {
    // The FEN reader takes two digits of the counter, so the test sets it directly.
    setFen("4k3/8/8/8/8/8/4R3/3QK3 b - - 0 80");
    engine->position.rule50 = 100;
    EXPECT_EQ(quiesce(-32000, 32000, 0), 0);
    setFen("4k3/8/8/8/8/8/8/Q3K2R w - - 0 80");
    engine->position.rule50 = 100;
    EXPECT_EQ(quiesce(-32000, 32000, 0), 0);
    setFen("R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 80");
    engine->position.rule50 = 100;
    EXPECT_EQ(quiesce(-32000, 32000, 0, 3), 3 - MATE_SCORE);
}

TEST_F(QuiescenceTest, EntryScoresInsufficientMaterialAndDeepPliesAsDraw) {
    setFen("4k3/8/8/8/8/8/8/2N1K3 w - - 0 1");
    EXPECT_EQ(engine->quiescenceEntry(-32000, 32000, 0, 1, 1, 0), 0);
    setFen("4k3/8/8/8/8/8/8/2B1K3 b - - 0 1");
    EXPECT_EQ(engine->quiescenceEntry(-32000, 32000, 0, 1, 1, 0), 0);
    setFen("4k3/8/8/8/8/8/8/Q3K3 w - - 0 1");
    EXPECT_NE(engine->quiescenceEntry(-32000, 32000, 0, 1, 1, 0), 0);
    EXPECT_EQ(engine->quiescenceEntry(-32000, 32000, 0, 127, 1, 0), 0);
}

TEST_F(QuiescenceTest, StoppedSearchReturnsZero) {
    setFen("4k3/8/8/3q4/4P3/8/8/4K3 w - - 0 1");
    engine->stopReason = STOP_NORMAL;
    EXPECT_EQ(engine->quiescenceEntry(-32000, 32000, 0, 1, 1, 0), 0);
    EXPECT_EQ(engine->pvLength[1], 0);
}

class QuietCheckTest : public SearchFixture {
protected:
    std::vector<Move> checks() {
        ScoredMove out[MAX_MOVES];
        const int32_t count = generateQuietChecks(engine->position, out, MAX_MOVES);
        std::vector<Move> moves;
        for (int32_t i = 0; i < count; ++i) moves.push_back(out[i].move);
        return moves;
    }
    // Every generated move must really give check.
    void expectAllGiveCheck(const std::vector<Move>& moves) {
        Position& pos = engine->position;
        for (Move m : moves) {
            UndoRecord undo;
            pos.doMove(m, undo);
            EXPECT_TRUE(pos.isSquareAttacked(pos.kingSquare[pos.sideToMove], pos.otherSide)) << m;
            pos.undoMove(m, undo);
        }
    }
};

TEST_F(QuietCheckTest, DiscoveredChecksComeOnceAndFirst) {
    // The knight on d1 is the only piece between the rook on a1 and the black king on h1.
    setFen("4K3/8/8/8/8/8/8/R2N3k w - - 0 1");
    std::vector<Move> moves = checks();
    expectAllGiveCheck(moves);
    // Every knight move to an empty square off the rank: b2, c3, e3, f2 (f2 also checks directly).
    ASSERT_GE(moves.size(), 4u);
    for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(movePiece(moves[i]), KNIGHT);
    int32_t knightMoves = 0;
    for (Move m : moves) knightMoves += movePiece(m) == KNIGHT;
    EXPECT_EQ(knightMoves, 4);
    std::vector<Move> unique = moves;
    std::sort(unique.begin(), unique.end());
    EXPECT_EQ(std::unique(unique.begin(), unique.end()), unique.end());
}

TEST_F(QuietCheckTest, DirectChecksByEachPieceAndPawnPushes) {
    auto contains = [](const std::vector<Move>& moves, Move m) {
        return m != noMove && std::find(moves.begin(), moves.end(), m) != moves.end();
    };
    setFen("4k3/8/8/8/4N3/8/8/4K2R w - - 0 1");
    std::vector<Move> moves = checks();
    expectAllGiveCheck(moves);
    EXPECT_TRUE(contains(moves, move("h1h8")));
    EXPECT_TRUE(contains(moves, move("e4d6")));
    EXPECT_TRUE(contains(moves, move("e4f6")));
    EXPECT_FALSE(contains(moves, move("e1f2")));
    setFen("4k3/8/5P2/8/8/8/3P4/4K3 w - - 0 1");
    moves = checks();
    expectAllGiveCheck(moves);
    EXPECT_TRUE(contains(moves, move("f6f7")));
    setFen("8/8/8/4k3/8/8/3P4/4K3 w - - 0 1");
    moves = checks();
    expectAllGiveCheck(moves);
    EXPECT_TRUE(contains(moves, move("d2d4")));
    // Black pawns push the other way.
    setFen("4k3/2p5/8/8/3K4/8/8/8 b - - 0 1");
    moves = checks();
    expectAllGiveCheck(moves);
    EXPECT_TRUE(contains(moves, move("c7c5")));
    // A pawn about to promote is left to the capture generator.
    setFen("4k3/8/8/8/8/8/1p6/K7 b - - 0 1");
    EXPECT_TRUE(checks().empty());
    // Pawns on their last rank (a FEN may hold them) have nowhere to go, as checker or blocker.
    setFen("6P1/2p1p3/8/8/2b5/8/8/K3P2k w - - 0 1");
    EXPECT_TRUE(checks().empty());
    setFen("k7/8/8/8/8/8/8/R2P2Kp b - - 0 1");
    EXPECT_TRUE(checks().empty());
    setFen("RP5k/8/8/8/8/8/8/K7 w - - 0 1");
    EXPECT_TRUE(checks().empty());
}

// Along random games the generator gives every legal quiet move that checks (no capture,
// promotion or castling), each once and nothing else; the only ones left out are moves of a
// shielding piece along the line it shields, which reveal nothing.
TEST_F(QuietCheckTest, ExactlyTheQuietChecksAlongRandomGames) {
    int32_t checksSeen = 0;
    const auto compare = [&](Position& pos) {
        // The quiescence search asks only when the side to move is not in check.
        if (isInCheck(pos)) return;
        // Compared among the legal moves: a king stepping next to the other king "checks" too.
        std::vector<Move> generated, expected;
        ScoredMove list[MAX_MOVES];
        int32_t count = generateQuietChecks(pos, list, MAX_MOVES);
        for (int32_t i = 0; i < count; ++i)
            if (pos.isLegal(list[i].move)) generated.push_back(list[i].move);
        count = generateMoves(pos, list, false);
        const int32_t king = pos.kingSquare[pos.otherSide];
        for (int32_t i = 0; i < count; ++i) {
            const Move m = list[i].move;
            if (moveCaptured(m) || movePromotion(m) || isCastling(m) || isEnPassant(m) || !pos.isLegal(m)) continue;
            bool alongShieldedLine = false;
            for (Bitboard s = pos.byColour[pos.sideToMove]; s; s &= s - 1) {
                const Bitboard segment = betweenBB[king][lowestSquare(s)];
                alongShieldedLine |= (segment & squareBB[moveFrom(m)]) && (segment & squareBB[moveTo(m)]);
            }
            UndoRecord undo;
            pos.doMove(m, undo);
            const bool check = pos.isSquareAttacked(pos.kingSquare[pos.sideToMove], pos.otherSide);
            pos.undoMove(m, undo);
            if (check && !alongShieldedLine) expected.push_back(m);
        }
        checksSeen += int32_t(expected.size());
        std::sort(generated.begin(), generated.end());
        std::sort(expected.begin(), expected.end());
        ASSERT_EQ(generated, expected) << fenOf(pos);
    };
    alongRandomGames({"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
                      "r1b2rk1/ppp2ppp/2n5/3qN3/3P4/2PB4/P4PPP/R2QR1K1 w - - 0 1",
                      "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
                      "2r3k1/1q3ppp/p3p3/1p1nP3/3P4/P2B4/1P3PPP/2RQ2K1 b - - 0 25"},
                     7, 60, compare);
    EXPECT_GT(checksSeen, 100);
}

}  // namespace
