#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "eval_fixture.h"
#include "search/engine.h"
#include "search/limits.h"
#include "search/pawns.h"

namespace {

const std::vector<std::string> variedPositions = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
    // Trapped knight and bishop, blocked centre pawns.
    "r1bqkbnr/Npppppp1/p6p/8/8/8/1PPPPPPP/R1BQKBNR w KQkq - 0 1",
    "rnbqk1nr/pppp1pBp/6p1/8/8/3B4/PPPPPPPP/RN1QK1NR b KQkq - 0 1",
    "rnbqkbnr/ppp1pppp/3p4/8/8/3B4/PPPPPPPP/RN1QKBNR w KQkq - 0 1",
    // Rooks shut in by their kings on both wings.
    "rnbq1rk1/ppppbppp/5n2/4p3/4P3/5N2/PPPPBPPP/RNBQ1K1R b - - 0 1",
    "1kr2bnr/pppq1ppp/2n5/4p3/4P3/2N5/PPPQ1PPP/RK3BNR w - - 0 1",
    // King attacks, open files, rooks and queens on the seventh.
    "r1b2rk1/ppp2ppp/2n5/3qN3/3P4/2PB4/P4PPP/R2QR1K1 w - - 0 1",
    "6k1/1R3ppp/8/8/8/8/5PPP/1r4K1 w - - 0 1",
    "6k1/Q4ppp/8/8/8/8/5PPP/3r2K1 b - - 0 1",
    "r4rk1/pp3ppp/2n5/2bqN3/3P4/2P2Q2/P4PPP/R1B2RK1 b - - 0 1",
    // Knight outposts.
    "r1bqkb1r/pp3ppp/2n2n2/2ppN3/3P4/4P3/PPP2PPP/RNBQKB1R w KQkq - 0 1",
    // Passed pawns, blocked and protected.
    "8/1p3k2/4n3/3PP3/8/2K5/5P2/8 b - - 0 1",
    "4k3/8/2p5/1pP5/1P6/8/6p1/4K3 w - - 0 1",
    // Endgames: recognised, scaled and general.
    "8/8/8/8/8/2K5/8/k6R w - - 0 1",
    "8/8/3k4/3n4/8/8/2NNK3/8 w - - 0 1",
    "8/8/4k3/4n3/8/8/3RK3/8 w - - 0 1",
    "8/8/4k3/4b3/8/2P5/3RK3/8 b - - 0 1",
    "4k3/8/4K3/4P3/8/8/8/8 w - - 0 1",
    // More than the starting phase material.
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/QQBQKBNR w Kkq - 0 1",
};

class StrengthGuard {
public:
    StrengthGuard(int32_t elo, int32_t limited) : elo_(strengthElo), limited_(strengthLimited) {
        strengthElo = elo;
        strengthLimited = limited;
    }
    ~StrengthGuard() {
        strengthElo = elo_;
        strengthLimited = limited_;
    }

private:
    int32_t elo_;
    int32_t limited_;
};

}  // namespace

