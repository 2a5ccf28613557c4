#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <string>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/movegen.h"
#include "board/position.h"
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

namespace {

// White king, White pawn and Black king as FEN; the board subsystem checks the rules from here on.
Position kpkPosition(int32_t whiteKing, int32_t pawn, int32_t blackKing, bool whiteToMove) {
    char board[64];
    for (char& c : board) c = 0;
    board[whiteKing] = 'K';
    board[pawn] = 'P';
    board[blackKing] = 'k';
    std::string fen;
    for (int32_t rank = 7; rank >= 0; --rank) {
        int32_t empty = 0;
        for (int32_t file = 0; file < 8; ++file) {
            const char c = board[rank * 8 + file];
            if (c == 0) {
                ++empty;
                continue;
            }
            if (empty) fen += char('0' + empty);
            empty = 0;
            fen += c;
        }
        if (empty) fen += char('0' + empty);
        if (rank) fen += '/';
    }
    fen += whiteToMove ? " w - - 0 1" : " b - - 0 1";
    Position pos{};
    pos.reset();
    EXPECT_EQ(parseFen(pos, fen.c_str()), 1) << fen;
    return pos;
}

// Black to move after a promotion: a lone minor piece cannot mate; a queen or rook wins unless
// it falls at once or Black is stalemated.
bool promotionWinsByRules(Position& pos, int32_t promoted) {
    if (promoted != QUEEN && promoted != ROOK) return false;
    ScoredMove replies[MAX_MOVES];
    const int32_t count = generateLegalMoves(pos, replies, isInCheck(pos));
    for (int32_t i = 0; i < count; ++i)
        if (moveCaptured(replies[i].move) != NO_PIECE) return false;
    return count > 0 || isInCheck(pos);
}

// The bitbase verdict for a King+Pawn vs King position with a White pawn.
bool bitbaseWins(const Position& pos) {
    const int32_t pawn = std::countr_zero(pos.pieces[WHITE][PAWN]);
    return wins(pos.kingSquare[BLACK], pos.kingSquare[WHITE], pawn, pos.sideToMove == WHITE ? 1 : 0) == 1;
}

}  // namespace

// Every stored verdict must follow from the verdicts of the children under the real move rules
// (the analysis cannot invent wins, so local agreement leaves no wrong entry).
TEST(KpkBitbase, AgreesWithTheMoveRulesEverywhere) {
    initAttackTables();
    int32_t checked = 0;
    for (int32_t pawn = A2; pawn <= H7; ++pawn) {
        if (fileOf(pawn) > 3) continue;
        for (int32_t wk = 0; wk < 64; ++wk) {
            for (int32_t bk = 0; bk < 64; ++bk) {
                if (wk == pawn || bk == pawn || distance(wk, bk) <= 1) continue;
                for (const bool whiteToMove : {true, false}) {
                    const bool checksBlack =
                        rankOf(bk) == rankOf(pawn) + 1 && std::abs(fileOf(bk) - fileOf(pawn)) == 1;
                    if (whiteToMove && checksBlack) continue;
                    Position pos = kpkPosition(wk, pawn, bk, whiteToMove);
                    ScoredMove moves[MAX_MOVES];
                    const int32_t count = generateLegalMoves(pos, moves, isInCheck(pos));
                    bool anyWin = false, allWin = count > 0 || isInCheck(pos);
                    for (int32_t i = 0; i < count; ++i) {
                        const Move m = moves[i].move;
                        UndoRecord undo;
                        pos.doMove(m, undo);
                        bool childWins;
                        if (moveCaptured(m) != NO_PIECE)
                            childWins = false;
                        else if (movePromotion(m) != NO_PIECE)
                            childWins = promotionWinsByRules(pos, movePromotion(m));
                        else
                            childWins = bitbaseWins(pos);
                        pos.undoMove(m, undo);
                        anyWin = anyWin || childWins;
                        allWin = allWin && childWins;
                    }
                    const bool expected = whiteToMove ? anyWin : allWin;
                    ASSERT_EQ(bitbaseWins(pos), expected) << "wk " << wk << " pawn " << pawn << " bk " << bk
                                                          << (whiteToMove ? " white" : " black") << " to move";
                    ++checked;
                }
            }
        }
    }
    EXPECT_GT(checked, 150000);
}
