// Engine object lifecycle, FEN wrapper and playing moves from text.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "board/fen.h"
#include "board/zobrist.h"
#include "search/engine.h"
#include "search/pawns.h"

namespace {

constexpr const char* START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

struct RecordingListener : SearchListener {
    std::vector<std::string> infoStrings;
    void onInfoString(const char* text) override { infoStrings.emplace_back(text); }
};

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine = std::make_unique<Engine>();
        engine->init(1);
        engine->newGame();
        engine->listener = &listener;
    }

    std::string fen() const {
        char buffer[128];
        engine->getFen(buffer);
        return buffer;
    }

    std::unique_ptr<Engine> engine;
    RecordingListener listener;
};

bool pawnHashIsZero(const PawnHashTable& table) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(table.entries);
    const size_t size = size_t(table.count) * sizeof(PawnHashEntry);
    for (size_t i = 0; i < size; i++)
        if (bytes[i] != 0) return false;
    return true;
}

}  // namespace

TEST(EngineObject, ConstructionDefaults) {
    auto engine = std::make_unique<Engine>();
    EXPECT_EQ(engine->listener, &engine->defaultListener);
    EXPECT_EQ(engine->defaultListener.engine, nullptr);
    EXPECT_EQ(engine->multiPv, 1);
    EXPECT_EQ(engine->pvLines.lineCount, 1);
    EXPECT_EQ(engine->limits.mode, MODE_MOVE_TIME);
    EXPECT_EQ(engine->limits.timeBudget, 20u);
    EXPECT_EQ(engine->gameHistoryCapacity, 512);
    EXPECT_EQ(engine->gameHistoryCount, 0);
    EXPECT_EQ(engine->keyHistoryCount, 0);
    EXPECT_EQ(engine->pawnHash.block, nullptr);
    EXPECT_EQ(engine->perft.engine, nullptr);
    EXPECT_EQ(engine->perft.position, nullptr);
}

TEST(EngineObject, NewGameResetsLimitsAndGame) {
    auto engine = std::make_unique<Engine>();
    engine->init(1);
    engine->newGame();
    engine->multiPv = 3;
    engine->limits.ponderEnabled = 1;
    engine->limits.maxDepth = 20;
    engine->limits.mode = MODE_INFINITE;
    ASSERT_EQ(engine->playMoveList("e2e4 e7e5"), 1);
    engine->newGame();
    EXPECT_EQ(engine->limits.maxDepth, 8);
    EXPECT_EQ(engine->limits.timeBudget, 7500u);
    EXPECT_EQ(engine->limits.baseTime, 300000);
    EXPECT_EQ(engine->limits.clock[BLACK], 300000.0f);
    EXPECT_EQ(engine->limits.clock[WHITE], 300000.0f);
    EXPECT_EQ(engine->limits.mode, MODE_MOVE_TIME);
    EXPECT_EQ(engine->gameHistoryCount, 0);
    EXPECT_EQ(engine->keyHistoryCount, 0);
    EXPECT_EQ(engine->lastMove, noMove);
    // Settings chosen by the user survive a new game.
    EXPECT_EQ(engine->multiPv, 3);
    EXPECT_EQ(engine->limits.ponderEnabled, 1);
    Position start;
    start.reset();
    start.setStartPosition();
    EXPECT_EQ(engine->position.key, start.key);
}

TEST(EngineObject, ReductionTable) {
    auto engine = std::make_unique<Engine>();
    engine->init(1);
    int32_t largest = 0;
    for (int32_t i = 0; i < 64; i++) {
        EXPECT_EQ(lmrReduction[0][i], 0);
        EXPECT_EQ(lmrReduction[1][i], 0);
        EXPECT_EQ(lmrReduction[i][0], 0);
        EXPECT_EQ(lmrReduction[i][1], 0);
        for (int32_t j = 0; j < 64; j++) largest = std::max(largest, lmrReduction[i][j]);
    }
    EXPECT_EQ(largest, 6);
    EXPECT_EQ(lmrReduction[63][63], 6);
    EXPECT_EQ(lmrReduction[2][8], 0);
    EXPECT_EQ(lmrReduction[2][9], 1);
    EXPECT_EQ(lmrReduction[4][2], 0);
    EXPECT_EQ(lmrReduction[4][3], 1);
    EXPECT_EQ(lmrReduction[4][25], 1);
    EXPECT_EQ(lmrReduction[4][26], 2);
    EXPECT_EQ(lmrReduction[16][2], 1);
    EXPECT_EQ(lmrReduction[16][5], 1);
    EXPECT_EQ(lmrReduction[16][6], 2);
    EXPECT_EQ(lmrReduction[16][14], 2);
    EXPECT_EQ(lmrReduction[16][15], 3);
    EXPECT_EQ(lmrReduction[16][44], 3);
    EXPECT_EQ(lmrReduction[16][45], 4);
}

