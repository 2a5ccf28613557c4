// SAN of the best-move test suite: disambiguation, captures, promotions and castling.
#include <gtest/gtest.h>

#include <string>

#include "board/san.h"
#include "board/notation.h"
#include "board_helpers.h"

namespace {

struct SanCase {
    const char* fen;
    int32_t chess960;
    const char* move;  // coordinate text, or "O-O" / "O-O-O"
    const char* san;
};

const SanCase SAN_CASES[] = {
    // Rivals on the same rank, on neither line, on the same file, on both.
    {"4k3/8/8/8/8/8/8/1N2KN2 w - - 0 1", 0, "b1d2", "Nbd2"},
    {"4k3/8/8/8/4N3/8/8/1N2K3 w - - 0 1", 0, "b1d2", "Nbd2"},
    {"4k3/8/8/N7/8/8/8/N3K3 w - - 0 1", 0, "a1b3", "N1b3"},
    {"6k1/8/8/8/8/Q7/8/Q1Q4K w - - 0 1", 0, "a1c3", "Qa1c3"},
    {"6k1/8/8/8/8/Q7/8/Q1Q4K w - - 0 1", 0, "a3c3", "Q3c3"},
    {"6k1/8/8/8/8/Q7/8/Q1Q4K w - - 0 1", 0, "c1c3", "Qcc3"},
    // A pinned knight cannot go to d4, so the other one needs no mark.
    {"k3r3/8/8/1N6/8/8/4N3/4K3 w - - 0 1", 0, "b5d4", "Nd4"},
    {"4k3/8/8/4p3/8/5N2/8/4K3 w - - 0 1", 0, "f3e5", "Nxe5"},
    {"4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1", 0, "e4d5", "exd5"},
    {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", 0, "e5d6", "exd6"},
    {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", 0, "e1e2", "Ke2"},
    {"r3k3/1P6/8/8/8/8/8/4K3 w - - 0 1", 0, "b7b8q", "b8=Q"},
    {"r3k3/1P6/8/8/8/8/8/4K3 w - - 0 1", 0, "b7b8n", "b8=N"},
    {"r3k3/1P6/8/8/8/8/8/4K3 w - - 0 1", 0, "b7a8r", "bxa8=R"},
    {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", 0, "O-O", "O-O"},
    {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", 0, "O-O-O", "O-O-O"},
    {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", 0, "O-O-O", "O-O-O"},
    // Chess960: the king next to its rook on either wing.
    {"4k3/8/8/8/8/8/8/RK5R w HA - 0 1", 1, "O-O-O", "O-O-O"},
    {"4k3/8/8/8/8/8/8/RK5R w HA - 0 1", 1, "O-O", "O-O"},
    {"4k3/8/8/8/8/8/8/R5KR w HA - 0 1", 1, "O-O", "O-O"},
};

}  // namespace

TEST(San, WritesEachKindOfMove) {
    for (const SanCase& c : SAN_CASES) {
        Position position = loadFen(c.fen);
        position.chess960 = c.chess960;
        const Move move = parseMoveText(position, c.move);
        ASSERT_NE(move, noMove) << c.fen << " " << c.move;
        const std::string before = fenOf(position);
        char san[SAN_BUFFER_SIZE];
        moveToSan(position, move, san);
        EXPECT_EQ(std::string(san), c.san) << c.fen << " " << c.move;
        EXPECT_EQ(fenOf(position), before) << "position changed";
    }
}

TEST(San, NoMoveIsEmpty) {
    Position position = loadFen("4k3/8/8/8/8/8/8/4K3 w - - 0 1");
    char san[SAN_BUFFER_SIZE] = "x";
    moveToSan(position, noMove, san);
    EXPECT_STREQ(san, "");
}
