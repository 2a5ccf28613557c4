// Suite file reading, EPD fields, best-move matching, perft-suite fields and the FEN check.
#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "tools/elapsed.h"
#include "tools/epd.h"
#include "tools/fencheck.h"
#include "tools/perftfields.h"
#include "tools/suitefile.h"

namespace {

constexpr const char* START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

struct SplitCase {
    std::string line;
    EpdOpcode opcode;
    std::string fen, expected, name;
};

struct MatchCase {
    const char* expected;
    bool matches;  // against Nf3 / Ng1-f3 / g1f3, or O-O when the list castles
};

}  // namespace

TEST(SuiteFile, ReadsWholeLinesWithoutLineEnds) {
    const std::string longLine(2000, 'x');
    const std::string path = testing::TempDir() + "suitefile.epd";
    std::FILE* out = std::fopen(path.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fputs(("a\r\n\n\r\nbb\n" + longLine + "\nlast").c_str(), out);
    std::fclose(out);
    SuiteFile file(path.c_str());
    std::vector<std::string> lines;
    for (std::string line; file.nextLine(line);) lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "bb", longLine, "last"}));
    EXPECT_FALSE(SuiteFile("no/such/file.epd").isOpen());
}

TEST(Epd, SplitsTestLines) {
    const std::string longName(300, 'n');
    const std::string longFen(300, 'f');
    const SplitCase cases[] = {
        {std::string(START) + " bm Nf3 Nc3; id \"WAC.001\";", EpdOpcode::BestMove, std::string(START) + " ",
         "Nf3 Nc3", "WAC.001"},
        {"8/8 w - - am 0-0-0; id \"castle\"", EpdOpcode::AvoidMove, "8/8 w - - ", "O-O-O", "castle"},
        {"8/8 w - - bm Qd1", EpdOpcode::BestMove, "8/8 w - - ", "Qd1", ""},
        {"8/8 w - - bm", EpdOpcode::BestMove, "8/8 w - - ", "", ""},
        {"8/8 w - - bm e4; id", EpdOpcode::BestMove, "8/8 w - - ", "e4", ""},
        {"8/8 w - - bm e4; id \"" + longName, EpdOpcode::BestMove, "8/8 w - - ", "e4", longName.substr(0, 255)},
        {longFen + " bm e4;", EpdOpcode::BestMove, longFen.substr(0, 255), "e4", ""},
        // A cut move list loses its cut-off move: "O-O-O" must not become "O-O".
        {"8/8 w - - bm Qa1 Qa2 Qa3 Qa4 Qa5 Qa6 Qa7 O-O-O;", EpdOpcode::BestMove, "8/8 w - - ",
         "Qa1 Qa2 Qa3 Qa4 Qa5 Qa6 Qa7 ", ""},
        {"no opcode here", EpdOpcode::None, "", "", ""},
    };
    for (const SplitCase& c : cases) {
        const EpdTestLine fields = splitEpdTestLine(c.line);
        EXPECT_EQ(fields.opcode, c.opcode) << c.line;
        EXPECT_EQ(fields.fen, c.fen) << c.line;
        EXPECT_EQ(fields.expected, c.expected) << c.line;
        EXPECT_EQ(fields.name, c.name) << c.line;
    }
}

TEST(Epd, MatchesWholeMoveTokens) {
    const MatchCase knight[] = {{"Nf3", true},    {"Nc3 Nf3", true}, {"Nf3+", true},  {"Nf3!?", true},
                                {"Ng1-f3", true}, {"g1f3", true},    {"f3", false},   {"Nxf3", false},
                                {"Nf3d4", false}, {"", false},       {"Nc3 e4", false}};
    for (const MatchCase& c : knight)
        EXPECT_EQ(expectedMovesMatch(c.expected, "Nf3", "Ng1-f3", "g1f3"), c.matches) << c.expected;
    EXPECT_TRUE(expectedMovesMatch("O-O", "O-O", "O-O", "e1g1"));
    EXPECT_FALSE(expectedMovesMatch("O-O-O", "O-O", "O-O", "e1g1"));
    EXPECT_FALSE(expectedMovesMatch("O-O", "O-O-O", "O-O-O", "e1c1"));
}

