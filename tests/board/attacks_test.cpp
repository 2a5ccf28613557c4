// Attack tables against a plain ray walk, attack test, move validity and static exchange.
#include <algorithm>
#include <random>
#include <set>

#include "board_helpers.h"

namespace {

Bitboard slowSlider(int32_t sq, Bitboard occupancy, bool rook) {
    const int32_t dirs[2][4][2] = {{{1, 1}, {1, -1}, {-1, 1}, {-1, -1}}, {{1, 0}, {-1, 0}, {0, 1}, {0, -1}}};
    Bitboard result = 0;
    for (const auto& d : dirs[rook]) {
        for (int32_t r = rankOf(sq) + d[0], f = fileOf(sq) + d[1]; r >= 0 && r < 8 && f >= 0 && f < 8;
             r += d[0], f += d[1]) {
            result |= 1ULL << (r * 8 + f);
            if (occupancy & (1ULL << (r * 8 + f))) break;
        }
    }
    return result;
}

}  // namespace

TEST(AttackTables, SliderLookupMatchesRayWalk) {
    ensureAttackTables();
    std::mt19937_64 rng(7);
    for (int32_t sq = 0; sq < 64; ++sq) {
        for (int32_t i = 0; i < 300; ++i) {
            const Bitboard occupancy = rng() & rng();
            ASSERT_EQ(bishopAttacks(sq, occupancy), slowSlider(sq, occupancy, false)) << sq;
            ASSERT_EQ(rookAttacks(sq, occupancy), slowSlider(sq, occupancy, true)) << sq;
        }
        EXPECT_EQ(bishopRays[sq], slowSlider(sq, 0, false)) << sq;
        EXPECT_EQ(rookRays[sq], slowSlider(sq, 0, true)) << sq;
    }
    EXPECT_EQ(std::popcount(rookAttacks(A1, 0)), 14);
    EXPECT_EQ(std::popcount(bishopAttacks(D4, 0)), 13);
    EXPECT_EQ(rookAttacks(A1, 1ULL << A2) & fileMask[0], 1ULL << A2);
    // The last square's block ends exactly at the end of each table.
    EXPECT_EQ(bishopMagicEntries[63].attacks - bishopAttackTable + (1 << (32 - bishopShift[63])), 5248);
    EXPECT_EQ(rookMagicEntries[63].attacks - rookAttackTable + (1 << (32 - rookShift[63])), 102400);
}

TEST(AttackTables, FixedRowsAndSmallTables) {
    ensureAttackTables();
    EXPECT_EQ(bishopMagicMask[A1], 0x0040201008040200ULL);
    EXPECT_EQ(bishopMagicMask[D4], 0x0040221400142200ULL);
    EXPECT_EQ(rookMagicMask[A1], 0x000101010101017EULL);
    EXPECT_EQ(rookMagicMask[H8], 0x7E80808080808000ULL);
    EXPECT_EQ(bishopMagic[D4], 0x0401000210052210ULL);
    EXPECT_EQ(rookMagic[H8], 0x001424D11000409BULL);
    EXPECT_EQ(bishopShift[D4], 23);
    EXPECT_EQ(rookShift[D4], 22);
    EXPECT_EQ(betweenBB[A1][H8], 0x0040201008040200ULL);
    EXPECT_EQ(betweenBB[A1][B3], 0u);
    EXPECT_EQ(betweenBB[E1][E2], 0u);
    EXPECT_EQ(betweenBB[E1][E8], betweenBB[E8][E1]);
    EXPECT_EQ(pawnAttacks[WHITE][H2], 1ULL << G3);
    EXPECT_EQ(pawnAttacks[BLACK][A7], 1ULL << B6);
    EXPECT_EQ(pawnAttacks[WHITE][A8], 0u);
    EXPECT_EQ(std::popcount(knightAttacks[A1]), 2);
    EXPECT_EQ(std::popcount(kingAttacks[E4]), 8);
    EXPECT_EQ(diagonalMask[A1], 0x8040201008040201ULL);
    EXPECT_EQ(antiDiagonalMask[H1], 0x0102040810204080ULL);
}

