// Generation order and move words, castling, evasions, legal lists and bounded writes.
#include <random>
#include <string>
#include <vector>

#include "board_helpers.h"

namespace {

std::vector<Move> words(int32_t (*generator)(const Position&, ScoredMove*, int32_t), const Position& p) {
    ScoredMove list[MAX_MOVES];
    const int32_t n = generator(p, list, MAX_MOVES);
    std::vector<Move> result;
    for (int32_t i = 0; i < n; ++i) result.push_back(list[i].move);
    return result;
}

std::vector<Move> legalWords(Position& p) {
    ScoredMove list[MAX_MOVES];
    const int32_t n = generateLegalMoves(p, list, isInCheck(p));
    std::vector<Move> result;
    for (int32_t i = 0; i < n; ++i) result.push_back(list[i].move);
    return result;
}

std::string squareText(int32_t sq) { return std::string(1, char('a' + fileOf(sq))) + char('1' + rankOf(sq)); }

// Compact text of a list: from-to plus promotion letter, space separated.
std::string listText(const std::vector<Move>& moves) {
    std::string text;
    for (Move m : moves) {
        if (!text.empty()) text += ' ';
        text += squareText(moveFrom(m)) + squareText(moveTo(m));
        if (movePromotion(m)) text += " pnbrqk"[movePromotion(m)];
    }
    return text;
}

bool contains(const std::vector<Move>& moves, Move m) {
    for (Move x : moves)
        if (x == m) return true;
    return false;
}

}  // namespace

TEST(Generation, StartPositionOrderAndWords) {
    Position p = loadFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    EXPECT_TRUE(words(generateCaptures, p).empty());
    const std::vector<Move> quiets = words(generateQuiets, p);
    EXPECT_EQ(listText(quiets),
              "b1a3 b1c3 g1f3 g1h3 a2a3 b2b3 c2c3 d2d3 e2e3 f2f3 g2g3 h2h3 a2a4 b2b4 c2c4 d2d4 e2e4 f2f4 g2g4 h2h4");
    EXPECT_TRUE(contains(quiets, 0x40170Cu));
    EXPECT_TRUE(contains(quiets, 0x2546u));
    EXPECT_EQ(legalWords(p), quiets);
    EXPECT_EQ(countLegalMoves(p), 20);
}

TEST(Generation, CaptureGroupsInFixedOrder) {
    // Knight, bishop, rook, queen, king, pawns over distance 7, then distance 9.
    Position p = loadFen("7k/8/n7/1p1p1p1b/4P3/b1N4r/1P3nB1/R2QK3 w - - 0 1");
    EXPECT_EQ(listText(words(generateCaptures, p)), "c3b5 c3d5 g2h3 a1a3 d1d5 d1h5 e1f2 b2a3 e4d5 e4f5");
    Position black = loadFen("r3k3/8/8/8/8/1p1p4/P1P1P3/4K3 b - - 0 1");
    EXPECT_EQ(listText(words(generateCaptures, black)), "a8a2 b3c2 d3e2 b3a2 d3c2");
}

TEST(Generation, PromotionsComeFromCapturesOnly) {
    Position p = loadFen("r1n1k3/1P6/8/8/8/8/8/4K3 w - - 0 1");
    const std::vector<Move> captures = words(generateCaptures, p);
    EXPECT_EQ(listText(captures), "b7a8q b7a8r b7a8n b7a8b b7c8q b7c8r b7c8n b7c8b b7b8q b7b8r b7b8n b7b8b");
    EXPECT_EQ(captures[0], 0x161E31u);
    EXPECT_EQ(captures[8], 0x141E71u);
    for (Move m : words(generateQuiets, p)) EXPECT_NE(movePiece(m), PAWN);
}

TEST(Generation, EnPassantNeedsPawnOnPushedSquareAndEmptyTarget) {
    Position p = loadFen("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1");
    EXPECT_EQ(words(generateCaptures, p), std::vector<Move>{0x809AE4u});
    const char* phantoms[] = {
        "4k3/8/8/4P3/8/8/8/4K3 w - d6 0 1",    // nothing on d5
        "4k3/8/8/3nP3/8/8/8/4K3 w - d6 0 1",   // a knight, not a pawn
        "4k3/8/3n4/3pP3/8/8/8/4K3 w - d6 0 1", // target square occupied
    };
    for (const char* fen : phantoms) {
        Position q = loadFen(fen);
        for (Move m : words(generateCaptures, q)) EXPECT_FALSE(isEnPassant(m)) << fen;
        const Position before = q;
        EXPECT_GT(perft(q, 3), 0u);
        EXPECT_TRUE(samePosition(q, before)) << fen;
        // The key keeps the stated en-passant file.
        EXPECT_EQ(q.epFile, 4);
    }
}

