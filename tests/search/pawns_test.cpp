#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "eval_fixture.h"
#include "search/pawns.h"

namespace {

PawnStructure structureOf(const std::string& fen) {
    PawnStructure s;
    computePawnStructure(positionFromFen(fen), s);
    return s;
}

constexpr Bitboard bit(int32_t square) { return Bitboard(1) << square; }

struct SmallTable {
    std::vector<PawnHashEntry> storage = std::vector<PawnHashEntry>(256);
    PawnHashTable table;
    SmallTable() {
        table.entries = storage.data();
        table.count = 256;
        table.mask = 255;
    }
};

}  // namespace

TEST(PawnStructure, StartPositionIsBalanced) {
    const PawnStructure s = structureOf("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    EXPECT_EQ(s.mg, 0);
    EXPECT_EQ(s.eg, 0);
    EXPECT_EQ(s.passed[WHITE], 0u);
    EXPECT_EQ(s.passed[BLACK], 0u);
}

TEST(PawnStructure, IsolatedDoubledAndPassed) {
    // Two lone pawns far apart: both isolated and passed; the terms cancel.
    PawnStructure s = structureOf("4k3/7p/8/8/8/8/P7/4K3 w - - 0 1");
    EXPECT_EQ(s.mg, 0);
    EXPECT_EQ(s.eg, 0);
    EXPECT_EQ(s.passed[WHITE], bit(A2));
    EXPECT_EQ(s.passed[BLACK], bit(H7));

    // e2 is isolated and doubled (-30) and not passed; e4 isolated (-20), passed, table +20.
    s = structureOf("4k3/8/8/8/4P3/8/4P3/4K3 w - - 0 1");
    EXPECT_EQ(s.mg, -30);
    EXPECT_EQ(s.eg, -50);
    EXPECT_EQ(s.passed[WHITE], bit(E4));

    // Doubled but supported from the side and unopposed: -10 for the rear pawn only.
    s = structureOf("4k3/8/8/8/3PP3/4P3/8/4K3 w - - 0 1");
    EXPECT_EQ(s.passed[WHITE], bit(D4) | bit(E4));
    EXPECT_EQ(s.mg, 20 + 20 + 10 - 10);
}

TEST(PawnStructure, BackwardPawn) {
    // d4: c5 is ahead of it, so unsupported, and e6 hits d5: backward (-10) on top of its table +20.
    // c5 is passed; e6 is isolated (-20) with table +10 from Black's side.
    const PawnStructure s = structureOf("4k3/8/4p3/2P5/3P4/8/8/4K3 w - - 0 1");
    EXPECT_EQ(s.mg, 20);
    EXPECT_EQ(s.eg, 10);
    EXPECT_EQ(s.passed[WHITE], bit(C5));
    EXPECT_EQ(s.passed[BLACK], 0u);
}

TEST(PawnStructure, PassedPawnBlockedAndProtected) {
    const Position blocked = positionFromFen("k7/4n3/4P3/8/8/8/8/K7 w - - 0 1");
    PawnStructure s;
    computePawnStructure(blocked, s);
    int32_t mg = 0, eg = 0;
    scorePassedPawns(blocked, s, mg, eg);
    // 45 halved by the knight on the stop square; 90 halved plus king distances 4 - 5 + 1.
    EXPECT_EQ(mg, 23);
    EXPECT_EQ(eg, 45 + 4 - 5 + 1);

    const Position shielded = positionFromFen("k7/4n3/4P3/3P4/8/8/8/K7 w - - 0 1");
    computePawnStructure(shielded, s);
    mg = eg = 0;
    scorePassedPawns(shielded, s, mg, eg);
    // e6 gets its half back; d5 is passed too (21, unprotected).
    EXPECT_EQ(mg, 45 + 21);
}

TEST(PawnHash, CacheAgreesWithComputation) {
    SmallTable t;
    const std::vector<std::string> fens = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "4k3/8/4p3/2P5/3P4/8/8/4K3 w - - 0 1",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    };
    for (const std::string& fen : fens) {
        const Position pos = positionFromFen(fen);
        PawnStructure direct, miss, hit;
        computePawnStructure(pos, direct);
        probePawnStructure(pos, &t.table, miss);
        probePawnStructure(pos, &t.table, hit);
        for (const PawnStructure* s : {&miss, &hit}) {
            EXPECT_EQ(s->mg, direct.mg) << fen;
            EXPECT_EQ(s->eg, direct.eg) << fen;
            EXPECT_EQ(s->passed[WHITE], direct.passed[WHITE]) << fen;
            EXPECT_EQ(s->passed[BLACK], direct.passed[BLACK]) << fen;
        }
        const PawnHashEntry& e = t.table.entries[uint32_t(pos.pawnKey) & t.table.mask];
        EXPECT_EQ(e.keyLo, uint32_t(pos.pawnKey));
        EXPECT_EQ(e.keyHi, uint32_t(pos.pawnKey >> 32));
    }
}

TEST(PawnHash, SamePawnsShareAnEntryButNotThePassedBonus) {
    SmallTable t;
    Evaluator eval;
    eval.pawnHash = &t.table;
    const Position near = positionFromFen("4k3/8/8/3P4/3K4/8/8/r7 w - - 0 1");
    const Position far = positionFromFen("7k/8/8/3P4/8/8/8/K6r w - - 0 1");
    ASSERT_EQ(near.pawnKey, far.pawnKey);
    PawnStructure a, b;
    probePawnStructure(near, &t.table, a);
    probePawnStructure(far, &t.table, b);
    EXPECT_EQ(a.passed[WHITE], b.passed[WHITE]);
    int32_t mgNear = 0, egNear = 0, mgFar = 0, egFar = 0;
    scorePassedPawns(near, a, mgNear, egNear);
    scorePassedPawns(far, b, mgFar, egFar);
    EXPECT_EQ(mgNear, mgFar);
    EXPECT_NE(egNear, egFar);
}

TEST(PawnHash, OverwritesOnCollisionAndIgnoresMissingStorage) {
    SmallTable t;
    const Position a = positionFromFen("4k3/8/8/3P4/8/8/8/4K3 w - - 0 1");
    const Position b = positionFromFen("4k3/8/8/8/8/8/P7/4K3 w - - 0 1");
    PawnStructure s;
    // Force both into one slot: the second replaces the first outright.
    t.table.mask = 0;
    probePawnStructure(a, &t.table, s);
    probePawnStructure(b, &t.table, s);
    EXPECT_EQ(t.table.entries[0].keyLo, uint32_t(b.pawnKey));
    probePawnStructure(a, &t.table, s);
    EXPECT_EQ(s.passed[WHITE], bit(D5));

    PawnHashTable empty;
    probePawnStructure(a, &empty, s);
    EXPECT_EQ(s.passed[WHITE], bit(D5));
    probePawnStructure(a, nullptr, s);
    EXPECT_EQ(s.passed[WHITE], bit(D5));
}