TEST(AttackTest, QueenFoundOnBothLines) {
    const Position diagonal = loadFen("4k3/8/8/8/8/8/1q6/4K3 w - - 0 1");
    EXPECT_EQ(diagonal.isSquareAttacked(C1, BLACK), 1);
    EXPECT_EQ(diagonal.isSquareAttacked(B8, BLACK), 1);
    EXPECT_EQ(diagonal.isSquareAttacked(H2, BLACK), 1);
    EXPECT_EQ(diagonal.isSquareAttacked(D4, WHITE), 0);
    const Position blocked = loadFen("4k3/8/8/8/8/2N5/1q2P3/4K3 w - - 0 1");
    EXPECT_EQ(blocked.isSquareAttacked(C3, BLACK), 1);
    EXPECT_EQ(blocked.isSquareAttacked(D4, BLACK), 0);
    EXPECT_EQ(blocked.isSquareAttacked(E2, BLACK), 1);
    EXPECT_EQ(blocked.isSquareAttacked(F2, BLACK), 0);
}

// On random boards of both colours the attack test finds exactly the attackers a plain
// search over every piece finds.
TEST(AttackTest, AgreesWithAPlainAttackerSearch) {
    ensureAttackTables();
    std::mt19937_64 rng(41);
    for (int32_t board = 0; board < 400; ++board) {
        Position p;
        p.reset();
        for (int32_t sq = 0; sq < 64; ++sq) {
            if (rng() % 3 != 0) continue;
            const int32_t colour = int32_t(rng() % 2), type = PAWN + int32_t(rng() % 6);
            p.pieces[colour][type] |= 1ULL << sq;
            p.byColour[colour] |= 1ULL << sq;
            p.occupied |= 1ULL << sq;
            p.board[sq] = uint8_t(type);
        }
        for (int32_t sq = 0; sq < 64; ++sq) {
            for (int32_t colour = BLACK; colour <= WHITE; ++colour) {
                const Bitboard* own = p.pieces[colour];
                const bool expected = (pawnAttacks[colour ^ 1][sq] & own[PAWN]) || (knightAttacks[sq] & own[KNIGHT]) ||
                                      (slowSlider(sq, p.occupied, false) & (own[BISHOP] | own[QUEEN])) ||
                                      (slowSlider(sq, p.occupied, true) & (own[ROOK] | own[QUEEN])) ||
                                      (kingAttacks[sq] & own[KING]);
                ASSERT_EQ(p.isSquareAttacked(sq, colour), expected) << board << " " << sq << " " << colour;
            }
        }
    }
}

// Every move word a generator could produce here is accepted, every other word refused.
TEST(MoveValidity, AcceptsExactlyTheGeneratedWords) {
    const char* fens[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
        "rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 1",
        "bqnb1rkr/pp3ppp/3ppn2/2p5/5P2/P2P4/NPP1P1PP/BQ1BNRKR w HFhf - 2 9",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    };
    std::mt19937 rng(99);
    for (const char* fen : fens) {
        Position p = loadFen(fen);
        std::set<Move> pool;
        for (int32_t game = 0; game < 8; ++game) {
            Position walk = p;
            for (int32_t ply = 0; ply < 40; ++ply) {
                ScoredMove list[MAX_MOVES];
                int32_t n = generateCaptures(walk, list);
                n += generateQuiets(walk, list + n, MAX_MOVES - n);
                const std::set<Move> generated = [&] {
                    std::set<Move> s;
                    for (int32_t i = 0; i < n; ++i) s.insert(list[i].move);
                    return s;
                }();
                for (int32_t i = 0; i < n; ++i) {
                    const Move m = list[i].move;
                    pool.insert(m);
                    // Mutations: other flags, promotions, captured types, from-squares.
                    pool.insert(m ^ MOVE_DOUBLE_PUSH);
                    pool.insert(m ^ MOVE_EN_PASSANT);
                    pool.insert(m ^ MOVE_CASTLING);
                    pool.insert(m ^ (Move(QUEEN) << 18));
                    pool.insert(m ^ (Move(rng() % 8) << 15));
                    pool.insert(m ^ Move(rng() % 64));
                    pool.insert(m | (1u << 24));
                }
                for (Move m : pool)
                    ASSERT_EQ(walk.isPseudoLegal(m), generated.count(m) ? 1 : 0)
                        << fen << " ply " << ply << " move " << std::hex << m;
                if (!playRandomLegalMove(walk, rng)) break;
            }
        }
    }
}