TEST(Generation, PawnPushesBlockedAndStartRank) {
    Position p = loadFen("4k3/8/8/8/8/1n5n/PP5P/4K3 w - - 0 1");
    EXPECT_EQ(listText(words(generateQuiets, p)), "e1d1 e1f1 e1d2 e1e2 e1f2 a2a3 a2a4");
}

TEST(Generation, CastlingWordsAndAttackedSquares) {
    Position p = loadFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
    std::vector<Move> quiets = words(generateQuiets, p);
    ASSERT_GE(quiets.size(), 2u);
    EXPECT_EQ(quiets[0], 0x2061C4u);
    EXPECT_EQ(quiets[1], 0x206004u);
    Position b = loadFen("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1");
    quiets = words(generateQuiets, b);
    EXPECT_EQ(quiets[0], 0x206FFCu);
    EXPECT_EQ(quiets[1], 0x206E3Cu);

    struct Case {
        const char* fen;
        bool kingSide, queenSide;
    };
    const Case cases[] = {
        {"1r2k3/8/8/8/8/8/8/R3K2R w KQ - 0 1", true, true},   // only b1 attacked
        {"2r1k3/8/8/8/8/8/8/R3K2R w KQ - 0 1", true, false},  // c1 attacked
        {"4kr2/8/8/8/8/8/8/R3K2R w KQ - 0 1", false, true},   // f1 attacked
        {"4k1r1/8/8/8/8/8/8/R3K2R w KQ - 0 1", false, true},  // g1 attacked
        {"4r1k1/8/8/8/8/8/8/R3K2R w KQ - 0 1", false, false}, // in check
        {"4k3/8/8/8/8/8/8/RN2K1NR w KQ - 0 1", false, false}, // g1 and b1 occupied
        {"4k3/8/8/8/8/8/8/R2QK2R w KQ - 0 1", true, false},   // d1 occupied
    };
    for (const Case& c : cases) {
        Position q = loadFen(c.fen);
        bool kingSide = false, queenSide = false;
        for (Move m : words(generateQuiets, q)) {
            if (!isCastling(m)) continue;
            (moveTo(m) == H1 ? kingSide : queenSide) = true;
        }
        EXPECT_EQ(kingSide, c.kingSide) << c.fen;
        EXPECT_EQ(queenSide, c.queenSide) << c.fen;
    }
}

TEST(Evasions, RookCheckAlongFirstRank) {
    Position p = loadFen("4k3/8/8/8/8/8/8/r3K3 w - - 0 1");
    EXPECT_EQ(listText(words(generateEvasions, p)), "e1d2 e1e2 e1f2");
    Position q = loadFen("4k3/8/8/8/8/2N5/8/r3K3 w - - 0 1");
    EXPECT_EQ(listText(words(generateEvasions, q)), "e1d2 e1e2 e1f2 c3b1 c3d1");
}

TEST(Evasions, DoubleCheckOnlyKingMoves) {
    Position p = loadFen("4k3/8/8/8/8/5n2/8/r3K2Q w - - 0 1");
    const std::vector<Move> evasions = words(generateEvasions, p);
    ASSERT_FALSE(evasions.empty());
    for (Move m : evasions) EXPECT_EQ(movePiece(m), KING);
    EXPECT_EQ(legalWords(p).size(), evasions.size());
}

TEST(Evasions, KnightCheckCapturesOnlyInOrder) {
    // Knight d3 checks e1: king steps, then captures of the knight; nothing blocks a knight.
    Position p = loadFen("4k3/8/8/8/8/3n4/2P5/1B2K3 w - - 0 1");
    EXPECT_EQ(listText(words(generateEvasions, p)), "e1d1 e1f1 e1d2 e1e2 c2d3");
    Position promo = loadFen("2n4k/1P2K3/8/8/8/8/8/8 w - - 0 1");
    EXPECT_EQ(listText(words(generateEvasions, promo)),
              "e7e6 e7f6 e7d7 e7f7 e7d8 e7e8 e7f8 b7c8q b7c8r b7c8n b7c8b");
}

TEST(Evasions, EnPassantOnlyAgainstCheckingPawn) {
    Position p = loadFen("4k3/8/8/3Pp3/3K4/8/8/8 w - e6 0 1");
    EXPECT_TRUE(contains(words(generateEvasions, p), makeMove(D5, E6, PAWN, PAWN, 0, MOVE_EN_PASSANT)));
    Position q = loadFen("3rk3/8/8/4pP2/8/8/8/3K4 w - e6 0 1");
    for (Move m : words(generateEvasions, q)) EXPECT_FALSE(isEnPassant(m));
}

