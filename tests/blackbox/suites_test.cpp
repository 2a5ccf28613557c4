// Command-line test suites: report texts, bad and odd input lines, missing files, and a
// best-move suite on real positions scored against what the engine really plays.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "blackbox/harness.h"

using blackbox::runEngine;
using Lines = std::vector<std::string>;

namespace {

const std::string START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
const std::string KIWIPETE = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -";
const std::regex SEARCH_LINE(R"(^[ \d]*\d/\d+ *[ +-] \d\d:\d\d:\d\d\.\d{3} .*)");

// The report without search lines, clock times as TIME and speeds as N.
Lines report(const blackbox::RunResult& run) {
    static const std::regex time(R"(\d\d:\d\d:\d\d\.\d{3})"), speed(R"(Speed( :)? \d+)");
    Lines lines;
    for (const std::string& line : run.lines)
        if (!std::regex_match(line, SEARCH_LINE))
            lines.push_back(std::regex_replace(std::regex_replace(line, time, "TIME"), speed, "Speed$1 N"));
    return lines;
}

// Whether a token of the move list, without its + # ! ? marks, is `san`.
bool hasSanToken(const std::string& list, const std::string& san) {
    std::istringstream tokens(list);
    for (std::string token; tokens >> token;) {
        std::erase_if(token, [](char c) { return std::string("+#!?").find(c) != std::string::npos; });
        if (token == san) return true;
    }
    return false;
}

}  // namespace

TEST(Suites, MissingFileEndsWithStatusOne) {
    for (const char* tool : {"-testsuite", "-perftsuite", "-evalsuite", "-checkfensuite", "-testsee"}) {
        const auto run = runEngine({tool, "missing.epd"}, {});
        EXPECT_EQ(run.status, 1) << tool;
        EXPECT_TRUE(run.lines.empty()) << tool;
        EXPECT_NE(run.errorOutput.find("missing.epd"), std::string::npos) << tool;
        EXPECT_EQ(std::count(run.errorOutput.begin(), run.errorOutput.end(), '\n'), 1) << run.errorOutput;
    }
}

TEST(Suites, TestSuiteOnRealPositionsScoresWhatTheEnginePlays) {
    const auto run = runEngine({"-testsuite", std::string(MIRELT_TEST_DATA) + "/suites/bestmove.epd", "0.2"}, {});
    ASSERT_EQ(run.status, 0);
    static const std::regex header(R"(^.* (bm|am) (.*); id (.*);$)"), result(R"(^result => '(.*)' : (ok|bad)$)");
    int32_t positions = 0, good = 0, searchLines = 0;
    std::string opcode, moves;
    Lines badNames;
    for (const std::string& line : run.lines) {
        std::smatch match;
        if (line == "Bad results : ") break;
        if (std::regex_match(line, match, header)) {
            opcode = match[1], moves = match[2], searchLines = 0;
            badNames.push_back(match[3]);
        } else if (std::regex_match(line, SEARCH_LINE)) {
            ++searchLines;
        } else if (std::regex_match(line, match, result)) {
            ++positions;
            EXPECT_GT(searchLines, 0) << "search lines come before the verdict";
            EXPECT_EQ(match[2] == "ok", hasSanToken(moves, match[1]) == (opcode == "bm")) << line << " for " << moves;
            if (match[2] == "ok") ++good, badNames.pop_back();
        }
    }
    EXPECT_EQ(positions, 6);
    const Lines lines = report(run);
    const auto score = std::find(lines.begin(), lines.end(), "Score = " + std::to_string(good) + " / 6");
    ASSERT_EQ(lines.end() - score, 4 + std::ptrdiff_t(badNames.size()));
    for (size_t i = 0; i < badNames.size(); ++i)
        EXPECT_NE(score[4 + i].find("id \"" + badNames[i] + "\""), std::string::npos) << score[4 + i];
}

