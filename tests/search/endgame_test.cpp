#include <gtest/gtest.h>

#include <string>

#include "eval_fixture.h"
#include "search/endgame.h"
#include "search/limits.h"

namespace {

int32_t evaluateFen(const std::string& fen) {
    Evaluator eval;
    return eval.evaluate(positionFromFen(fen));
}

EndgameVerdict verdictFor(const std::string& fen) { return Evaluator::recogniseEndgame(positionFromFen(fen)); }

// Checks a final score on a position and the opposite score on its colour-mirrored twin.
void expectFinal(const std::string& fen, int32_t score) {
    const EndgameVerdict v = verdictFor(fen);
    EXPECT_TRUE(v.final) << fen;
    EXPECT_EQ(v.score, score) << fen;
    EXPECT_EQ(evaluateFen(fen), score) << fen;
    EXPECT_EQ(evaluateFen(mirrorFen(fen)), score) << mirrorFen(fen);
}

void expectScale(const std::string& fen, int32_t scale) {
    const EndgameVerdict v = verdictFor(fen);
    EXPECT_FALSE(v.final) << fen;
    EXPECT_EQ(v.scale, scale) << fen;
    const EndgameVerdict twin = verdictFor(mirrorFen(fen));
    EXPECT_FALSE(twin.final) << fen;
    EXPECT_EQ(twin.scale, scale) << fen;
}

}  // namespace

TEST(Endgame, DeadDraws) {
    expectFinal("8/8/3k4/8/8/3BK3/8/8 w - - 0 1", 0);
    expectFinal("8/8/3k4/8/8/3NK3/8/8 b - - 0 1", 0);
    expectFinal("8/8/3k4/8/8/8/4K3/8 w - - 0 1", 0);
    expectFinal("8/8/3k4/8/8/2NNK3/8/8 w - - 0 1", 0);
    expectFinal("8/8/3k4/3n4/8/8/2N1K3/8 w - - 0 1", 0);
    expectFinal("8/8/3k4/3b4/8/8/2B1K3/8 b - - 0 1", 0);
    expectFinal("8/8/3k4/3b4/8/8/2N1K3/8 w - - 0 1", 0);
}

TEST(Endgame, MatingScores) {
    // Lone king in the corner, kings a knight's jump apart: 500 + 80 + 25.
    expectFinal("8/8/8/8/8/2K5/8/k6R w - - 0 1", 605);
    expectFinal("8/8/8/8/8/2K5/8/k6R b - - 0 1", -605);
    // Lone king in the centre at distance four: 975 + 0 + 15, wherever the queen stands.
    expectFinal("7K/8/8/8/3k4/8/8/Q7 w - - 0 1", 990);
    expectFinal("7K/8/8/8/3k4/8/8/7Q w - - 0 1", 990);
    expectFinal("7K/8/8/8/3k4/8/8/7Q b - - 0 1", -990);
}

TEST(Endgame, KingAndPawnAgainstKing) {
    expectFinal("4k3/8/4K3/4P3/8/8/8/8 w - - 0 1", 132);
    expectFinal("4k3/8/4K3/4P3/8/8/8/8 b - - 0 1", -132);
    expectFinal("4K3/8/8/8/4p3/4k3/8/8 b - - 0 1", 132);
    expectFinal("4K3/8/8/8/4p3/4k3/8/8 w - - 0 1", -132);
    expectFinal("k7/8/8/8/8/8/P7/1K6 w - - 0 1", 0);
    expectFinal("k7/8/8/8/8/8/P7/1K6 b - - 0 1", 0);
    expectFinal("7k/8/8/8/P7/8/8/7K w - - 0 1", 124);
    expectFinal("7k/8/8/8/P7/8/8/7K b - - 0 1", -124);
    expectFinal("8/8/8/3k4/P7/8/8/7K w - - 0 1", 0);
    expectFinal("8/8/8/3k4/P7/8/8/7K b - - 0 1", 0);
    // Pawn on the h-file goes through the left-right mirror.
    expectFinal("k7/8/8/8/7P/8/8/K7 w - - 0 1", 124);
}

TEST(Endgame, ScaledEndings) {
    expectScale("8/8/3k4/3p4/8/8/2N1K3/8 w - - 0 1", 8);
    expectScale("8/8/3k4/3b4/8/3P4/4K3/8 w - - 0 1", 8);
    expectScale("8/8/3k4/3n4/8/8/2R1K3/8 w - - 0 1", 8);
    expectScale("8/8/3k4/3b4/8/8/2R1K3/8 b - - 0 1", 8);
    expectScale("8/8/3k4/2nn4/8/8/2NNK3/8 w - - 0 1", 2);
    expectScale("8/8/3k4/3n4/8/8/2NNK3/8 w - - 0 1", 2);
    expectScale("8/8/3k4/3b4/8/8/2NNK3/8 w - - 0 1", 2);
    expectScale("8/8/3k4/3n4/8/8/2NBK3/8 w - - 0 1", 2);
    expectScale("8/8/3k4/3b4/8/8/2NBK3/8 w - - 0 1", 2);
    expectScale("8/8/3k4/3n4/8/8/2BBK3/8 w - - 0 1", 4);
    expectScale("8/8/3k4/3b4/8/8/2BBK3/8 w - - 0 1", 4);
    // Unlisted material, or a listed pair plus pawns, is not scaled.
    expectScale("8/8/3k4/3b4/8/3P4/2R1K3/8 w - - 0 1", 32);
    expectScale("8/8/3k4/3q4/8/8/2R1K3/8 w - - 0 1", 32);
}

TEST(Endgame, ScaleShrinksTheGeneralScore) {
    Evaluator eval;
    for (const char* fen : {"8/8/3k4/3n4/8/8/2NNK3/8 w - - 0 1", "8/8/3k4/3n4/8/8/2BBK3/8 b - - 0 1",
                            "8/8/3k4/3n4/8/8/2R1K3/8 w - - 0 1"}) {
        Position pos = positionFromFen(fen);
        const int32_t scale = Evaluator::recogniseEndgame(pos).scale;
        const int32_t scaled = eval.evaluate(pos);
        // A phase above the gate skips recognition but leaves the taper (read per colour) alone.
        pos.phase = 9;
        const int32_t general = eval.evaluate(pos);
        EXPECT_EQ(scaled, scale * general / 32) << fen;
        EXPECT_NE(general, 0) << fen;
    }
}
