// Coordinate and long algebraic move text, and building moves from text.
#include <gtest/gtest.h>

#include <string>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/movegen.h"
#include "board/notation.h"

namespace {

class NotationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { initAttackTables(); }

    Position load(const char* fen, int32_t chess960 = 0) {
        Position position;
        position.reset();
        position.chess960 = chess960;
        EXPECT_EQ(parseFen(position, fen), 1) << fen;
        return position;
    }

    static std::string coordinate(Move move, int32_t chess960 = 0) {
        char buffer[8];
        formatMove(move, chess960, buffer);
        return buffer;
    }

    static std::string longAlgebraic(Move move) {
        char buffer[16];
        moveToLongAlgebraic(move, buffer);
        return buffer;
    }
};

}  // namespace

TEST_F(NotationTest, CoordinateText) {
    EXPECT_EQ(coordinate(makeMove(E2, E4, PAWN, 0, 0, MOVE_DOUBLE_PUSH)), "e2e4");
    EXPECT_EQ(coordinate(makeMove(E7, E8, PAWN, 0, QUEEN)), "e7e8q");
    EXPECT_EQ(coordinate(makeMove(B2, A1, PAWN, ROOK, KNIGHT)), "b2a1n");
    EXPECT_EQ(coordinate(noMove), "0000");
    const Move whiteShort = makeMove(E1, H1, KING, 0, 0, MOVE_CASTLING);
    const Move blackLong = makeMove(E8, A8, KING, 0, 0, MOVE_CASTLING);
    EXPECT_EQ(coordinate(whiteShort), "e1g1");
    EXPECT_EQ(coordinate(whiteShort, 1), "e1h1");
    EXPECT_EQ(coordinate(blackLong), "e8c8");
    EXPECT_EQ(coordinate(blackLong, 1), "e8a8");
    // A rook off the corner prints as its own square.
    EXPECT_EQ(coordinate(makeMove(F1, G1, KING, 0, 0, MOVE_CASTLING)), "f1g1");
}

TEST_F(NotationTest, MoveListText) {
    Position position = load("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    char buffer[MOVE_TEXT_STRIDE * 4 + 1];
    formatMoveList(position, nullptr, 0, buffer);
    EXPECT_STREQ(buffer, "");
    const Move moves[] = {makeMove(E2, E4, PAWN), makeMove(E7, E8, PAWN, 0, QUEEN),
                          makeMove(E1, H1, KING, 0, 0, MOVE_CASTLING), makeMove(G1, F3, KNIGHT)};
    formatMoveList(position, moves, 4, buffer);
    EXPECT_STREQ(buffer, "e2e4 e7e8q e1g1 g1f3");
    position.chess960 = 1;
    formatMoveList(position, moves + 2, 1, buffer);
    EXPECT_STREQ(buffer, "e1h1");
}

TEST_F(NotationTest, LongAlgebraicText) {
    EXPECT_EQ(longAlgebraic(noMove), "");
    EXPECT_EQ(longAlgebraic(makeMove(E2, E4, PAWN, 0, 0, MOVE_DOUBLE_PUSH)), "e2-e4");
    EXPECT_EQ(longAlgebraic(makeMove(G1, F3, KNIGHT)), "Ng1-f3");
    EXPECT_EQ(longAlgebraic(makeMove(E5, D6, PAWN, PAWN, 0, MOVE_EN_PASSANT)), "e5xd6e.p");
    EXPECT_EQ(longAlgebraic(makeMove(E7, E8, PAWN, 0, QUEEN)), "e7-e8=Q");
    EXPECT_EQ(longAlgebraic(makeMove(B7, A8, PAWN, ROOK, KNIGHT)), "b7xa8=N");
    EXPECT_EQ(longAlgebraic(makeMove(D1, D7, QUEEN, BISHOP)), "Qd1xd7");
    EXPECT_EQ(longAlgebraic(makeMove(E1, H1, KING, 0, 0, MOVE_CASTLING)), "O-O");
    EXPECT_EQ(longAlgebraic(makeMove(E8, A8, KING, 0, 0, MOVE_CASTLING)), "O-O-O");
    EXPECT_EQ(longAlgebraic(makeMove(B1, C1, KING, 0, 0, MOVE_CASTLING)), "O-O");
}

TEST_F(NotationTest, ParsedMovesMatchGeneratedWords) {
    // Every legal move, written as text and read back, yields the generator's own word.
    const char* fens[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
        "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 1",
        "r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1",
    };
    for (const char* fen : fens) {
        Position position = load(fen);
        ScoredMove moves[MAX_MOVES];
        const int32_t count = generateLegalMoves(position, moves, isInCheck(position));
        ASSERT_GT(count, 0);
        for (int32_t i = 0; i < count; i++) {
            char text[8];
            formatMove(moves[i].move, 0, text);
            EXPECT_EQ(parseMoveText(position, text), moves[i].move) << fen << " " << text;
        }
    }
}

TEST_F(NotationTest, Chess960CastlingText) {
    // King on b1 with rooks on a1 and c1: castling is written king takes rook.
    Position position = load("1k6/8/8/8/8/8/8/RKR5 w AC - 0 1", 1);
    const Move queenSide = parseMoveText(position, "b1a1");
    EXPECT_TRUE(isCastling(queenSide));
    EXPECT_EQ(moveTo(queenSide), A1);
    EXPECT_TRUE(isCastling(parseMoveText(position, "b1c1")));
    EXPECT_EQ(parseMoveText(position, "O-O"), parseMoveText(position, "b1c1"));
    EXPECT_EQ(parseMoveText(position, "O-O-O"), queenSide);
    EXPECT_EQ(coordinate(queenSide, 1), "b1a1");
}

TEST_F(NotationTest, MalformedTextGivesNoMove) {
    Position position = load("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    const char* texts[] = {"", "e", "e2", "e2e", "i2e4", "e9e4", "E2E4", "e2e4Q", "e2e4k", "e3e4", "e7e5", "O"};
    for (const char* text : texts) EXPECT_EQ(parseMoveText(position, text), noMove) << text;
    EXPECT_EQ(parseSquare("h8"), H8);
    EXPECT_EQ(parseSquare("a1"), A1);
    EXPECT_EQ(parseSquare("a"), -1);
    EXPECT_EQ(parseSquare("\xe1\x31"), -1);
    // Castling text without a king and rook in place is no move at all.
    Position bare = load("4k3/8/8/8/8/8/8/3K4 w - - 0 1");
    EXPECT_EQ(parseMoveText(bare, "O-O"), noMove);
    EXPECT_EQ(parseMoveText(bare, "O-O-O"), noMove);
}

TEST_F(NotationTest, PrintBoardDiagram) {
    Position position = load("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
    testing::internal::CaptureStdout();
    position.printBoard();
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string frame = "|---|---|---|---|---|---|---|---|\n";
    const std::string expected = frame + "| r | n | b | q | k | b | n | r |\n" + frame +
                                 "| p | p | p | p | p | p | p | p |\n" + frame +
                                 "|   |   |   |   |   |   |   |   |\n" + frame +
                                 "|   |   |   |   |   |   |   |   |\n" + frame +
                                 "|   |   |   |   | P |   |   |   |\n" + frame +
                                 "|   |   |   |   |   |   |   |   |\n" + frame +
                                 "| P | P | P | P |   | P | P | P |\n" + frame +
                                 "| R | N | B | Q | K | B | N | R |\n" + frame + "Black to play\n";
    EXPECT_EQ(out, expected);
}