TEST(MoveValidity, CastlingChecks) {
    const Move whiteShort = makeMove(E1, H1, KING, 0, 0, MOVE_CASTLING);
    EXPECT_EQ(loadFen("4k3/8/8/8/8/8/8/4K2R w K - 0 1").isPseudoLegal(whiteShort), 1);
    EXPECT_EQ(loadFen("4k3/8/8/8/8/8/8/4K2R w - - 0 1").isPseudoLegal(whiteShort), 0);
    EXPECT_EQ(loadFen("4k3/8/8/8/8/8/8/4K1NR w K - 0 1").isPseudoLegal(whiteShort), 0);
    EXPECT_EQ(loadFen("4r1k1/8/8/8/8/8/8/4K2R w K - 0 1").isPseudoLegal(whiteShort), 0);
    Position moved = loadFen("4k3/8/8/8/8/8/8/4K2R w K - 0 1");
    moved.pieces[WHITE][ROOK] = 0;  // the rook is gone while the right stayed
    EXPECT_EQ(moved.isPseudoLegal(whiteShort), 0);
    // Chess960: king already on g1, f1 empty and g1 safe.
    EXPECT_EQ(loadFen("4k3/8/8/8/8/8/8/6KR w H - 0 1").isPseudoLegal(makeMove(G1, H1, KING, 0, 0, MOVE_CASTLING)), 1);
    EXPECT_EQ(loadFen("4k3/8/8/8/8/8/8/5NKR w H - 0 1").isPseudoLegal(makeMove(G1, H1, KING, 0, 0, MOVE_CASTLING)), 0);
    // A stale capture whose target changed type, or whose piece left.
    const Position p = loadFen("4k3/8/8/3n4/8/8/8/3RK3 w - - 0 1");
    EXPECT_EQ(p.isPseudoLegal(makeMove(D1, D5, ROOK, KNIGHT)), 1);
    EXPECT_EQ(p.isPseudoLegal(makeMove(D1, D5, ROOK, BISHOP)), 0);
    EXPECT_EQ(p.isPseudoLegal(makeMove(D1, D5, QUEEN, KNIGHT)), 0);
    EXPECT_EQ(p.isPseudoLegal(noMove), 0);
    // Never a capture of the king.
    EXPECT_EQ(loadFen("3k4/8/8/8/8/8/8/3RK3 w - - 0 1").isPseudoLegal(makeMove(D1, D8, ROOK, KING)), 0);
}