TEST(Evasions, PinnedPieceWrittenButNotLegal) {
    // Knight d2 could take the checking bishop but is pinned by the rook on d8.
    Position p = loadFen("3r3k/8/8/8/8/5b2/3N4/3K4 w - - 0 1");
    ScoredMove list[MAX_MOVES];
    const int32_t n = generateEvasions(p, list);
    const Move capture = makeMove(D2, F3, KNIGHT, BISHOP);
    EXPECT_TRUE(contains(words(generateEvasions, p), capture));
    EXPECT_FALSE(contains(legalWords(p), capture));
    EXPECT_LT(countLegalMoves(p), n);
}

TEST(LegalLists, MateStalemateAndExposedEnPassant) {
    Position mate = loadFen("r1bqkb1r/pppp1Qpp/2n2n2/4p3/2B1P3/8/PPPP1PPP/RNB1K1NR b KQkq - 0 4");
    EXPECT_EQ(countLegalMoves(mate), 0);
    EXPECT_TRUE(legalWords(mate).empty());
    Position stalemate = loadFen("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1");
    EXPECT_EQ(countLegalMoves(stalemate), 0);
    Position exposed = loadFen("8/8/8/KPp4r/8/8/8/7k w - c6 0 1");
    const Move ep = makeMove(B5, C6, PAWN, PAWN, 0, MOVE_EN_PASSANT);
    EXPECT_TRUE(contains(words(generateCaptures, exposed), ep));
    EXPECT_FALSE(contains(legalWords(exposed), ep));
}

// The densest set-up the reader allows (fifteen queens) stays within a list; writes beyond the
// room a caller gives are dropped, never stored.
TEST(Bounds, ListsNeverOverrunTheirRoom) {
    Position p = loadFen("1Q4Qk/3Q4/Q4Q1K/2Q4Q/1Q2Q3/6Q1/Q6Q/2QQ1Q2 w - - 0 1");
    ScoredMove big[1024];
    const int32_t captures = generateCaptures(p, big, 1024);
    const int32_t total = captures + generateQuiets(p, big + captures, 1024);
    EXPECT_GT(total, 200);
    EXPECT_LE(total, MAX_MOVES);
    ScoredMove list[MAX_MOVES + 8];
    for (ScoredMove& e : list) e = {0xDEADu, 7};
    EXPECT_EQ(generateMoves(p, list, 0, 100), 100);
    for (int32_t i = 100; i < MAX_MOVES + 8; ++i) ASSERT_EQ(list[i].move, 0xDEADu);
    EXPECT_EQ(generateQuiets(p, list, 0), 0);
    EXPECT_EQ(generateCaptures(p, list, -5), 0);
    for (ScoredMove& e : list) e = {0xDEADu, 7};
    EXPECT_EQ(generateLegalMoves(p, list, 0, 3), 3);
    EXPECT_EQ(list[3].move, 0xDEADu);
    EXPECT_EQ(generateMoves(p, list, 0), total);
    EXPECT_EQ(list[1].score, 7);
}

// Positions that are not chess never crash the generators or corrupt the board.
TEST(Bounds, IrregularPositionsStayConsistent) {
    const char* fens[] = {
        "8/8/8/8/8/8/8/4K3 w - - 0 1",          // no black king
        "8/8/8/8/8/8/8/8 w - - 0 1",            // empty board
        "k7/8/8/8/8/8/8/8 w - - 0 1",           // side to move has no king
        "P6p/8/8/8/8/8/8/p3K2k w - - 0 1",      // pawns on the first and last ranks
        "P6p/8/8/8/8/8/8/p3K2k b - - 0 1",
        "4k3/8/8/8/8/8/8/3KK3 w - - 0 1",        // two white kings
        "3Kk3/8/8/8/8/8/8/8 w - - 0 1",          // kings touching
        "4k3/4Q3/8/8/8/8/8/4K3 w - - 0 1",       // side not to move in check
    };
    for (const char* fen : fens) {
        Position p = loadFen(fen);
        const Position before = p;
        perft(p, 3);
        EXPECT_TRUE(samePosition(p, before)) << fen;
        countLegalMoves(p);
        ScoredMove list[MAX_MOVES];
        for (int32_t i = 0, n = generateEvasions(p, list); i < n; ++i) EXPECT_EQ(movePiece(list[i].move), KING);
        EXPECT_TRUE(isConsistent(p)) << fen;
    }
    // A rights bit whose king or rook is gone never moves a phantom piece.
    Position p = loadFen("4k3/8/8/8/8/8/8/R6R w - - 0 1");
    p.castlingRights = 3;
    p.castleKingFrom[WHITE] = E1;
    p.castleRookKingSide[WHITE] = H1;
    p.castleRookQueenSide[WHITE] = A1;
    for (Move m : words(generateQuiets, p)) EXPECT_FALSE(isCastling(m));
}