TEST(PerftFields, ReadsDepthFieldsAndConfirmsCounts) {
    const auto fields = readPerftDepthFields(std::string(START) + " 0 1 ;D1 20 ;D2 400;d3 8902 ;D12 5");
    ASSERT_EQ(fields.count, 4);
    EXPECT_TRUE(perftFieldsConfirm(fields, 1, 20));
    EXPECT_TRUE(perftFieldsConfirm(fields, 2, 400));
    EXPECT_TRUE(perftFieldsConfirm(fields, 3, 8902));
    EXPECT_TRUE(perftFieldsConfirm(fields, 12, 5));
    EXPECT_FALSE(perftFieldsConfirm(fields, 2, 401));
    EXPECT_FALSE(perftFieldsConfirm(fields, 4, 20));
    EXPECT_EQ(readPerftDepthFields(START).count, 0);
    std::string many(START);
    for (int i = 1; i <= 20; ++i) many += " ;D" + std::to_string(i) + " " + std::to_string(i);
    const auto table = readPerftDepthFields(many);
    EXPECT_EQ(table.count, PERFT_FIELDS_MAX);
    EXPECT_TRUE(perftFieldsConfirm(table, 16, 16));
    EXPECT_FALSE(perftFieldsConfirm(table, 17, 17));
    // A count too long for the table is cut and never matches.
    const auto cut = readPerftDepthFields(std::string(START) + " ;D1 2" + std::string(40, '0'));
    EXPECT_FALSE(perftFieldsConfirm(cut, 1, 2));
}

TEST(FenCheck, AcceptsWellFormedText) {
    for (const std::string& fen : {std::string(START) + " 0 1", std::string(START), std::string(START) + " bm e4;",
                                   std::string("8/8/8/8/8/8/8/8 b - e3 12 40"), std::string("8/8/8/8/8/8/8/8\tw\t-\t-")})
        EXPECT_TRUE(isWellFormedFen(fen)) << fen;
}

TEST(FenCheck, RejectsMalformedText) {
    const char* const bad[] = {
        "rnbqkbnr/ppppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",  // nine squares
        "rnbqkbn/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",    // short rank
        "rnbqkbnr/pppppppp/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",     // seven ranks
        "rnbqkbnr/pppppppp/8/8/8/P7/PPPPPPPP/RNBQKBNR w KQkq - 0 1",  // ninth pawn
        "rnbqkbnP/pppppppp/8/8/8/8/PPPPPPP1/RNBQKBNR w KQkq - 0 1",   // pawn on rank 8
        "4k3/8/8/8/8/8/8/p3K3 w - - 0 1",                             // pawn on rank 1
        "4k3/8/8/8/8/8/8/3KK3 w - - 0 1",                             // two kings
        "4k3/8/8/8/8/8/8/4K3 x - - 0 1",                              // side
        "4k3/8/8/8/8/8/8/R3K2R w HA - 0 1",                           // castling file letters
        "4k3/8/8/8/8/8/8/4K3 w - e",                                  // en passant without rank
        "4k3/8/8/8/8/8/8/4K3 w - e33 0 1",                            // two rank digits
        "4k3/8/8/8/8/8/8/4K3 w -",                                    // no en-passant field
        "4k3/8/8/8/8/8/8/4K3 w - - 0000000000000000 0000000000000001",  // 31 counter digits
    };
    for (const char* fen : bad) EXPECT_FALSE(isWellFormedFen(fen)) << fen;
}

TEST(SpeedFigure, StaysFiniteForAnyElapsedTime) {
    EXPECT_EQ(speedOf(0, 0.0), 0);
    // A run too short to measure counts as 16 ms.
    EXPECT_EQ(speedOf(uint64_t(32) * 1000000, 0.0), 2000);
    EXPECT_EQ(speedOf(uint64_t(32) * 1000000, std::numeric_limits<double>::quiet_NaN()), 2000);
    EXPECT_EQ(speedOf(UINT64_MAX, 1.0), INT32_MAX);
    EXPECT_EQ(speedOf(uint64_t(3) * 1000000, 2000000.0), 1);
}
