// Suite rules the report texts do not show: best-move matching, perft-suite fields, the FEN
// check and speeds.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "tools/elapsed.h"
#include "tools/epd.h"
#include "tools/fencheck.h"
#include "tools/perftfields.h"

namespace {

const std::string START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

}  // namespace

TEST(Epd, MatchesWholeMoveTokens) {
    // Against Nf3 written as SAN, long algebraic and coordinates.
    for (const char* yes : {"Nf3", "Nc3 Nf3", "Nf3+", "Nf3!?", "Ng1-f3", "g1f3"})
        EXPECT_TRUE(expectedMovesMatch(yes, "Nf3", "Ng1-f3", "g1f3")) << yes;
    for (const char* no : {"f3", "Nxf3", "Nf3d4", "", "Nc3 e4"})
        EXPECT_FALSE(expectedMovesMatch(no, "Nf3", "Ng1-f3", "g1f3")) << no;
    EXPECT_TRUE(expectedMovesMatch("O-O", "O-O", "O-O", "e1g1"));
    EXPECT_FALSE(expectedMovesMatch("O-O-O", "O-O", "O-O", "e1g1"));
    EXPECT_FALSE(expectedMovesMatch("O-O", "O-O-O", "O-O-O", "e1c1"));
}

TEST(PerftFields, ReadsDepthFieldsAndConfirmsCounts) {
    const auto fields = readPerftDepthFields(START + " 0 1 ;D1 20 ;d3 8902 ;D12 5");
    EXPECT_TRUE(perftFieldsConfirm(fields, 3, 8902));
    EXPECT_TRUE(perftFieldsConfirm(fields, 12, 5));
    EXPECT_FALSE(perftFieldsConfirm(fields, 1, 21));
    EXPECT_FALSE(perftFieldsConfirm(fields, 2, 20));
    // Sixteen fields are kept; a count too long for its text is cut and never matches.
    std::string many = START;
    for (int i = 1; i <= 20; ++i) many += " ;D" + std::to_string(i) + " " + std::to_string(i);
    EXPECT_TRUE(perftFieldsConfirm(readPerftDepthFields(many), 16, 16));
    EXPECT_FALSE(perftFieldsConfirm(readPerftDepthFields(many), 17, 17));
    EXPECT_FALSE(perftFieldsConfirm(readPerftDepthFields(START + " ;D1 2" + std::string(40, '0')), 1, 2));
}

TEST(FenCheck, AcceptsWellFormedTextOnly) {
    for (const std::string& fen : {START, START + " bm e4;", std::string("8/8/8/8/8/8/8/8 b - e3 12 40"),
                                   std::string("8/8/8/8/8/8/8/8\tw\t-\t-")})
        EXPECT_TRUE(isWellFormedFen(fen)) << fen;
    const char* const bad[] = {
        "rnbqkbnr/pppppppp/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",  // seven ranks
        "rnbqkbnr/pppppppp/8/8/8/P7/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "rnbqkbnP/pppppppp/8/8/8/8/PPPPPPP1/RNBQKBNR w - -",
        "4k3/8/8/8/8/8/8/p3K3 w - - 0 1", "4k3/8/8/8/8/8/8/3KK3 w - - 0 1", "4k3/8/8/8/8/8/8/4K3 x - - 0 1",
        "4k3/8/8/8/8/8/8/R3K2R w HA - 0 1", "4k3/8/8/8/8/8/8/4K3 w - e", "4k3/8/8/8/8/8/8/4K3 w - e33 0 1",
        "4k3/8/8/8/8/8/8/4K3 w -", "4k3/8/8/8/8/8/8/4K3 w - - 0000000000000000 0000000000000001",
    };
    for (const char* fen : bad) EXPECT_FALSE(isWellFormedFen(fen)) << fen;
}

TEST(SpeedFigure, StaysFiniteForAnyElapsedTime) {
    // A run too short to measure counts as 16 ms.
    EXPECT_EQ(speedOf(uint64_t(32) * 1000000, 0.0), 2000);
    EXPECT_EQ(speedOf(uint64_t(32) * 1000000, std::numeric_limits<double>::quiet_NaN()), 2000);
    EXPECT_EQ(speedOf(UINT64_MAX, 1.0), INT32_MAX);
    EXPECT_EQ(speedOf(uint64_t(3) * 1000000, 2000000.0), 1);
}