// Stored words that no generator could produce here are refused, even when the target squares fit.
TEST(MoveValidity, RefusesWordsNoGeneratorWrites) {
    const Position ep = loadFen("4k3/8/8/3pP3/8/3pP3/8/4K3 w - d6 0 1");
    EXPECT_EQ(ep.isPseudoLegal(makeMove(E5, D6, PAWN, PAWN, 0, MOVE_EN_PASSANT)), 1);
    EXPECT_EQ(ep.isPseudoLegal(makeMove(E3, D4, PAWN, PAWN, 0, MOVE_EN_PASSANT)), 0);   // wrong rank
    const Position farPawn = loadFen("4k3/8/8/3p4/8/8/4P3/4K3 w - d6 0 1");
    EXPECT_EQ(farPawn.isPseudoLegal(makeMove(E2, D6, PAWN, PAWN, 0, MOVE_EN_PASSANT)), 0); // no attack on d6
    const Position noVictim = loadFen("4k3/8/8/4P3/8/8/8/4K3 w - d6 0 1");
    EXPECT_EQ(noVictim.isPseudoLegal(makeMove(E5, D6, PAWN, PAWN, 0, MOVE_EN_PASSANT)), 0);

    const Position pushes = loadFen("4k3/8/8/8/8/4P3/3P4/4K3 w - - 0 1");
    EXPECT_EQ(pushes.isPseudoLegal(makeMove(D2, D4, PAWN, 0, 0, MOVE_DOUBLE_PUSH)), 1);
    EXPECT_EQ(pushes.isPseudoLegal(makeMove(E3, E5, PAWN, 0, 0, MOVE_DOUBLE_PUSH)), 0);  // not the start rank
    EXPECT_EQ(pushes.isPseudoLegal(makeMove(D2, D4, PAWN)), 0);                          // flag missing

    const Position promotions = loadFen("7k/4P3/2P5/8/8/8/8/4K3 w - - 0 1");
    EXPECT_EQ(promotions.isPseudoLegal(makeMove(E7, E8, PAWN, 0, QUEEN)), 1);
    EXPECT_EQ(promotions.isPseudoLegal(makeMove(E7, E8, PAWN)), 0);
    EXPECT_EQ(promotions.isPseudoLegal(makeMove(E7, E8, PAWN, 0, KING)), 0);
    EXPECT_EQ(promotions.isPseudoLegal(makeMove(C6, C7, PAWN)), 1);
    EXPECT_EQ(promotions.isPseudoLegal(makeMove(C6, C7, PAWN, 0, QUEEN)), 0);

    // h3 "takes" a5 only by wrapping round the board edge.
    const Position wrap = loadFen("4k3/8/8/n7/8/7P/8/4K3 w - - 0 1");
    EXPECT_EQ(wrap.isPseudoLegal(makeMove(H3, A5, PAWN, KNIGHT)), 0);

    const Position flags = loadFen("4k3/8/8/8/8/8/8/R3K1N1 w Q - 0 1");
    EXPECT_EQ(flags.isPseudoLegal(makeMove(G1, F3, KNIGHT)), 1);
    EXPECT_EQ(flags.isPseudoLegal(makeMove(G1, F3, KNIGHT, 0, 0, MOVE_DOUBLE_PUSH)), 0);
    EXPECT_EQ(flags.isPseudoLegal(makeMove(E1, A1, KING, 0, 0, MOVE_CASTLING)), 1);
    EXPECT_EQ(flags.isPseudoLegal(makeMove(A1, D1, ROOK, 0, 0, MOVE_CASTLING)), 0);
    EXPECT_EQ(flags.isPseudoLegal(makeMove(E1, E2, KING, 0, 0, MOVE_EN_PASSANT)), 0);
    EXPECT_EQ(flags.isPseudoLegal(makeMove(E1, E2, KING, 0, QUEEN)), 0);
}

namespace {

// The exchange is evaluated for pseudo-legal moves too (a king taking a guarded piece).
Move findPseudoLegalMove(const Position& p, int32_t from, int32_t to) {
    ScoredMove list[MAX_MOVES];
    const int32_t n = generateMoves(p, list, isInCheck(p));
    for (int32_t i = 0; i < n; ++i)
        if (moveFrom(list[i].move) == from && moveTo(list[i].move) == to) return list[i].move;
    return noMove;
}

}  // namespace

