// Reading SAN move text against the legal moves of a position.
#include <gtest/gtest.h>

#include "board/board_helpers.h"
#include "board/notation.h"
#include "board/san_match.h"

namespace {

struct SanCase {
    const char* fen;
    const char* san;
    const char* expected;  // coordinate text of the move, "" when the text must match nothing
};

const char* const START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
const char* const CASTLING = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
const char* const BLACK_CASTLING = "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1";
// Knights b1 and f3 both reach d2; rooks a1 and a5 both reach a3.
const char* const TWO_KNIGHTS = "4k3/8/8/R7/8/5N2/8/RN2K3 w - - 0 1";
// Queens e4, h4 and h1 all reach e1: only the full square tells them apart.
const char* const THREE_QUEENS = "8/8/k7/8/4Q2Q/8/8/1K5Q w - - 0 1";
// The b2 knight is pinned to its king by the e5 bishop; the f4 knight reaches d3 as well.
const char* const PINNED_KNIGHT = "4k3/8/8/4b3/5N2/8/1N6/K7 w - - 0 1";
const char* const PROMOTION = "r3k3/1P6/8/8/8/8/8/4K3 w - - 0 1";
const char* const EN_PASSANT = "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1";
const char* const TWO_PAWN_CAPTURES = "4k3/8/8/3p4/2P1P3/8/8/4K3 w - - 0 1";

const SanCase cases[] = {
    {START, "e4", "e2e4"},
    {START, "Nf3", "g1f3"},
    {START, "Nf3+", "g1f3"},
    {START, "e5", ""},
    {START, "Ke2", ""},
    {START, "Nd2", ""},
    {START, "O-O", ""},
    {START, "", ""},
    {START, "Pe4", ""},
    {START, "xe4", ""},
    {START, "Nxxf3", ""},
    {CASTLING, "O-O", "e1g1"},
    {CASTLING, "O-O-O", "e1c1"},
    {CASTLING, "0-0", "e1g1"},
    {CASTLING, "0-0-0", "e1c1"},
    {CASTLING, "O-O+", "e1g1"},
    {CASTLING, "O-O-O#", "e1c1"},
    {CASTLING, "Kg1", ""},
    {CASTLING, "Kh1", ""},
    {CASTLING, "Kf1", "e1f1"},
    {BLACK_CASTLING, "O-O", "e8g8"},
    {TWO_KNIGHTS, "Nd2", ""},
    {TWO_KNIGHTS, "Nbd2", "b1d2"},
    {TWO_KNIGHTS, "Nfd2", "f3d2"},
    {TWO_KNIGHTS, "Nf3d2", "f3d2"},
    {TWO_KNIGHTS, "Ra3", ""},
    {TWO_KNIGHTS, "R1a3", "a1a3"},
    {THREE_QUEENS, "Qe1", ""},
    {THREE_QUEENS, "Qhe1", ""},
    {THREE_QUEENS, "Q4e1", ""},
    {THREE_QUEENS, "Qh4e1", "h4e1"},
    {THREE_QUEENS, "Qee1", "e4e1"},
    {THREE_QUEENS, "Q1e1", "h1e1"},
    {PINNED_KNIGHT, "Nd3", "f4d3"},
    {PINNED_KNIGHT, "Nbd3", ""},
    {PROMOTION, "b8=Q", "b7b8q"},
    {PROMOTION, "b8=N+", "b7b8n"},
    {PROMOTION, "bxa8=R", "b7a8r"},
    {PROMOTION, "b8", ""},
    {PROMOTION, "b8=K", ""},
    {EN_PASSANT, "exd6", "e5d6"},
    {EN_PASSANT, "exd6e.p.", "e5d6"},
    {EN_PASSANT, "e6", "e5e6"},
    {TWO_PAWN_CAPTURES, "cxd5", "c4d5"},
    {TWO_PAWN_CAPTURES, "exd5", "e4d5"},
    {TWO_PAWN_CAPTURES, "d5", ""},
};

}  // namespace

// Expected words come from coordinate text, so flags (double push, en passant, castling) count.
TEST(SanMatch, MatchesExactlyOneLegalMove) {
    for (const SanCase& c : cases) {
        Position position = loadFen(c.fen);
        const Position before = position;
        const Move expected = *c.expected ? parseMoveText(position, c.expected) : noMove;
        ASSERT_TRUE(*c.expected == '\0' || expected != noMove) << c.expected;
        EXPECT_EQ(matchSanMove(position, c.san), expected) << c.fen << "  " << c.san;
        EXPECT_EQ(position.key, before.key);
    }
}