TEST(Suites, TestSuiteReportsLinesItCannotSearch) {
    // Long fields are printed whole; zeros in the move list are read as O.
    const std::string badFen = "bad fen bm e4; id \"bad\";", noMoves = "x bm", noId = "y bm e4; id",
                      stalemate = "7k/5Q2/6K1/8/8/8/8/8 b - - bm Kg8; id \"stalemate\";",
                      tooLong = std::string(300, 'f') + " am 0-0-0 Qa1 Qa2 Qa3 Qa4 Qa5 Qa6 O-O-O; id \"" +
                                std::string(300, 'n');
    const auto run = runEngine({"-testsuite", "edge.epd", "0.1"}, {},
                               {{"edge.epd", "\n" + badFen + "\r\nno opcode here\n" + noMoves + "\n" + noId + "\n" +
                                                 tooLong + "\n" + stalemate + "\n"}});
    EXPECT_EQ(run.status, 0);
    const std::string rule(79, '-'), error = "ERROR : bad FEN !";
    const Lines expected = {"Mirelt version 1.9.2", "", "Test suite : edge.epd", "", rule, "bad fen  bm e4; id bad;", "",
        error, rule, "x  bm ; id ;", "", error, rule, "y  bm e4; id ;", "", error, rule,
        std::string(300, 'f') + "  am O-O-O Qa1 Qa2 Qa3 Qa4 Qa5 Qa6 O-O-O; id " + std::string(300, 'n') + ";", "", error, rule,
        "7k/5Q2/6K1/8/8/8/8/8 b - -  bm Kg8; id stalemate;", "", "no result !", "", "Time : TIME", "",
        "Total nodes = 0, Speed N", "", "Depth min = 1024, max = 0, average = 0", "", "Score = 0 / 6", "",
        "Bad results : ", "", badFen, noMoves, noId, tooLong, stalemate};
    EXPECT_EQ(report(run), expected);
    const auto empty = runEngine({"-testsuite", "empty.epd"}, {}, {{"empty.epd", "\n\r\n"}});
    EXPECT_EQ(report(empty), (Lines{"Mirelt version 1.9.2", "", "Test suite : empty.epd", ""}));
}

TEST(Suites, TestSuiteJudgesByTheWholeMoveList) {
    // Every legal move listed, far past any short buffer: under "am" the move played is bad,
    // under "bm" good.
    const std::string fen = "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3";
    const std::string all = "a3 a4 b3 b4 c3 c4 d3 d4 g3 g4 h3 h4 Na3 Nc3 Ng1 Nd4 Nh4 Ng5 Ke2 Qe2 Rg1 Be2 Bd3 Ba6 "
                            "Bb5 Bc4 Nxe5";
    const auto run = runEngine({"-testsuite", "long.epd", "0.1"}, {},
                               {{"long.epd", fen + " am " + all + "; id \"long am\";\n" + fen + " bm " + all +
                                                 "; id \"long bm\";\n"}});
    const Lines lines = report(run);
    const std::string amLine = fen + " am " + all + "; id \"long am\";";
    EXPECT_EQ(std::count(lines.begin(), lines.end(), fen + "  am " + all + "; id long am;"), 1);
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(Lines(lines.end() - 5, lines.end()), (Lines{"Score = 1 / 2", "", "Bad results : ", "", amLine}));
}