TEST(Evaluate, StartPositionIsTempoOnly) {
    const StrengthGuard full(2600, 0);
    Evaluator eval;
    EXPECT_EQ(eval.evaluate(positionFromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1")), 5);
    EXPECT_EQ(eval.evaluate(positionFromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1")), 5);
}

TEST(Evaluate, MirroredTwinsScoreTheSame) {
    const StrengthGuard full(2600, 0);
    std::vector<PawnHashEntry> storage(1024);
    PawnHashTable table;
    table.entries = storage.data();
    table.count = 1024;
    table.mask = 1023;
    Evaluator cached;
    cached.pawnHash = &table;
    Evaluator uncached;
    for (const std::string& fen : variedPositions) {
        const std::string twin = mirrorFen(fen);
        const Position pos = positionFromFen(fen);
        const Position mirrored = positionFromFen(twin);
        const int32_t score = uncached.evaluate(pos);
        EXPECT_EQ(uncached.evaluate(mirrored), score) << fen << " vs " << twin;
        // Miss then hit: the cache never changes a score.
        EXPECT_EQ(cached.evaluate(pos), score) << fen;
        EXPECT_EQ(cached.evaluate(pos), score) << fen;
        EXPECT_EQ(cached.evaluate(mirrored), score) << twin;
    }
}

TEST(Evaluate, StrengthNoise) {
    Evaluator eval;
    for (const std::string& fen : variedPositions) {
        const Position pos = positionFromFen(fen);
        int32_t unlimited;
        {
            const StrengthGuard full(2600, 0);
            unlimited = eval.evaluate(pos);
        }
        {
            const StrengthGuard top(2600, 1);
            EXPECT_EQ(eval.evaluate(pos), unlimited) << fen;
        }
        const StrengthGuard weakest(1000, 1);
        const int32_t noise = int32_t(pos.key % 200) - 100;
        const int32_t expected = pos.sideToMove == WHITE ? noise : -noise;
        // Recognised endgames with a final score are exempt.
        if (fen == "8/8/8/8/8/2K5/8/k6R w - - 0 1" || fen == "4k3/8/4K3/4P3/8/8/8/8 w - - 0 1")
            EXPECT_EQ(eval.evaluate(pos), unlimited) << fen;
        else
            EXPECT_EQ(eval.evaluate(pos), expected) << fen;
    }
}

TEST(Evaluate, LazyWindowEdges) {
    const StrengthGuard unlimited(2600, 0);
    Evaluator eval;
    // White is a knight up; the full score differs from the plain balance.
    const Position pos = positionFromFen("r1bqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    const int32_t m = pos.material[WHITE] - pos.material[BLACK];
    const int32_t full = eval.evaluate(pos);
    ASSERT_NE(full, m);
    EXPECT_EQ(eval.lazyEvaluate(pos, m + 325, m + 400), m);
    EXPECT_EQ(eval.lazyEvaluate(pos, m + 324, m + 400), full);
    EXPECT_EQ(eval.lazyEvaluate(pos, m - 400, m - 325), m);
    EXPECT_EQ(eval.lazyEvaluate(pos, m - 400, m - 324), full);
    EXPECT_EQ(eval.lazyEvaluate(pos, -32000, 32000), full);
    // From Black's view the balance is negated.
    const Position black = positionFromFen("r1bqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1");
    EXPECT_EQ(eval.lazyEvaluate(black, -m + 325, 32000), -m);
}

TEST(Evaluate, OddButAcceptedSetupsAreSafe) {
    const StrengthGuard full(2600, 0);
    Evaluator eval;
    // Pawns on their first or last rank, missing kings, an empty board: no fault, still symmetric.
    for (const char* fen : {"P3k3/8/8/8/8/8/8/4K2p w - - 0 1", "8/8/8/8/8/8/8/8 w - - 0 1",
                            "4k3/8/8/8/8/8/8/8 b - - 0 1", "PPPPkPPP/8/8/8/8/8/8/ppppKppp w - - 0 1",
                            "4k3/8/8/8/8/8/8/4K2P w - - 0 1"}) {
        const int32_t score = eval.evaluate(positionFromFen(fen));
        EXPECT_EQ(eval.evaluate(positionFromFen(mirrorFen(fen))), score) << fen;
    }
}

namespace {

// The blend reads the per-colour phase, so overriding it exposes the pure middle-game
// (phase 24) or end-game (phase 0) score from White's view when White is to move.
struct Blends {
    int32_t mg;
    int32_t eg;
};

Blends blendsOf(Position pos) {
    Evaluator eval;
    pos.phaseByColour[BLACK] = 12;
    pos.phaseByColour[WHITE] = 12;
    const int32_t mg = eval.evaluate(pos);
    pos.phaseByColour[BLACK] = 0;
    pos.phaseByColour[WHITE] = 0;
    return {mg, eval.evaluate(pos)};
}

}  // namespace

TEST(Evaluate, RookShutInByItsKingCostsFiftyInTheMiddleGame) {
    const StrengthGuard full(2600, 0);
    const Blends shutIn = blendsOf(positionFromFen("4k3/pppppppp/8/8/8/8/PPPPPPPP/5K1R w - - 0 1"));
    const Blends free = blendsOf(positionFromFen("4k3/pppppppp/8/8/8/8/PPPPPPPP/4K2R w - - 0 1"));
    // Besides the 50: the king's table (f1 -8, e1 0) and one more rook square (f1) worth 4.
    EXPECT_EQ(free.mg - shutIn.mg, 50 + 8 + 4);
    EXPECT_EQ(free.eg - shutIn.eg, 4);
}

TEST(Evaluate, ExtraQueensGiveTheEndgameNegativeWeight) {
    const StrengthGuard full(2600, 0);
    Evaluator eval;
    const Position pos = positionFromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/QQBQKBNR w Kkq - 0 1");
    const int32_t phase = pos.phaseByColour[BLACK] + pos.phaseByColour[WHITE];
    ASSERT_GT(phase, 24);
    const Blends b = blendsOf(pos);
    ASSERT_NE(b.mg, b.eg);
    EXPECT_EQ(eval.evaluate(pos), (phase * b.mg + (24 - phase) * b.eg) / 24);
}

TEST(Evaluate, HandCountedScores) {
    const StrengthGuard full(2600, 0);
    Evaluator eval;
    // Outposted knight (table 4/8, mobility 7 without f6, outpost 32), queen on the seventh
    // (mobility 17, +10, end-game table -16), e4 on +20, the queen hitting f7 next to the black
    // king (5 units: 16 x 1700 / 4075 = 6), both kings sheltered on g1/g8 (table 32, edge -30).
    const Position pos = positionFromFen("6k1/Q4ppp/8/3N4/4P3/8/5PPP/6K1 w - - 0 1");
    const Blends b = blendsOf(pos);
    EXPECT_EQ(b.mg, 1405 + 20 + 56 + 25 + 32 - 26);
    EXPECT_EQ(b.eg, 1405 + 60 + 9);
    // Phase 5 blends to (5 x 1512 + 19 x 1474) / 24.
    EXPECT_EQ(eval.evaluate(pos), 1481);
    EXPECT_EQ(eval.evaluate(positionFromFen(mirrorFen("6k1/Q4ppp/8/3N4/4P3/8/5PPP/6K1 w - - 0 1"))), 1481);

    // Without pawns both sides lose 50; bare kings on their back ranks lack all three shelter
    // pawns (-150), weighted by the other side's material and truncated toward zero: -50 gives
    // +1 for White, 450 gives -16 for Black. Rook: table -4, mobility 10, open file 20.
    Position krk = positionFromFen("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
    krk.phase = 9;
    const Blends r = blendsOf(krk);
    EXPECT_EQ(r.mg, 505 + 48 + 1 + 16);
    EXPECT_EQ(r.eg, 505 + 52);
}

TEST(Evaluate, ClearedEngineEvaluatesWithoutItsPawnHash) {
    const StrengthGuard full(2600, 0);
    auto engine = std::make_unique<Engine>();
    engine->init(1);
    const Position pos = positionFromFen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1");
    const int32_t cached = engine->evaluator.evaluate(pos);
    engine->clear();
    ASSERT_EQ(engine->pawnHash.entries, nullptr);
    EXPECT_EQ(engine->evaluator.evaluate(pos), cached);
    EXPECT_EQ(engine->evaluator.lazyEvaluate(pos, -32000, 32000), cached);
}