namespace {

// Rank of a move's group in the fixed generation order; within a group the list must ascend
// by the key returned in `within`.
int32_t promotionRank(Move m) {
    switch (movePromotion(m)) {
    case QUEEN: return 0;
    case ROOK: return 1;
    case KNIGHT: return 2;
    default: return 3;
    }
}

// Piece moves: knights, bishops, rooks, queens, king, by from then to.
int32_t pieceGroup(Move m, int32_t& within) {
    within = moveFrom(m) * 64 + moveTo(m);
    return movePiece(m) - KNIGHT;
}

// Pawn capture distance (7 or 9) as seen from the mover.
int32_t pawnDistance(Move m) {
    const int32_t d = moveTo(m) - moveFrom(m);
    return d < 0 ? -d : d;
}

int32_t captureGroup(Move m, int32_t& within) {
    if (movePiece(m) != PAWN) return pieceGroup(m, within);
    within = moveTo(m) * 4 + promotionRank(m);
    if (isEnPassant(m)) {
        within = moveFrom(m);
        return 7;
    }
    if (!movePromotion(m)) return pawnDistance(m) == 7 ? 5 : 6;
    if (!moveCaptured(m)) return 10;
    return pawnDistance(m) == 7 ? 8 : 9;
}

int32_t quietGroup(const Position& p, Move m, int32_t& within) {
    within = 0;
    if (isCastling(m)) return moveTo(m) == p.castleRookKingSide[p.sideToMove] ? 0 : 1;
    if (movePiece(m) != PAWN) return 2 + pieceGroup(m, within);
    within = moveTo(m);
    return isDoublePush(m) ? 8 : 7;
}

// Evasions: king moves, pieces, then pawn captures 7/9, en passant, capture-promotions 7/9,
// single pushes, double pushes, quiet promotions.
int32_t evasionGroup(Move m, int32_t& within) {
    if (movePiece(m) == KING) {
        within = moveTo(m);
        return 0;
    }
    if (movePiece(m) != PAWN) return 1 + pieceGroup(m, within);
    within = moveTo(m) * 4 + promotionRank(m);
    if (isEnPassant(m)) {
        within = moveFrom(m);
        return 7;
    }
    if (movePromotion(m)) {
        if (!moveCaptured(m)) return 12;
        return pawnDistance(m) == 7 ? 8 : 9;
    }
    if (moveCaptured(m)) return pawnDistance(m) == 7 ? 5 : 6;
    return isDoublePush(m) ? 11 : 10;
}

template <typename GroupOf>
::testing::AssertionResult inFixedOrder(const ScoredMove* list, int32_t n, GroupOf groupOf) {
    int32_t lastGroup = -1, lastWithin = -1;
    for (int32_t i = 0; i < n; ++i) {
        int32_t within = 0;
        const int32_t group = groupOf(list[i].move, within);
        if (group < lastGroup || (group == lastGroup && within <= lastWithin))
            return ::testing::AssertionFailure() << "entry " << i << " word " << std::hex << list[i].move;
        lastGroup = group;
        lastWithin = within;
    }
    return ::testing::AssertionSuccess();
}

}  // namespace

// Along random games in both colours, every list keeps the fixed group order, each group ascending.
TEST(Generation, FixedOrderHoldsAlongRandomGames) {
    const char* fens[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
        "bqnb1rkr/pp3ppp/3ppn2/2p5/5P2/P2P4/NPP1P1PP/BQ1BNRKR w HFhf - 2 9",
        "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
    };
    std::mt19937 rng(2024);
    int32_t checkedEvasions = 0;
    for (const char* fen : fens) {
        for (int32_t game = 0; game < 12; ++game) {
            Position p = loadFen(fen);
            for (int32_t ply = 0; ply < 60; ++ply) {
                ScoredMove list[MAX_MOVES];
                if (isInCheck(p)) {
                    const int32_t n = generateEvasions(p, list);
                    ASSERT_TRUE(inFixedOrder(list, n, evasionGroup)) << fenOf(p);
                    ++checkedEvasions;
                } else {
                    const int32_t c = generateCaptures(p, list);
                    ASSERT_TRUE(inFixedOrder(list, c, captureGroup)) << fenOf(p);
                    const int32_t q = generateQuiets(p, list + c, MAX_MOVES - c);
                    ASSERT_TRUE(inFixedOrder(list + c, q, [&](Move m, int32_t& w) { return quietGroup(p, m, w); }))
                        << fenOf(p);
                }
                if (!playRandomLegalMove(p, rng)) break;
            }
        }
    }
    EXPECT_GT(checkedEvasions, 0);
}
