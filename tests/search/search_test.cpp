#include <cstring>
#include <string>

#include "board/movegen.h"
#include "search_fixture.h"

namespace {

class AlphaBetaTest : public SearchFixture {
protected:
    void SetUp() override {
        SearchFixture::SetUp();
        prepare();
    }

    // The state a search starts from: no limit that could stop it, fresh tables.
    void prepare() {
        engine->limits.mode = MODE_DEPTH;
        engine->limits.pondering = 0;
        engine->limits.nodes = 0;
        engine->limits.seldepth = 0;
        engine->limits.checkCounter = 0;
        engine->stopReason = STOP_RUNNING;
        engine->tt.clear();
        std::memset(engine->killers, 0, sizeof engine->killers);
        std::memset(engine->history, 0, sizeof engine->history);
    }

    int32_t searchAt(int32_t plies, int32_t ply = 1, int32_t alpha = -MATE_SCORE, int32_t beta = MATE_SCORE) {
        return engine->search(alpha, beta, 4 * plies, ply, 1, 1, isInCheck(engine->position));
    }

    std::string fen() const {
        char buffer[128];
        engine->getFen(buffer);
        return buffer;
    }
};

TEST_F(AlphaBetaTest, InsufficientMaterialIsDrawnAtOnce) {
    setFen("4k3/8/8/8/8/8/8/2N1K3 w - - 0 1");
    EXPECT_EQ(searchAt(3), 0);
    EXPECT_EQ(engine->limits.nodes, 0u);
    setFen("4k3/8/8/8/8/8/8/2B1K3 b - - 0 1");
    EXPECT_EQ(searchAt(3), 0);
    setFen("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
    EXPECT_GT(searchAt(3), 300);
}

TEST_F(AlphaBetaTest, FiftyMoveRuleExceptForMate) {
    setFen("R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 80");
    engine->position.rule50 = 100;
    EXPECT_EQ(searchAt(2, 3), 3 - MATE_SCORE);
    setFen("R5k1/6pp/8/8/8/8/8/6K1 b - - 0 80");
    engine->position.rule50 = 100;
    EXPECT_EQ(searchAt(2), 0);
}

TEST_F(AlphaBetaTest, RepetitionSinceLastIrreversibleMoveIsDrawn) {
    setFen("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
    ASSERT_EQ(engine->playMoveList("a1a2 e8d8 a2a1 d8e8"), 1);
    EXPECT_EQ(engine->position.rule50, 4);
    EXPECT_EQ(searchAt(3), 0);
    // With only three reversible moves no earlier key is compared.
    prepare();
    engine->position.rule50 = 3;
    EXPECT_GT(searchAt(3), 300);
}

TEST_F(AlphaBetaTest, MateDistanceBoundsCutHopelessWindows) {
    setFen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1");
    EXPECT_EQ(engine->search(31996, 32000, 8, 5, 1, 0, 0), 31996);
    EXPECT_EQ(engine->limits.nodes, 0u);
}

TEST_F(AlphaBetaTest, MateStalemateAndCheckmateScores) {
    setFen("6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1");
    EXPECT_EQ(searchAt(2), MATE_SCORE - 2);
    EXPECT_EQ(engine->pvTable[1][0], move("a1a8"));
    prepare();
    setFen("R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1");
    EXPECT_EQ(searchAt(1, 3), -31997);
    prepare();
    setFen("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1");
    EXPECT_EQ(searchAt(2), 0);
}

TEST_F(AlphaBetaTest, EntryGuardsPlyLimitAndStop) {
    setFen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1");
    EXPECT_EQ(engine->searchEntry(-100, 100, 8, 127, 1, 1, 0), 0);
    EXPECT_EQ(engine->limits.nodes, 0u);
    engine->stopReason = STOP_NORMAL;
    EXPECT_EQ(engine->searchEntry(-100, 100, 8, 1, 1, 1, 0), 0);
    EXPECT_EQ(engine->limits.nodes, 0u);
}

TEST_F(AlphaBetaTest, SearchLeavesThePositionAndHistoriesAsFound) {
    const char* fens[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "rnbqkb1r/pp1p1ppp/4pn2/2pP4/2P5/8/PP2PPPP/RNBQKBNR w KQkq e6 0 4",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    };
    for (const char* text : fens) {
        prepare();
        setFen(text);
        const std::string before = fen();
        const uint64_t key = engine->position.key;
        const uint64_t pawnKey = engine->position.pawnKey;
        searchAt(4);
        EXPECT_EQ(fen(), before);
        EXPECT_EQ(engine->position.key, key);
        EXPECT_EQ(engine->position.pawnKey, pawnKey);
        EXPECT_EQ(engine->keyHistoryCount, 0);
        EXPECT_GT(engine->limits.nodes, 0u);
    }
}

TEST_F(AlphaBetaTest, PrincipalVariationIsALegalLine) {
    setFen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1");
    searchAt(4);
    const int32_t length = engine->pvLength[1];
    ASSERT_GT(length, 0);
    Position& pos = engine->position;
    UndoRecord undo[MAX_PLY];
    for (int32_t i = 0; i < length; ++i) {
        ScoredMove legal[MAX_MOVES];
        const int32_t count = generateLegalMoves(pos, legal, isInCheck(pos));
        bool found = false;
        for (int32_t j = 0; j < count; ++j) found |= legal[j].move == engine->pvTable[1][i];
        ASSERT_TRUE(found) << "move " << i << " of the line is not legal";
        pos.doMove(engine->pvTable[1][i], undo[i]);
    }
    for (int32_t i = length - 1; i >= 0; --i) pos.undoMove(engine->pvTable[1][i], undo[i]);
}

TEST_F(AlphaBetaTest, SameSearchTwiceGivesSameNodesAndScore) {
    const char* text = "rnbqkb1r/pp1p1ppp/4pn2/2pP4/2P5/8/PP2PPPP/RNBQKBNR w KQkq e6 0 4";
    setFen(text);
    const int32_t first = searchAt(5);
    const uint64_t nodes = engine->limits.nodes;
    prepare();
    setFen(text);
    EXPECT_EQ(searchAt(5), first);
    EXPECT_EQ(engine->limits.nodes, nodes);
}

TEST_F(AlphaBetaTest, NullMoveAndReductionSwitchesChangeTheTree) {
    const char* text = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";
    setFen(text);
    searchAt(5);
    const uint64_t full = engine->limits.nodes;
    prepare();
    setFen(text);
    engine->limits.nullMoveEnabled = 0;
    engine->limits.lmrEnabled = 0;
    searchAt(5);
    EXPECT_NE(engine->limits.nodes, full);
}

TEST_F(AlphaBetaTest, StrengthLimitSkipsMovesOnlyBelowFullStrength) {
    const char* text = "rnbqkb1r/pp1p1ppp/4pn2/2pP4/2P5/8/PP2PPPP/RNBQKBNR w KQkq e6 0 4";
    setFen(text);
    searchAt(4);
    const uint64_t unlimited = engine->limits.nodes;

    const int32_t savedElo = strengthElo;
    const int32_t savedLimited = strengthLimited;
    strengthLimited = 1;
    strengthElo = 2600;
    prepare();
    setFen(text);
    searchAt(4);
    EXPECT_EQ(engine->limits.nodes, unlimited);
    strengthElo = 1000;
    prepare();
    setFen(text);
    searchAt(4);
    EXPECT_NE(engine->limits.nodes, unlimited);
    strengthElo = savedElo;
    strengthLimited = savedLimited;
}

TEST_F(AlphaBetaTest, NodeLimitStopsTheSearchAndItUnwindsWithZero) {
    setFen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1");
    const std::string before = fen();
    engine->limits.mode = MODE_NODES;
    engine->limits.nodeLimit = 500;
    EXPECT_EQ(searchAt(8), 0);
    EXPECT_EQ(engine->stopReason, STOP_NORMAL);
    // Futility-pruned moves are counted without a stop test, so one node may overshoot a little.
    EXPECT_GE(engine->limits.nodes, 500u);
    EXPECT_LT(engine->limits.nodes, 500u + MAX_MOVES);
    EXPECT_EQ(fen(), before);
    EXPECT_EQ(engine->keyHistoryCount, 0);
}

TEST_F(AlphaBetaTest, FailHighOnQuietMoveUpdatesKillersAndHistory) {
    // Black is a queen up but Ra8 mates; no pruning rule cuts first, so the rook move fails high.
    setFen("6k1/5ppp/8/7q/8/8/5PPP/R5K1 w - - 0 1");
    const int32_t score = engine->search(0, 1, 8, 1, 1, 0, 0);
    EXPECT_GE(score, 1);
    const Move cut = move("a1a8");
    EXPECT_EQ(engine->killers[1][0], cut);
    EXPECT_GT(engine->history[WHITE][ROOK][A8], 0);
}

}  // namespace
