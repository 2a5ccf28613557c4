// SAN: the test suites' writer and the book builder's reader, on the same positions.
#include <gtest/gtest.h>

#include <string>

#include "board/notation.h"
#include "board/san.h"
#include "board/san_match.h"
#include "board_helpers.h"

namespace {

const char* const START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
const char* const CASTLING = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
// Knights b1 and f3 reach d2; rooks a1 and a5 reach a3.
const char* const TWO_KNIGHTS = "4k3/8/8/R7/8/5N2/8/RN2K3 w - - 0 1";
// Queens a1, a3 and c1 reach c3: each needs a different mark.
const char* const THREE_QUEENS = "6k1/8/8/8/8/Q7/8/Q1Q4K w - - 0 1";
// The e2 knight is pinned, so the b5 knight alone reaches d4.
const char* const PINNED = "k3r3/8/8/1N6/8/8/4N3/4K3 w - - 0 1";
const char* const PROMOTION = "r3k3/1P6/8/8/8/8/8/4K3 w - - 0 1";
const char* const EN_PASSANT = "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1";
const char* const PAWNS = "4k3/8/8/3p4/2P1P3/8/8/4K3 w - - 0 1";
const char* const CHESS960 = "4k3/8/8/8/8/8/8/RK5R w HA - 0 1";

struct SanCase {
    const char* fen;
    const char* move;  // coordinate text ("O-O" for castling); "" when the text names nothing
    const char* san;
    bool written;  // moveToSan writes exactly this text for the move
};

const SanCase CASES[] = {
    {START, "e2e4", "e4", true}, {START, "g1f3", "Nf3", true}, {START, "g1f3", "Nf3+", false},
    {START, "", "e5", false}, {START, "", "Ke2", false}, {START, "", "Nd2", false}, {START, "", "O-O", false},
    {START, "", "", false}, {START, "", "Pe4", false}, {START, "", "xe4", false}, {START, "", "Nxxf3", false},
    {CASTLING, "O-O", "O-O", true}, {CASTLING, "O-O-O", "O-O-O", true}, {CASTLING, "O-O", "0-0", false},
    {CASTLING, "O-O-O", "0-0-0", false}, {CASTLING, "O-O", "O-O+", false}, {CASTLING, "O-O-O", "O-O-O#", false},
    {CASTLING, "", "Kg1", false}, {CASTLING, "", "Kh1", false}, {CASTLING, "e1f1", "Kf1", true},
    {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "O-O-O", "O-O-O", true},
    {CHESS960, "O-O-O", "O-O-O", true}, {CHESS960, "O-O", "O-O", true},
    {"4k3/8/8/8/8/8/8/R5KR w HA - 0 1", "O-O", "O-O", true},
    {TWO_KNIGHTS, "b1d2", "Nbd2", true}, {TWO_KNIGHTS, "f3d2", "Nfd2", true}, {TWO_KNIGHTS, "f3d2", "Nf3d2", false},
    {TWO_KNIGHTS, "", "Nd2", false}, {TWO_KNIGHTS, "a1a3", "R1a3", true}, {TWO_KNIGHTS, "", "Ra3", false},
    {THREE_QUEENS, "a1c3", "Qa1c3", true}, {THREE_QUEENS, "a3c3", "Q3c3", true}, {THREE_QUEENS, "c1c3", "Qcc3", true},
    {THREE_QUEENS, "", "Qc3", false}, {THREE_QUEENS, "", "Qac3", false}, {THREE_QUEENS, "", "Q1c3", false},
    {PINNED, "b5d4", "Nd4", true}, {PINNED, "", "Ned4", false},
    {"4k3/8/8/4p3/8/5N2/8/4K3 w - - 0 1", "f3e5", "Nxe5", true},
    {PROMOTION, "b7b8q", "b8=Q", true}, {PROMOTION, "b7b8n", "b8=N", true}, {PROMOTION, "b7a8r", "bxa8=R", true},
    {PROMOTION, "b7b8n", "b8=N+", false}, {PROMOTION, "", "b8", false}, {PROMOTION, "", "b8=K", false},
    {EN_PASSANT, "e5d6", "exd6", true}, {EN_PASSANT, "e5d6", "exd6e.p.", false}, {EN_PASSANT, "e5e6", "e6", true},
    {PAWNS, "c4d5", "cxd5", true}, {PAWNS, "e4d5", "exd5", true}, {PAWNS, "", "d5", false},
};

}  // namespace

// Expected moves come from coordinate text, so the generator's flags (double push, en passant,
// castling) must match too; neither direction may change the position.
TEST(San, WritesAndReadsEachKindOfMove) {
    for (const SanCase& c : CASES) {
        Position position = loadFen(c.fen);
        const std::string before = fenOf(position);
        const Move move = *c.move ? parseMoveText(position, c.move) : noMove;
        ASSERT_TRUE(*c.move == '\0' || move != noMove) << c.move;
        EXPECT_EQ(matchSanMove(position, c.san), move) << c.fen << "  " << c.san;
        if (c.written) {
            char san[SAN_BUFFER_SIZE];
            moveToSan(position, move, san);
            EXPECT_EQ(std::string(san), c.san) << c.fen << " " << c.move;
        }
        EXPECT_EQ(fenOf(position), before) << c.san;
    }
}