TEST(EngineObject, InitTwiceGivesFreshPawnHash) {
    auto engine = std::make_unique<Engine>();
    engine->init(1);
    ASSERT_NE(engine->pawnHash.entries, nullptr);
    EXPECT_EQ(engine->pawnHash.count, 65536u);
    EXPECT_EQ(engine->pawnHash.mask, 0xFFFFu);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(engine->pawnHash.entries) % 64, 0u);
    EXPECT_EQ(engine->evaluator.pawnHash, &engine->pawnHash);
    EXPECT_EQ(engine->perft.engine, engine.get());
    EXPECT_EQ(engine->perft.position, &engine->position);
    engine->pawnHash.entries[12].mg = 77;
    engine->init(1);
    ASSERT_NE(engine->pawnHash.entries, nullptr);
    EXPECT_TRUE(pawnHashIsZero(engine->pawnHash));
}

TEST(EngineObject, ClearIsSafeRepeatedAndBeforeInit) {
    auto never = std::make_unique<Engine>();
    never->clear();
    never->clear();

    auto engine = std::make_unique<Engine>();
    engine->init(1);
    engine->newGame();
    engine->limits.ponderEnabled = 1;
    engine->limits.pondering = 1;
    engine->searching = 1;
    engine->clear();
    EXPECT_EQ(engine->stopReason, STOP_ABORTED);
    EXPECT_EQ(engine->limits.ponderEnabled, 0);
    EXPECT_EQ(engine->limits.pondering, 0);
    EXPECT_EQ(engine->pawnHash.block, nullptr);
    EXPECT_EQ(engine->pawnHash.entries, nullptr);
    EXPECT_EQ(engine->tt.block, nullptr);
    EXPECT_EQ(engine->perft.position, nullptr);
    EXPECT_EQ(engine->position.occupied, 0u);
    engine->clear();
    // Without its hash tables the engine still plays a game and searches.
    engine->searching = 0;
    engine->newGame();
    ASSERT_EQ(engine->playMoveList("e2e4 e7e5"), 1);
    engine->limits.mode = MODE_DEPTH;
    engine->limits.maxDepth = 3;
    engine->think();
    EXPECT_NE(engine->lastMove, noMove);
    engine->clear();
    // A cleared engine can be brought back.
    engine->searching = 0;
    engine->init(1);
    engine->newGame();
    EXPECT_NE(engine->pawnHash.entries, nullptr);
}

TEST_F(EngineTest, FenRoundTrips) {
    const char* fens[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 0",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 0",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 0",
        "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 0",
        "rnbqkbnr/pppp1ppp/8/8/3Pp3/8/PPP1PPPP/RNBQKBNR b KQkq d3 0 0",
        "4k3/8/8/8/8/8/8/4K2R w K - 37 0",
        "r3k3/8/8/8/8/8/8/4K3 b q - 99 0",
    };
    for (const char* text : fens) {
        ASSERT_EQ(engine->setFen(text), 1) << text;
        EXPECT_EQ(fen(), text);
    }
}