TEST(Suites, PerftSuiteScoresConfirmedLines) {
    // A refused FEN and a line without depth fields count as bad; a line longer than any read
    // buffer, with more fields than are kept, is read whole.
    std::string longLine = START + " 0 1 ;D1 20 ;D2 400";
    while (longLine.size() < 1500) longLine += " ;D9 1";
    const std::string file = START + " 0 1 ;D1 20 ;D2 400\n" + KIWIPETE + " 0 1 ;D1 48 ;D2 2039\r\n" + START +
                             " 0 1 ;D2 401\nnot a fen ;D2 400\n" + START + " 0 1\n" + longLine + "\n";
    EXPECT_EQ(runEngine({"-perftsuite", "p.epd", "2"}, {}, {{"p.epd", file}}).lines, Lines{"score = 3 / 6"});
    EXPECT_EQ(runEngine({"-perftsuite", "p.epd"}, {}, {{"p.epd", file}}).lines, Lines{"score = 3 / 6"});
    EXPECT_EQ(runEngine({"-perftsuite", "p.epd", "3"}, {}, {{"p.epd", file}}).lines, Lines{"score = 0 / 6"});
    EXPECT_EQ(runEngine({"-perftsuite", "p.epd"}, {}, {{"p.epd", ""}}).lines, Lines{"score = 0 / 0"});
    // A NUL byte is a blank: it neither hides the rest of its line nor joins the next to it.
    const std::string nul = START + std::string(1, '\0') + " 0 1 ;D2 400\n" + KIWIPETE + " 0 1 ;D2 2039\n" + START +
                            " 0 1 ;D2 400\n";
    EXPECT_EQ(runEngine({"-perftsuite", "p.epd", "2"}, {}, {{"p.epd", nul}}).lines, Lines{"score = 3 / 3"});
    const std::string cut = START + " 0 1 ;D2 400" + std::string(1, '\0') + "\n" + START + " 0 1 ;D2 400\n";
    EXPECT_EQ(runEngine({"-perftsuite", "p.epd", "2"}, {}, {{"p.epd", cut}}).lines, Lines{"score = 2 / 2"});
    for (const char* depth : {"0", "128", "x"}) {
        const auto run = runEngine({"-perftsuite", "p.epd", depth}, {}, {{"p.epd", file}});
        EXPECT_EQ(run.status, 1) << depth;
        EXPECT_TRUE(run.lines.empty()) << depth;
        EXPECT_NE(run.errorOutput.find("depth"), std::string::npos) << depth;
    }
}

TEST(Suites, CheckFenSuiteListsInvalidLines) {
    const std::string nine = "rnbqkbnr/ppppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
    const std::string shortRank = "rnbqkbn/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
    const std::string file = START + " 0 1\n" + nine + "\n" + START + "\r\n" + shortRank + "\n" + START + " bm e4;";
    const auto run = runEngine({"-checkfensuite", "f.epd"}, {}, {{"f.epd", file}});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.lines, (Lines{"Check FEN suite : 'f.epd'", "Invalid FEN String : '" + nine + "'",
                                "Invalid FEN String : '" + shortRank + "'", "Checked 3 / 5 valid FEN string"}));
}

TEST(Suites, EvalSuitePrintsEachAcceptedPosition) {
    const std::string white = "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", black = "4k3/4p3/8/8/8/8/8/4K3 b - - 0 1";
    const auto run = runEngine({"-evalsuite", "e.epd"}, {}, {{"e.epd", white + "\nnot a position\n" + black + "\r\n"}});
    EXPECT_EQ(run.status, 0);
    const Lines lines = report(run);
    ASSERT_EQ(lines.size(), 5u);
    const std::string eval = lines[0].substr(lines[0].rfind(' ') + 1);
    EXPECT_GT(std::atoi(eval.c_str()), 0);
    // Colour-mirrored positions score alike for the side to move.
    EXPECT_EQ(lines,
              (Lines{white + "  ; eval " + eval, black + "  ; eval " + eval, "", "Time : TIME", "Speed : N eval/s"}));
    const auto empty = runEngine({"-evalsuite", "e.epd"}, {}, {{"e.epd", ""}});
    ASSERT_EQ(empty.lines.size(), 3u);
    EXPECT_EQ(empty.lines[2], "Speed : 0 eval/s");
}

TEST(Suites, TestSeeCountsEveryBestMoveMark) {
    const std::string file =
        START + " bm e4; id \"start\";\n" + KIWIPETE + " bm Qxf6; c0 \"bm again\";\nno marks\nbad bm x\n";
    const auto run = runEngine({"-testsee", "s.epd"}, {}, {{"s.epd", file}});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(report(run), (Lines{"Count positions = 3", "Count SEE = 116", "Time = TIME", "Speed : N SEE/s"}));
}
