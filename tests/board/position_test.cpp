// Position set-up, keys, and make/unmake restoring every field.
#include <algorithm>
#include <random>
#include <vector>

#include "board_helpers.h"

TEST(PositionKeys, StartPositionMatchesPublishedKeys) {
    ensureAttackTables();
    Position p;
    p.reset();
    p.setStartPosition();
    EXPECT_EQ(p.key, 0x520580D74CABA998ULL);
    EXPECT_EQ(p.pawnKey, 0xEF643218E36C26CAULL);
    EXPECT_EQ(zobristPieceSquare[PAWN][WHITE][E2], 0x562F36FAE610A2E1ULL);
    EXPECT_EQ(zobristEnPassant[0], 0x9052FED81A8CA4FAULL);
    EXPECT_EQ(zobristCastling[0], 0u);
    EXPECT_EQ(zobristCastling[15], 0x1DCD312055710B91ULL);
    EXPECT_EQ(zobristCastling[3], zobristCastling[1] ^ zobristCastling[2]);
    EXPECT_EQ(p.material[WHITE], 4075);
    EXPECT_EQ(p.material[BLACK], 4075);
    EXPECT_EQ(p.phase, 24);
    EXPECT_EQ(p.materialKey, 0x0001222800012228ULL);
    EXPECT_EQ(p.castlingRights, 15);
    EXPECT_TRUE(isConsistent(p));
    EXPECT_EQ(fenOf(p), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 0");
}

TEST(PositionKeys, ZobristKeysAreDistinctAndNonZero) {
    std::vector<uint64_t> keys;
    for (int32_t type = PAWN; type <= KING; ++type)
        for (int32_t colour = 0; colour < 2; ++colour)
            for (int32_t sq = 0; sq < 64; ++sq) keys.push_back(zobristPieceSquare[type][colour][sq]);
    for (uint64_t k : zobristEnPassant) keys.push_back(k);
    keys.push_back(zobristSideToMove);
    std::sort(keys.begin(), keys.end());
    EXPECT_NE(keys.front(), 0u);
    EXPECT_EQ(std::adjacent_find(keys.begin(), keys.end()), keys.end());
    for (int32_t sq = 0; sq < 64; ++sq) {
        EXPECT_EQ(zobristPieceSquare[0][WHITE][sq], 0u);
        EXPECT_EQ(zobristPieceSquare[7][BLACK][sq], 0u);
    }
}

TEST(PositionKeys, SideToMoveDiffersBySideKey) {
    const Position white = loadFen("4k3/8/8/8/8/8/8/4K3 w - - 0 1");
    const Position black = loadFen("4k3/8/8/8/8/8/8/4K3 b - - 0 1");
    EXPECT_EQ(white.key ^ black.key, zobristSideToMove);
}

namespace {

Move findMove(Position& p, int32_t from, int32_t to, int32_t promotion = 0) {
    ScoredMove list[MAX_MOVES];
    const int32_t n = generateLegalMoves(p, list, isInCheck(p));
    for (int32_t i = 0; i < n; ++i)
        if (moveFrom(list[i].move) == from && moveTo(list[i].move) == to && movePromotion(list[i].move) == promotion)
            return list[i].move;
    return noMove;
}

}  // namespace

TEST(MakeMove, DoublePushSetsEnPassantFileWithoutCapturer) {
    Position p = loadFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    const uint64_t before = p.key;
    UndoRecord undo;
    const Move e4 = findMove(p, E2, E4);
    ASSERT_EQ(e4, 0x40170Cu);
    p.doMove(e4, undo);
    EXPECT_EQ(p.epFile, 5);
    EXPECT_TRUE(isConsistent(p));
    EXPECT_EQ(p.key, before ^ zobristPieceSquare[PAWN][WHITE][E2] ^ zobristPieceSquare[PAWN][WHITE][E4] ^
                         zobristEnPassant[4] ^ zobristSideToMove);
}

TEST(MakeMove, RightsFollowKingAndRookMovesAndCaptures) {
    Position p = loadFen("r3k2r/8/8/8/8/8/6b1/R3K2R b KQkq - 0 1");
    UndoRecord undo;
    // Bishop takes the h1 rook: White loses the king-side right only.
    p.doMove(findMove(p, G2, H1), undo);
    EXPECT_EQ(p.castlingRights, 2 | 4 | 8);
    UndoRecord undo2;
    p.doMove(findMove(p, A1, A8), undo2);
    EXPECT_EQ(p.castlingRights, 4);
    EXPECT_TRUE(isConsistent(p));
    UndoRecord undo3;
    p.doMove(findMove(p, E8, F7), undo3);
    EXPECT_EQ(p.castlingRights, 0);
    EXPECT_TRUE(isConsistent(p));
}

TEST(MakeMove, Chess960CastlingEndSquaresAndUndo) {
    struct Case {
        const char* fen;
        int32_t king, rook, kingEnd, rookEnd;
    };
    const Case cases[] = {
        {"4k3/8/8/8/8/8/8/5KR1 w G - 0 1", F1, G1, G1, F1},
        {"4k3/8/8/8/8/8/8/6KR w H - 0 1", G1, H1, G1, F1},
        {"4k3/8/8/8/8/8/8/3KR3 w E - 0 1", D1, E1, G1, F1},
        {"rk6/8/8/8/8/8/8/4K3 b a - 0 1", B8, A8, C8, D8},
        {"4k3/8/8/8/8/8/8/2RK4 w C - 0 1", D1, C1, C1, D1},
        {"1r1k4/8/8/8/8/8/8/4K3 b b - 0 1", D8, B8, C8, D8},
    };
    for (const Case& c : cases) {
        Position p = loadFen(c.fen);
        const Position before = p;
        const Move castle = findMove(p, c.king, c.rook);
        ASSERT_TRUE(isCastling(castle)) << c.fen;
        UndoRecord undo;
        p.doMove(castle, undo);
        EXPECT_EQ(p.board[c.kingEnd], KING) << c.fen;
        EXPECT_EQ(p.board[c.rookEnd], ROOK) << c.fen;
        EXPECT_EQ(p.kingSquare[p.otherSide], c.kingEnd);
        EXPECT_EQ(std::popcount(p.occupied), 3) << c.fen;
        EXPECT_TRUE(isConsistent(p)) << c.fen;
        p.undoMove(castle, undo);
        EXPECT_TRUE(samePosition(p, before)) << c.fen;
    }
}

TEST(MakeMove, PromotionCaptureMaterial) {
    Position p = loadFen("1r2k3/P7/8/8/8/8/8/4K3 w - - 0 1");
    const Move m = findMove(p, A7, B8, QUEEN);
    ASSERT_NE(m, noMove);
    UndoRecord undo;
    p.doMove(m, undo);
    EXPECT_EQ(p.material[WHITE], 975);
    EXPECT_EQ(p.material[BLACK], 0);
    EXPECT_EQ(p.pawnKey, 0u);
    EXPECT_TRUE(isConsistent(p));
}

// Random games: after every move the incremental state equals a recomputation, and unmaking
// the whole line restores the position byte for byte.
TEST(MakeMove, RandomGamesStayConsistentAndUnwind) {
    const char* starts[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
        "bqnb1rkr/pp3ppp/3ppn2/2p5/5P2/P2P4/NPP1P1PP/BQ1BNRKR w HFhf - 2 9",
        "1rqbkrbn/1ppppp1p/1n6/p1N3p1/8/2P4P/PP1PPPP1/1RQBKRBN w FBfb - 0 9",
    };
    std::mt19937 rng(12345);
    for (const char* fen : starts) {
        for (int32_t game = 0; game < 20; ++game) {
            Position p = loadFen(fen);
            const Position start = p;
            Move moves[120];
            UndoRecord undos[120];
            int32_t played = 0;
            while (played < 120) {
                ScoredMove list[MAX_MOVES];
                const int32_t n = generateLegalMoves(p, list, isInCheck(p));
                if (n == 0) break;
                moves[played] = list[rng() % uint32_t(n)].move;
                p.doMove(moves[played], undos[played]);
                ASSERT_TRUE(isConsistent(p)) << fen << " after " << played;
                ++played;
            }
            while (played > 0) {
                --played;
                p.undoMove(moves[played], undos[played]);
            }
            EXPECT_TRUE(samePosition(p, start)) << fen;
        }
    }
}

// The move word layout is shared with the book files and the protocol code: pin it with
// the published words of a double push, a castling, an en-passant capture and a promotion.
TEST(MoveWord, LayoutOfPublishedWords) {
    struct Case {
        Move word;
        int32_t from, to, piece, captured, promotion;
        bool castling, doublePush, enPassant;
    };
    const Case cases[] = {
        {0x40170Cu, E2, E4, PAWN, 0, 0, false, true, false},
        {0x2546u, G1, F3, KNIGHT, 0, 0, false, false, false},
        {0x2061C4u, E1, H1, KING, 0, 0, true, false, false},
        {0x206E3Cu, E8, A8, KING, 0, 0, true, false, false},
        {0x809AE4u, E5, D6, PAWN, PAWN, 0, false, false, true},
        {0x161E31u, B7, A8, PAWN, ROOK, QUEEN, false, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(makeMove(c.from, c.to, c.piece, c.captured, c.promotion,
                           (c.castling ? MOVE_CASTLING : 0) | (c.doublePush ? MOVE_DOUBLE_PUSH : 0) |
                               (c.enPassant ? MOVE_EN_PASSANT : 0)),
                  c.word);
        EXPECT_EQ(moveFrom(c.word), c.from);
        EXPECT_EQ(moveTo(c.word), c.to);
        EXPECT_EQ(movePiece(c.word), c.piece);
        EXPECT_EQ(moveCaptured(c.word), c.captured);
        EXPECT_EQ(movePromotion(c.word), c.promotion);
        EXPECT_EQ(isCastling(c.word), c.castling);
        EXPECT_EQ(isDoublePush(c.word), c.doublePush);
        EXPECT_EQ(isEnPassant(c.word), c.enPassant);
    }
}

// The legality shortcut gives the full test's answer for every pseudo-legal move (whichever
// generator wrote it) along random games, irregular set-ups included: a missing king (its
// square then holds anything), the side not to move in check, pins and en passant.
TEST(Legality, ShortcutAgreesWithTheFullTest) {
    const char* starts[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
        "bqnb1rkr/pp3ppp/3ppn2/2p5/5P2/P2P4/NPP1P1PP/BQ1BNRKR w HFhf - 2 9",
        "4k3/4q3/8/1b6/8/8/3PN3/r3K2R w K - 0 1",
        "4k3/4Q3/8/8/8/8/8/4K3 w - - 0 1",
        "4k3/8/8/8/1b6/8/3N4/R6r w - - 0 1",
        "r3k3/8/8/8/8/8/8/8 w q - 0 1",
    };
    std::mt19937 rng(99);
    int32_t shortcuts = 0;
    for (const char* fen : starts) {
        for (int32_t game = 0; game < 8; ++game) {
            Position p = loadFen(fen);
            for (int32_t ply = 0; ply < 80; ++ply) {
                const bool inCheck = isInCheck(p);
                ScoredMove list[2 * MAX_MOVES];
                int32_t n = generateEvasions(p, list);
                n += generateCaptures(p, list + n);
                n += generateQuiets(p, list + n);
                Move legal[2 * MAX_MOVES];
                int32_t legalCount = 0;
                for (int32_t i = 0; i < n; ++i) {
                    const Move move = list[i].move;
                    const Position before = p;
                    UndoRecord undo;
                    p.doMove(move, undo);
                    const bool attacked = p.moverKingAttacked();
                    ASSERT_EQ(p.moverKingAttackedAfter(move, inCheck), attacked) << fenOf(before) << " " << move;
                    p.undoMove(move, undo);
                    shortcuts += !inCheck && movePiece(move) != KING;
                    ASSERT_EQ(p.doMoveIfLegal(move, undo, inCheck), !attacked);
                    if (!attacked) p.undoMove(move, undo);
                    ASSERT_TRUE(samePosition(p, before)) << fenOf(before) << " " << std::hex << move;
                    if (!attacked) legal[legalCount++] = move;
                }
                if (legalCount == 0) break;
                UndoRecord undo;
                p.doMove(legal[rng() % uint32_t(legalCount)], undo);
            }
        }
    }
    EXPECT_GT(shortcuts, 10000);
}

// The key a move leads to is known before the move wherever it is promised exact: every move
// but castling, and every move that leaves the castling rights as they were.
TEST(PositionKeys, KeyAfterAMoveMatchesTheMadeMove) {
    int32_t exact = 0;
    const auto compare = [&](Position& p) {
        ScoredMove list[MAX_MOVES];
        const int32_t n = generateMoves(p, list, isInCheck(p));
        for (int32_t i = 0; i < n; ++i) {
            const Move move = list[i].move;
            const uint64_t predicted = keyAfter(p, move);
            const uint8_t rights = p.castlingRights;
            UndoRecord undo;
            p.doMove(move, undo);
            if (!isCastling(move) && p.castlingRights == rights) {
                ASSERT_EQ(predicted, p.key) << fenOf(p) << " " << std::hex << move;
                ++exact;
            }
            p.undoMove(move, undo);
        }
    };
    alongRandomGames({"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
                      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
                      "rnbqkbnr/pp1ppppp/8/2pP4/8/8/PPP1PPPP/RNBQKBNR b KQkq - 0 2"},
                     8, 40, compare);
    EXPECT_GT(exact, 2000);
}