// Exact exchange values; the loss test must agree with their sign.
TEST(StaticExchange, HandMadeExchanges) {
    struct Case {
        const char* fen;
        int32_t from, to;
        int32_t expected;
    };
    const Case cases[] = {
        {"4k3/8/8/3n4/4P3/8/8/4K3 w - - 0 1", E4, D5, 325},          // undefended knight
        {"4k3/8/2p5/3p4/4P3/8/8/4K3 w - - 0 1", E4, D5, 0},          // pawn for pawn
        {"4k3/8/2p5/3p4/8/8/8/3QK3 w - - 0 1", D1, D5, -875},        // queen for pawn
        {"4k3/8/2p5/3n4/4K3/8/8/8 w - - 0 1", E4, D5, 325 - 5000},   // king takes defended piece
        {"4k3/3r4/8/3p4/8/8/3R4/3RK3 w - - 0 1", D2, D5, 100},       // the rook behind counts (x-ray)
        {"3rk3/3r4/8/3p4/8/8/3R4/3RK3 w - - 0 1", D2, D5, -400},     // doubled rooks on both sides
        {"4k3/8/2p5/3p4/4P3/5B2/8/4K3 w - - 0 1", E4, D5, 100},      // bishop behind the pawn
        {"4k3/8/8/8/8/1p6/8/2B1K3 w - - 0 1", C1, D2, 0},            // quiet move to a safe square
        {"4k3/8/8/2p5/8/8/8/3RK3 w - - 0 1", D1, D4, -500},          // quiet move onto a pawn's target
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", E5, D6, 100},          // en passant
        {"1r2k3/P7/8/8/8/8/8/4K3 w - - 0 1", A7, B8, 500},           // promotion adds nothing
        {"3r2k1/8/5n2/3p4/8/1B6/3Q4/3R2K1 w - - 0 1", B3, D5, -225}, // rook hidden behind the queen
        {"4k3/8/4p3/3p4/2Q5/1B6/8/4K3 w - - 0 1", C4, D5, -775},     // bishop revealed behind the queen
        {"3qk3/3r4/8/8/3P4/8/8/3RK3 b - - 0 1", D7, D4, 100},        // Black: queen behind the rook
        {"3rk3/8/8/3pP3/8/8/8/3RK3 w - d6 0 1", E5, D6, 100},        // the pawn taken en passant unmasks d1
        // Exchanges the loss test settles from the defenders alone, and some it must not.
        {"4k3/8/2p5/3p4/8/8/8/3RK3 w - - 0 1", D1, D5, -400},        // pawn-guarded pawn taken by a rook
        {"4k3/8/5n2/3p4/8/8/8/3QK3 w - - 0 1", D1, D5, -875},        // knight-guarded pawn taken by the queen
        {"4k3/8/5n2/3p4/8/1B6/8/3RK3 w - - 0 1", B3, D5, 100},       // knight-guarded, the rook behind wins it back
        {"4k3/8/5n2/3p4/8/1B6/8/4K3 w - - 0 1", B3, D5, -225},       // knight-guarded, bishop for pawn
        {"7k/8/8/3p4/8/8/8/3QK3 w - - 0 1", D1, D5, 100},            // nothing of Black's can reach d5
        {"3rk3/8/8/3p4/8/8/8/3QK3 w - - 0 1", D1, D5, -875},         // defended only along the file
        {"4k3/8/4b3/3p4/8/8/8/3RK3 w - - 0 1", D1, D5, -400},        // bishop-guarded pawn taken by a rook
        {"4k3/5b2/4P3/3p4/8/8/8/3RK3 w - - 0 1", D1, D5, 100},       // the bishop's guard is blocked
        {"4k3/8/8/8/8/1n6/8/3QK3 w - - 0 1", D1, D2, -650},          // quiet move onto a knight's target
    };
    for (const Case& c : cases) {
        Position p = loadFen(c.fen);
        const Move move = findPseudoLegalMove(p, c.from, c.to);
        ASSERT_NE(move, noMove) << c.fen;
        EXPECT_EQ(p.see(move), c.expected) << c.fen;
        EXPECT_EQ(p.isLosingExchange(move), c.expected < 0) << c.fen;
    }
}

