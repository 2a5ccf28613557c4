#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "board/types.h"
#include "search/bitbase.h"

namespace {

// Probes with the attacker's pawn on any file, mirroring e-h onto a-d as the evaluation does.
int32_t wins(int32_t defender, int32_t attacker, int32_t pawn, int32_t attackerToMove) {
    if (fileOf(pawn) > 3) {
        defender ^= 7;
        attacker ^= 7;
        pawn ^= 7;
    }
    return kpkProbe(defender, attacker, pawn, attackerToMove);
}

int32_t distance(int32_t a, int32_t b) {
    return std::max(std::abs(fileOf(a) - fileOf(b)), std::abs(rankOf(a) - rankOf(b)));
}

}  // namespace

TEST(KpkBitbase, KnownPositions) {
    // King in front of its pawn with the opposition: won whoever moves.
    EXPECT_EQ(wins(E8, E6, E5, 1), 1);
    EXPECT_EQ(wins(E8, E6, E5, 0), 1);
    // Rook pawn with the defender in the corner: drawn.
    EXPECT_EQ(wins(A8, B1, A2, 1), 0);
    EXPECT_EQ(wins(A8, B1, A2, 0), 0);
    // Lone king outside the square of the pawn.
    EXPECT_EQ(wins(H8, H1, A4, 1), 1);
    EXPECT_EQ(wins(H8, H1, A4, 0), 1);
    EXPECT_EQ(wins(D5, H1, A4, 1), 0);
    EXPECT_EQ(wins(D5, H1, A4, 0), 0);
    // Kings in opposition in front of a centre pawn: the side not to move loses it.
    EXPECT_EQ(wins(E7, E5, E4, 1), 0);
    EXPECT_EQ(wins(E7, E5, E4, 0), 1);
    // Promotion square covered only by the defender, who can take the new queen.
    EXPECT_EQ(wins(B7, H1, A7, 1), 0);
    // Pawn on the seventh shielded by its own king: promotes.
    EXPECT_EQ(wins(E5, B8, B7, 1), 1);
}

TEST(KpkBitbase, StalemateDraws) {
    // Black to move with no legal move and not in check.
    EXPECT_EQ(wins(A8, B6, A7, 0), 0);
    // White to move boxed in behind its own rook pawn.
    EXPECT_EQ(wins(C7, A8, A7, 1), 0);
    // Queening at once would stalemate, but the rook promotion (or a waiting move) still wins.
    EXPECT_EQ(wins(A7, C5, C7, 1), 1);
}

TEST(KpkBitbase, AgreesWithRuleOfTheSquare) {
    // Attacking king far away on h1: the rook pawn queens exactly when the lone king is outside
    // its square (counted from the double step on the second rank) and draws when inside.
    int32_t checked = 0;
    for (int32_t pawnRank = 1; pawnRank <= 6; ++pawnRank) {
        const int32_t pawn = pawnRank * 8;
        const int32_t movesToQueen = 7 - std::max(pawnRank, 2);
        for (int32_t defender = 0; defender < 64; ++defender) {
            if (defender == pawn || distance(defender, H1) <= 1 || rankOf(defender) <= pawnRank) continue;
            const int32_t reach = distance(defender, A8);
            for (int32_t toMove = 0; toMove <= 1; ++toMove) {
                if (toMove == 1 && fileOf(defender) == 1 && rankOf(defender) == pawnRank + 1) continue;
                const int32_t tempo = toMove ? 0 : 1;
                const bool inside = reach - tempo <= movesToQueen;
                EXPECT_EQ(wins(defender, H1, pawn, toMove), inside ? 0 : 1)
                    << "defender " << defender << " pawn " << pawn << " to move " << toMove;
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 300);
}
