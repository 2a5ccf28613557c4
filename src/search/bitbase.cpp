#include "search/bitbase.h"

#include <array>
#include <cstdlib>
#include <vector>

#include "board/types.h"

namespace {

enum KpkResult : uint8_t { KPK_UNKNOWN, KPK_INVALID, KPK_DRAW, KPK_WIN };

bool pawnAttacksSquare(int32_t pawn, int32_t square) {
    if ((square >> 3) != (pawn >> 3) + 1) return false;
    return std::abs((square & 7) - (pawn & 7)) == 1;
}

// Neighbouring squares of every square, built once for the analysis.
struct KingSteps {
    int32_t count[64] = {};
    int32_t to[64][8] = {};
    KingSteps() {
        for (int32_t s = 0; s < 64; ++s)
            for (int32_t t = 0; t < 64; ++t)
                if (squareDistance(s, t) == 1) to[s][count[s]++] = t;
    }
};

// Does a queen (diagonals too) or rook on `from` attack `target`, with only `blocker` in the way?
bool sliderAttacks(int32_t from, int32_t target, int32_t blocker, bool diagonals) {
    static constexpr int32_t dirs[8][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
    const int32_t dirCount = diagonals ? 8 : 4;
    for (int32_t d = 0; d < dirCount; ++d) {
        int32_t f = (from & 7) + dirs[d][0], r = (from >> 3) + dirs[d][1];
        while (f >= 0 && f < 8 && r >= 0 && r < 8) {
            const int32_t s = r * 8 + f;
            if (s == target) return true;
            if (s == blocker) break;
            f += dirs[d][0];
            r += dirs[d][1];
        }
    }
    return false;
}

// Black to move after a promotion on `queening`: won unless the piece falls or it is stalemate.
bool promotionWins(const KingSteps& steps, int32_t wk, int32_t bk, int32_t queening, bool queen) {
    bool hasMove = false;
    for (int32_t i = 0; i < steps.count[bk]; ++i) {
        const int32_t n = steps.to[bk][i];
        if (squareDistance(n, wk) <= 1) continue;
        if (n == queening) return false;  // the new piece is taken undefended
        // The black king is no blocker on its own line: it moves off the square.
        if (!sliderAttacks(queening, n, wk, queen)) hasMove = true;
    }
    if (hasMove) return true;
    return sliderAttacks(queening, bk, wk, queen);  // mate wins, stalemate draws
}

KpkResult classify(const std::vector<uint8_t>& results, const KingSteps& steps, uint32_t index) {
    const int32_t bk = int32_t(index & 63);
    const int32_t wk = int32_t((index >> 6) & 63);
    const int32_t pawnCode = int32_t((index >> 12) & 31);
    const int32_t pawn = (pawnCode >> 2) * 8 + (pawnCode & 3);
    const bool whiteToMove = (index >> 17) & 1;

    if (whiteToMove) {
        bool allKnown = true;
        for (int32_t i = 0; i < steps.count[wk]; ++i) {
            const int32_t n = steps.to[wk][i];
            if (n == pawn || squareDistance(n, bk) <= 1) continue;
            const uint8_t child = results[kpkIndex(bk, n, pawn, 0)];
            if (child == KPK_WIN) return KPK_WIN;
            if (child == KPK_UNKNOWN) allKnown = false;
        }
        const int32_t push = pawn + 8;
        if (push != wk && push != bk) {
            if ((push >> 3) == 7) {
                if (promotionWins(steps, wk, bk, push, true) || promotionWins(steps, wk, bk, push, false))
                    return KPK_WIN;
            } else {
                const uint8_t child = results[kpkIndex(bk, wk, push, 0)];
                if (child == KPK_WIN) return KPK_WIN;
                if (child == KPK_UNKNOWN) allKnown = false;
                const int32_t doublePush = pawn + 16;
                if ((pawn >> 3) == 1 && doublePush != wk && doublePush != bk) {
                    const uint8_t child2 = results[kpkIndex(bk, wk, doublePush, 0)];
                    if (child2 == KPK_WIN) return KPK_WIN;
                    if (child2 == KPK_UNKNOWN) allKnown = false;
                }
            }
        }
        return allKnown ? KPK_DRAW : KPK_UNKNOWN;
    }

    bool allKnown = true;
    bool hasMove = false;
    for (int32_t i = 0; i < steps.count[bk]; ++i) {
        const int32_t n = steps.to[bk][i];
        if (squareDistance(n, wk) <= 1 || pawnAttacksSquare(pawn, n)) continue;
        if (n == pawn) return KPK_DRAW;  // undefended pawn taken
        hasMove = true;
        const uint8_t child = results[kpkIndex(n, wk, pawn, 1)];
        if (child == KPK_DRAW) return KPK_DRAW;
        if (child == KPK_UNKNOWN) allKnown = false;
    }
    if (!hasMove) return pawnAttacksSquare(pawn, bk) ? KPK_WIN : KPK_DRAW;
    return allKnown ? KPK_WIN : KPK_UNKNOWN;
}

bool isLegalPlacement(uint32_t index) {
    const int32_t bk = int32_t(index & 63);
    const int32_t wk = int32_t((index >> 6) & 63);
    const int32_t pawnCode = int32_t((index >> 12) & 31);
    const int32_t pawnRank = pawnCode >> 2;
    const int32_t pawn = pawnRank * 8 + (pawnCode & 3);
    const bool whiteToMove = (index >> 17) & 1;
    if (pawnRank < 1 || pawnRank > 6) return false;
    if (wk == bk || wk == pawn || bk == pawn || squareDistance(wk, bk) <= 1) return false;
    // The side not to move may not stand in check.
    return !(whiteToMove && pawnAttacksSquare(pawn, bk));
}

std::array<uint32_t, KPK_INDEX_COUNT / 32> buildBitbase() {
    const KingSteps steps;
    std::vector<uint8_t> results(KPK_INDEX_COUNT, KPK_UNKNOWN);
    std::vector<uint32_t> pending;
    pending.reserve(KPK_INDEX_COUNT);
    for (uint32_t i = 0; i < uint32_t(KPK_INDEX_COUNT); ++i) {
        if (isLegalPlacement(i))
            pending.push_back(i);
        else
            results[i] = KPK_INVALID;
    }

    // Sweep until nothing changes; what stays unknown can never be forced to a win.
    bool changed = true;
    while (changed) {
        changed = false;
        size_t kept = 0;
        for (const uint32_t i : pending) {
            const KpkResult r = classify(results, steps, i);
            if (r == KPK_UNKNOWN) {
                pending[kept++] = i;
            } else {
                results[i] = r;
                changed = true;
            }
        }
        pending.resize(kept);
    }

    std::array<uint32_t, KPK_INDEX_COUNT / 32> bits{};
    for (uint32_t i = 0; i < uint32_t(KPK_INDEX_COUNT); ++i)
        if (results[i] == KPK_WIN) bits[i >> 5] |= 1u << (i & 31);
    return bits;
}

}  // namespace

const uint32_t* kpkBitbase() {
    static const std::array<uint32_t, KPK_INDEX_COUNT / 32> bits = buildBitbase();
    return bits.data();
}

int32_t kpkProbe(int32_t defendingKing, int32_t attackingKing, int32_t pawnSquare, int32_t attackerToMove) {
    const uint32_t index = kpkIndex(defendingKing & 63, attackingKing & 63, pawnSquare & 63, attackerToMove & 1);
    return int32_t((kpkBitbase()[index >> 5] >> (index & 31)) & 1);
}