namespace {

// The swap algorithm with every lookup made (no lookup skipped for want of sliders on the
// target's lines), as the reference the exchange evaluation must always agree with.
int32_t plainSee(const Position& p, Move move) {
    constexpr int32_t flags[8] = {0, 1, 0, 1, 2, 3, 0, 0};
    const int32_t target = moveTo(move), moving = movePiece(move);
    const Bitboard diagonal = p.pieces[0][BISHOP] | p.pieces[0][QUEEN] | p.pieces[1][BISHOP] | p.pieces[1][QUEEN];
    const Bitboard straight = p.pieces[0][ROOK] | p.pieces[0][QUEEN] | p.pieces[1][ROOK] | p.pieces[1][QUEEN];
    Bitboard attackers = (kingAttacks[target] & (p.pieces[0][KING] | p.pieces[1][KING])) |
                         (pawnAttacks[BLACK][target] & p.pieces[WHITE][PAWN]) |
                         (pawnAttacks[WHITE][target] & p.pieces[BLACK][PAWN]) |
                         (knightAttacks[target] & (p.pieces[0][KNIGHT] | p.pieces[1][KNIGHT])) |
                         (bishopAttacks(target, p.occupied) & diagonal) | (rookAttacks(target, p.occupied) & straight);
    Bitboard occupancy = p.occupied & ~(1ULL << moveFrom(move));
    if (isEnPassant(move)) occupancy &= ~(1ULL << (target + epCaptureOffset[p.sideToMove]));
    if (flags[moving] & 1) attackers |= bishopAttacks(target, occupancy) & diagonal;
    if (moving == PAWN || (flags[moving] & 2)) attackers |= rookAttacks(target, occupancy) & straight;
    attackers &= occupancy;
    int32_t gain[40] = {isEnPassant(move) ? seeValue[PAWN] : seeValue[moveCaptured(move)]};
    int32_t side = p.otherSide, onSquare = moving, depth = 1;
    while (attackers && depth < 40) {
        int32_t type = PAWN;
        while (type <= KING && !(attackers & p.pieces[side][type])) ++type;
        if (type > KING) break;
        const Bitboard candidates = attackers & p.pieces[side][type];
        occupancy &= ~(candidates & (~candidates + 1));
        if (flags[type] & 1) attackers |= bishopAttacks(target, occupancy) & diagonal;
        if (flags[type] & 2) attackers |= rookAttacks(target, occupancy) & straight;
        gain[depth] = seeValue[onSquare] - gain[depth - 1];
        ++depth;
        attackers &= occupancy;
        if (onSquare == KING) break;
        side ^= 1;
        onSquare = type;
    }
    for (int32_t k = depth - 1; k > 0; --k) gain[k - 1] = -std::max(-gain[k - 1], gain[k]);
    return gain[0];
}

}  // namespace

// Along random games, the exchange value of every capture and quiet move equals the plain
// swap's: a skipped lookup never loses an attacker or an x-ray.
TEST(StaticExchange, AgreesWithThePlainSwapAlongRandomGames) {
    int32_t compared = 0;
    alongRandomGames({"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
                      "r1b2rk1/ppp2ppp/2n5/3qN3/3P4/2PB4/P4PPP/R2QR1K1 w - - 0 1",
                      "2r3k1/1q3ppp/p3p3/1p1nP3/3P4/P2B4/1P3PPP/2RQ2K1 b - - 0 25",
                      "3r2k1/8/5n2/3p4/8/1B6/3Q4/3R2K1 w - - 0 1"},
                     11, 50, [&](const Position& p) {
                         ScoredMove list[MAX_MOVES];
                         const int32_t n = generateMoves(p, list, isInCheck(p));
                         for (int32_t i = 0; i < n; ++i) {
                             const Move move = list[i].move;
                             ASSERT_EQ(p.see(move), plainSee(p, move)) << fenOf(p) << " " << std::hex << move;
                             ASSERT_EQ(p.isLosingExchange(move), p.see(move) < 0) << fenOf(p) << " " << std::hex << move;
                             ++compared;
                         }
                     });
    EXPECT_GT(compared, 3000);
}