TEST_F(EngineTest, StartFenMatchesStartPosition) {
    ASSERT_EQ(engine->setFen(START_FEN), 1);
    Position start;
    start.reset();
    start.setStartPosition();
    EXPECT_EQ(engine->position.key, start.key);
    EXPECT_EQ(engine->position.castlingRights, 15);
    EXPECT_EQ(fen(), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 0");
}

TEST_F(EngineTest, FenLastFieldCountsGameMoves) {
    ASSERT_EQ(engine->setFen(START_FEN), 1);
    ASSERT_EQ(engine->playMoveList("e2e4 e7e5 g1f3"), 1);
    EXPECT_EQ(fen(), "rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 1 3");
}

TEST_F(EngineTest, CastlingLettersAndFileLettersAgree) {
    ASSERT_EQ(engine->setFen(START_FEN), 1);
    const uint64_t key = engine->position.key;
    for (const char* rights : {"HAha", "AHah", "KQkq", "KAhq"}) {
        const std::string text = std::string("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w ") + rights + " - 0 1";
        ASSERT_EQ(engine->setFen(text.c_str()), 1) << rights;
        EXPECT_EQ(engine->position.castlingRights, 15) << rights;
        EXPECT_EQ(engine->position.key, key) << rights;
    }
    ASSERT_EQ(engine->setFen("4k3/8/8/8/8/8/8/R3K2R w H - 0 1"), 1);
    EXPECT_EQ(engine->position.castlingRights, 1);
    EXPECT_EQ(engine->position.castleRookKingSide[WHITE], H1);
    ASSERT_EQ(engine->setFen("4k3/8/8/8/8/8/8/R3K2R w A - 0 1"), 1);
    EXPECT_EQ(engine->position.castlingRights, 2);
    EXPECT_EQ(engine->position.castleRookQueenSide[WHITE], A1);
}

TEST_F(EngineTest, Chess960FenKeepsInnerCastlingRook) {
    engine->position.chess960 = 1;
    // Two white rooks on the king side: the file letter picks the inner one on f1.
    const char* text = "r3k3/8/8/8/8/8/8/1R2KR1R w Fq - 0 0";
    ASSERT_EQ(engine->setFen(text), 1);
    EXPECT_EQ(engine->position.castleRookKingSide[WHITE], F1);
    EXPECT_EQ(fen(), text);
    EXPECT_EQ(engine->playMoveList("e1f1"), 1);
    EXPECT_TRUE(isCastling(engine->lastMove));
    EXPECT_EQ(moveTo(engine->lastMove), F1);
}

TEST_F(EngineTest, RejectedFenLeavesGameUntouched) {
    ASSERT_EQ(engine->setFen(START_FEN), 1);
    ASSERT_EQ(engine->playMoveList("e2e4 c7c5"), 1);
    const std::string before = fen();
    const uint64_t key = engine->position.key;
    const int32_t history = engine->gameHistoryCount;
    const int32_t keys = engine->keyHistoryCount;
    const Move last = engine->lastMove;
    const char* bad[] = {
        "",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBN",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq - 0 1",
        "rnbqkbnr/pppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR/8 w KQkq - 0 1",
        "rnbqkbnr/ppppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq e3 0 1",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQ",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkx - 0 1",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq \xff 0 1",
        "\xe9nbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "QQQQQQQQ/QQQQQQQQ/QQQQQQQQ/8/8/8/8/K6k w - - 0 1",
        "PPPPPPPP/PPPPPPPP/8/8/8/8/8/K6k w - - 0 1",
    };
    for (const char* text : bad) {
        EXPECT_EQ(engine->setFen(text), 0) << text;
        EXPECT_EQ(fen(), before) << text;
        EXPECT_EQ(engine->position.key, key);
        EXPECT_EQ(engine->gameHistoryCount, history);
        EXPECT_EQ(engine->keyHistoryCount, keys);
        EXPECT_EQ(engine->lastMove, last);
    }
    EXPECT_EQ(engine->setFen(nullptr), 0);
}

TEST_F(EngineTest, FenSetResetsHistories) {
    ASSERT_EQ(engine->playMoveList("e2e4 e7e5"), 1);
    ASSERT_EQ(engine->setFen("4k3/8/8/8/8/8/8/4K3 w - -"), 1);
    EXPECT_EQ(engine->gameHistoryCount, 0);
    EXPECT_EQ(engine->keyHistoryCount, 0);
    EXPECT_EQ(engine->lastMove, noMove);
}

TEST_F(EngineTest, PlayMoveListBasics) {
    EXPECT_EQ(engine->playMoveList(""), 1);
    EXPECT_EQ(engine->gameHistoryCount, 0);
    EXPECT_EQ(engine->playMoveList("  e2e4   e7e5  g1f3  "), 1);
    EXPECT_EQ(engine->gameHistoryCount, 3);
    EXPECT_EQ(engine->keyHistoryCount, 3);
    EXPECT_EQ(moveFrom(engine->lastMove), G1);
    EXPECT_TRUE(listener.infoStrings.empty());
}

TEST_F(EngineTest, RefusedMoveStopsListAndKeepsEarlierMoves) {
    EXPECT_EQ(engine->playMoveList("e2e4 e7e5 e1e3 d2d4"), 0);
    EXPECT_EQ(engine->gameHistoryCount, 2);
    ASSERT_EQ(listener.infoStrings.size(), 1u);
    EXPECT_EQ(listener.infoStrings[0], "Illegal move: e1e3");
}

TEST_F(EngineTest, MalformedMoveTextIsRefusedWithReport) {
    struct Case {
        const char* list;
        const char* report;
    } cases[] = {
        {"e2", "Illegal move: e2"},
        {"e2e", "Illegal move: e2e"},
        {"i2i4", "Illegal move: i2i4"},
        {"e0e4", "Illegal move: e0e4"},
        {"e2e4x", "Illegal move: e2e4x"},
        {"e2e5", "Illegal move: e2e5"},
        {"e7e5", "Illegal move: e7e5"},
        {"O-O", "Illegal move: O-O"},
        {"O-O-O", "Illegal move: O-O-O"},
        {"e1g1", "Illegal move: e1g1"},
        {"a2a1q", "Illegal move: a2a1q"},
        {"Ox", "Illegal move: Ox"},
    };
    for (const Case& c : cases) {
        listener.infoStrings.clear();
        const uint64_t key = engine->position.key;
        EXPECT_EQ(engine->playMoveList(c.list), 0) << c.list;
        ASSERT_EQ(listener.infoStrings.size(), 1u) << c.list;
        EXPECT_EQ(listener.infoStrings[0], c.report);
        EXPECT_EQ(engine->position.key, key);
        EXPECT_EQ(engine->gameHistoryCount, 0);
        EXPECT_EQ(engine->keyHistoryCount, 0);
    }
    const char* texts[] = {"", "e", "e2", "e2e", "z9z9", "Oh", "e2e4Q", "O-O", "e2e5"};
    for (const char* text : texts) {
        EXPECT_EQ(engine->playMoveText(text), 0) << text;
        EXPECT_EQ(engine->gameHistoryCount, 0);
    }
    // Characters after the fourth are ignored unless the text is exactly five long.
    EXPECT_EQ(engine->playMoveText("e2e4 trailing"), 1);
}

TEST_F(EngineTest, PromotionText) {
    ASSERT_EQ(engine->setFen("8/P6k/8/8/8/8/8/K7 w - - 0 1"), 1);
    EXPECT_EQ(engine->playMoveList("a7a8Q"), 0);
    EXPECT_EQ(engine->playMoveText("a7a8Q"), 0);
    EXPECT_EQ(engine->playMoveText("a7a8"), 0);
    EXPECT_EQ(engine->gameHistoryCount, 0);
    EXPECT_EQ(engine->playMoveList("a7a8q"), 1);
    EXPECT_EQ(movePromotion(engine->lastMove), QUEEN);
    EXPECT_EQ(engine->position.board[A8], QUEEN);
    ASSERT_EQ(engine->setFen("8/P6k/8/8/8/8/8/K7 w - - 0 1"), 1);
    EXPECT_EQ(engine->playMoveText("a7a8n"), 1);
    EXPECT_EQ(engine->position.board[A8], KNIGHT);
}

TEST_F(EngineTest, CastlingTextStandard) {
    ASSERT_EQ(engine->setFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1"), 1);
    EXPECT_EQ(engine->playMoveList("e1g1"), 1);
    EXPECT_TRUE(isCastling(engine->lastMove));
    EXPECT_EQ(moveTo(engine->lastMove), H1);
    EXPECT_EQ(engine->position.board[G1], KING);
    EXPECT_EQ(engine->position.board[F1], ROOK);
    EXPECT_EQ(engine->playMoveText("O-O-O"), 1);
    EXPECT_TRUE(isCastling(engine->lastMove));
    EXPECT_EQ(engine->position.board[C8], KING);
    EXPECT_EQ(engine->position.board[D8], ROOK);

    ASSERT_EQ(engine->setFen("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1"), 1);
    EXPECT_EQ(engine->playMoveList("O-O O-O-O"), 1);
    EXPECT_EQ(engine->position.board[G8], KING);
    EXPECT_EQ(engine->position.board[C1], KING);
}

TEST_F(EngineTest, CastlingTextWithChess960Flag) {
    engine->position.chess960 = 1;
    ASSERT_EQ(engine->setFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1"), 1);
    EXPECT_EQ(engine->playMoveList("e1g1"), 0);
    EXPECT_EQ(engine->playMoveList("e1h1"), 1);
    EXPECT_TRUE(isCastling(engine->lastMove));
    EXPECT_EQ(engine->position.board[G1], KING);
}

TEST_F(EngineTest, CastlingTextWithoutRightIsNeverAPlainMove) {
    // No rights: e1g1 must not become a king move onto the rook square.
    ASSERT_EQ(engine->setFen("4k3/8/8/8/8/8/8/4K2R w - - 0 1"), 1);
    EXPECT_EQ(engine->playMoveList("e1g1"), 0);
    EXPECT_EQ(engine->playMoveText("O-O"), 0);
    EXPECT_EQ(engine->playMoveText("O-O-O"), 0);
    EXPECT_EQ(engine->position.board[E1], KING);
    EXPECT_EQ(engine->position.board[H1], ROOK);
    // Path blocked.
    ASSERT_EQ(engine->setFen("4k3/8/8/8/8/8/8/4KB1R w K - 0 1"), 1);
    EXPECT_EQ(engine->playMoveText("O-O"), 0);
    EXPECT_EQ(engine->playMoveList("e1g1"), 0);
    // A promotion letter does not ride along on castling text.
    ASSERT_EQ(engine->setFen("4k3/8/8/8/8/8/8/4K2R w K - 0 1"), 1);
    EXPECT_EQ(engine->playMoveList("e1g1q"), 0);
    EXPECT_EQ(engine->playMoveText("e1g1q"), 0);
    EXPECT_EQ(engine->position.board[E1], KING);
    // Chess960 start with the flag off: b1c1 names the queen-side castling square; with no
    // queen-side right it is refused, neither a step to c1 nor a capture on a1.
    ASSERT_EQ(engine->setFen("4k3/8/8/8/8/8/8/nK5R w H - 0 1"), 1);
    listener.infoStrings.clear();
    EXPECT_EQ(engine->playMoveList("b1c1"), 0);
    ASSERT_EQ(listener.infoStrings.size(), 1u);
    EXPECT_EQ(listener.infoStrings[0], "Illegal move: b1c1");
    EXPECT_EQ(engine->position.board[B1], KING);
    EXPECT_EQ(engine->position.board[A1], KNIGHT);
    EXPECT_EQ(engine->playMoveList("b1g1"), 1);
    EXPECT_TRUE(isCastling(engine->lastMove));
    EXPECT_EQ(engine->position.board[G1], KING);
    EXPECT_EQ(engine->position.board[F1], ROOK);
    // A king already on g1 may still step to h1 when that is a plain move.
    ASSERT_EQ(engine->setFen("4k3/8/8/8/8/8/8/6K1 w - - 0 1"), 1);
    EXPECT_EQ(engine->playMoveList("g1h1"), 1);
}

TEST_F(EngineTest, MoveLeavingKingInCheckRestoresState) {
    ASSERT_EQ(engine->setFen("4k3/8/8/8/8/8/4r3/4K3 w - - 0 1"), 1);
    const uint64_t key = engine->position.key;
    EXPECT_EQ(engine->playMoveText("e1f2"), 0);
    EXPECT_EQ(engine->position.key, key);
    EXPECT_EQ(engine->keyHistoryCount, 0);
    EXPECT_EQ(engine->gameHistoryCount, 0);
    EXPECT_EQ(engine->playMoveText("e1e2"), 1);
    EXPECT_EQ(moveCaptured(engine->lastMove), ROOK);
}

TEST_F(EngineTest, EnPassantFromText) {
    ASSERT_EQ(engine->setFen(START_FEN), 1);
    ASSERT_EQ(engine->playMoveList("e2e4 a7a6 e4e5 d7d5 e5d6"), 1);
    EXPECT_TRUE(isEnPassant(engine->lastMove));
    EXPECT_EQ(engine->position.board[D5], NO_PIECE);
}

TEST_F(EngineTest, LongGamesGrowTheHistories) {
    std::string moves;
    for (int32_t i = 0; i < 300; i++) moves += "g1f3 g8f6 f3g1 f6g8 ";
    ASSERT_EQ(engine->playMoveList(moves.c_str()), 1);
    EXPECT_EQ(engine->gameHistoryCount, 1200);
    EXPECT_EQ(engine->keyHistoryCount, 1200);
    EXPECT_GE(engine->gameHistoryCapacity, 1200);
    Position start;
    start.reset();
    start.setStartPosition();
    EXPECT_EQ(engine->position.key, start.key);
    EXPECT_EQ(engine->keyHistory[1199], engine->gameHistory[1199].key);
    const char* shuffle[] = {"b1c3", "b8c6", "c3b1", "c6b8"};
    for (int32_t i = 0; i < 400; i++) ASSERT_EQ(engine->playMoveText(shuffle[i % 4]), 1) << i;
    EXPECT_EQ(engine->gameHistoryCount, 1600);
    EXPECT_EQ(engine->keyHistoryCount, 1600);
}

// The position's keys equal a recount from its pieces, and its FEN reads back into the same
// position (the same FEN and key).
::testing::AssertionResult agreesWithRecount(const Engine& engine) {
    const Position& pos = engine.position;
    if (pos.key != computeKey(pos)) return ::testing::AssertionFailure() << "key differs from a recount";
    if (pos.pawnKey != computePawnKey(pos)) return ::testing::AssertionFailure() << "pawn key differs";
    char fen[FEN_BUFFER_SIZE];
    engine.getFen(fen);
    Position reread;
    reread.reset();
    if (!parseFen(reread, fen)) return ::testing::AssertionFailure() << "own FEN refused: " << fen;
    char again[FEN_BUFFER_SIZE];
    writeFen(reread, engine.gameHistoryCount, again);
    if (std::strcmp(fen, again) != 0) return ::testing::AssertionFailure() << fen << " reads back as " << again;
    if (reread.key != pos.key) return ::testing::AssertionFailure() << "key of the FEN differs: " << fen;
    return ::testing::AssertionSuccess();
}

TEST_F(EngineTest, IllegalPositionsStayConsistentThroughEveryVerb) {
    // Positions the reader accepts although they are not chess.
    const char* odd[] = {
        "8/8/8/8/8/8/8/8 w - - 0 1",
        "4k3/8/8/8/8/8/8/8 w - - 0 1",
        "P3k3/8/8/8/8/8/8/4K2p w - - 0 1",
        "4k3/8/8/8/8/8/8/R3K2r w Q - 0 1",
        "kK6/8/8/8/8/8/8/8 w - - 0 1",
    };
    for (const char* text : odd) {
        SCOPED_TRACE(text);
        ASSERT_EQ(engine->setFen(text), 1);
        EXPECT_TRUE(agreesWithRecount(*engine));
        engine->playMoveList("e1e2 a1a2 h1g1 O-O-O");
        EXPECT_TRUE(agreesWithRecount(*engine));
        engine->playMoveText("O-O");
        EXPECT_TRUE(agreesWithRecount(*engine));
        while (engine->undoLastMove()) EXPECT_TRUE(agreesWithRecount(*engine));
    }
}
