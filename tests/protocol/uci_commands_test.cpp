// UCI commands: identification, options, "go" tokens, positions and the engine's own commands.
#include <string>

#include "protocol/uci_fixture.h"

namespace {

const char* const START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 0";

bool contains(const std::vector<std::string>& lines, const std::string& line) {
    for (const std::string& l : lines)
        if (l == line) return true;
    return false;
}

}  // namespace

TEST_F(UciFixture, UciAnnouncesIdentityAndOptionsThenUciok) {
    ASSERT_EQ(identification.size(), 14u);
    EXPECT_EQ(identification[0].rfind("id name Mirelt 1.9.2 ", 0), 0u);
    EXPECT_EQ(identification[1], "id author Orlen Vastrade");
    EXPECT_EQ(identification[2], "option name Hash type spin default 1 min 1 max 2048");
    EXPECT_EQ(identification[3], "option name Ponder type check default false");
    EXPECT_EQ(identification[4], "option name OwnBook type check default false");
    EXPECT_EQ(identification[5], "option name Book File type string default mireltbook-11.bin");
    EXPECT_EQ(identification[6], "option name Clear Hash type button");
    EXPECT_EQ(identification[7], "option name UCI_Chess960 type check default false");
    EXPECT_EQ(identification[8], "option name MultiPV type spin default 1 min 1 max 32");
    EXPECT_EQ(identification[9], "option name NullMovePruning type check default true");
    EXPECT_EQ(identification[10], "option name LateMoveReduction type check default true");
    EXPECT_EQ(identification[11], "option name UCI_LimitStrength type check default false");
    EXPECT_EQ(identification[12], "option name UCI_Elo type spin default 2600 min 1000 max 2600");
    EXPECT_EQ(identification[13], "uciok");
    EXPECT_EQ(fen(), START_FEN);
}

TEST_F(UciFixture, AnnouncedDefaultsFromTheConfigurationAreApplied) {
    host.UseNullMovePruning = 0;
    host.UseLMR = 0;
    host.UseStrength = 1;
    host.StrengthELO = 1500;
    auto lines = run("uci");
    EXPECT_TRUE(contains(lines, "option name NullMovePruning type check default false"));
    EXPECT_TRUE(contains(lines, "option name UCI_LimitStrength type check default true"));
    EXPECT_TRUE(contains(lines, "option name UCI_Elo type spin default 1500 min 1000 max 2600"));
    EXPECT_EQ(engine->limits.nullMoveEnabled, 0);
    EXPECT_EQ(engine->limits.lmrEnabled, 0);
    EXPECT_EQ(strengthElo, 1500);
    EXPECT_EQ(strengthLimited, 1);
    EXPECT_EQ(engine->limits.bookEnabled, 0);
}

TEST_F(UciFixture, NumericOptionsAreClamped) {
    // 65536 entries of 16 bytes make one megabyte.
    run("setoption name Hash value 2");
    EXPECT_EQ(engine->tt.entryCount, 2u * 65536u);
    run("setoption name Hash value 0");
    EXPECT_EQ(engine->tt.entryCount, 65536u);
    run("setoption name Hash value -7");
    EXPECT_EQ(engine->tt.entryCount, 65536u);
    run("setoption name MultiPV value 0");
    EXPECT_EQ(engine->multiPv, 1);
    run("setoption name MultiPV value 99");
    EXPECT_EQ(engine->multiPv, 32);
    run("setoption name MultiPV value 3");
    EXPECT_EQ(engine->multiPv, 3);
    // Without the "value" word nothing changes.
    run("setoption name MultiPV 5");
    run("setoption name MultiPV");
    EXPECT_EQ(engine->multiPv, 3);
}

TEST_F(UciFixture, StrengthIsLimitedOnlyWithTheCheckBoxAndAnEloBelow2600) {
    run("setoption name UCI_Elo value 2599");
    EXPECT_EQ(strengthElo, 2599);
    EXPECT_EQ(strengthLimited, 0);
    run("setoption name UCI_LimitStrength value true");
    EXPECT_EQ(strengthLimited, 1);
    run("setoption name UCI_Elo value 500");
    EXPECT_EQ(strengthElo, 1000);
    EXPECT_EQ(strengthLimited, 1);
    run("setoption name UCI_Elo value 2600");
    EXPECT_EQ(strengthLimited, 0);
    run("setoption name UCI_Elo value -1");
    EXPECT_EQ(strengthElo, 2600);
    run("setoption name UCI_Elo value 99999999999");
    EXPECT_EQ(strengthElo, 2600);
    run("setoption name UCI_Elo value 1800");
    EXPECT_EQ(strengthLimited, 1);
    run("setoption name UCI_LimitStrength value false");
    EXPECT_EQ(strengthLimited, 0);
    EXPECT_EQ(strengthElo, 1800);
}

TEST_F(UciFixture, CheckOptionsAcceptOnlyTheExactWordTrue) {
    run("setoption name Ponder value TRUE");
    EXPECT_EQ(host.ponderEnabled, 0);
    run("setoption name Ponder value true");
    EXPECT_EQ(host.ponderEnabled, 1);
    EXPECT_EQ(engine->limits.ponderEnabled, 1);
    run("setoption name Ponder value false");
    EXPECT_EQ(engine->limits.ponderEnabled, 0);
    run("setoption name NullMovePruning value false");
    EXPECT_EQ(engine->limits.nullMoveEnabled, 0);
    run("setoption name LateMoveReduction value no");
    EXPECT_EQ(engine->limits.lmrEnabled, 0);
    run("setoption name LateMoveReduction value true");
    EXPECT_EQ(engine->limits.lmrEnabled, 1);
    run("setoption name UCI_Chess960 value true");
    EXPECT_EQ(engine->position.chess960, 1);
    // The flag survives new positions.
    run("position startpos");
    EXPECT_EQ(engine->position.chess960, 1);
}

TEST_F(UciFixture, BookOptionsReportAMissingFileAndRefuseOverlongNames) {
    run("setoption name Book File value no-such-book.bin");
    EXPECT_STREQ(host.BookFile, "no-such-book.bin");
    EXPECT_EQ(run("setoption name OwnBook value true"),
              std::vector<std::string>{"info string book file not found"});
    EXPECT_EQ(host.Book, 0);
    run("setoption name Book File value " + std::string(2000, 'x'));
    EXPECT_STREQ(host.BookFile, "no-such-book.bin");
    run("setoption name OwnBook value false");
    EXPECT_EQ(engine->limits.bookEnabled, 0);
}

TEST(UciGoTokens, TokensSetModeAndLimits) {
    SearchLimits limits;
    ProtocolHost host;
    applyGoTokens("wtime 60000 btime 50000 winc 1000 binc 500", limits, host);
    EXPECT_EQ(limits.mode, MODE_CLOCK);
    EXPECT_EQ(limits.clock[WHITE], 60000.0f);
    EXPECT_EQ(limits.clock[BLACK], 50000.0f);
    EXPECT_EQ(limits.increment[WHITE], 1000);
    EXPECT_EQ(limits.increment[BLACK], 500);
    EXPECT_EQ(limits.movesToGo, 0);
    applyGoTokens("movetime 500", limits, host);
    EXPECT_EQ(limits.mode, MODE_MOVE_TIME);
    EXPECT_EQ(limits.timePerMove, 500000);
    applyGoTokens("movetime 99999999", limits, host);
    EXPECT_EQ(limits.timePerMove, INT32_MAX);
    applyGoTokens("movetime -3", limits, host);
    EXPECT_EQ(limits.timePerMove, 0);
    // The last token that sets a mode wins.
    applyGoTokens("wtime 1000 btime 1000 movetime 500", limits, host);
    EXPECT_EQ(limits.mode, MODE_MOVE_TIME);
    applyGoTokens("movestogo 20 movetime 100 wtime 5", limits, host);
    EXPECT_EQ(limits.mode, MODE_CLOCK);
    EXPECT_EQ(limits.movesToGo, 20);
    applyGoTokens("movestogo -4", limits, host);
    EXPECT_EQ(limits.movesToGo, 0);
}

TEST(UciGoTokens, DepthNodesInfiniteAndPonder) {
    SearchLimits limits;
    ProtocolHost host;
    applyGoTokens("depth 0", limits, host);
    EXPECT_EQ(limits.mode, MODE_DEPTH);
    EXPECT_EQ(limits.maxDepth, 1);
    applyGoTokens("depth 500", limits, host);
    EXPECT_EQ(limits.maxDepth, 127);
    applyGoTokens("nodes -5", limits, host);
    EXPECT_EQ(limits.mode, MODE_NODES);
    EXPECT_EQ(limits.nodeLimit, 0u);
    EXPECT_FALSE(applyGoTokens("nodes 12345", limits, host));
    EXPECT_EQ(limits.nodeLimit, 12345u);
    EXPECT_TRUE(applyGoTokens("ponderx infinite", limits, host));
    EXPECT_EQ(host.bestMoveOwed, 1);
    EXPECT_EQ(limits.mode, MODE_INFINITE);
    EXPECT_FALSE(applyGoTokens("", limits, host));
}

TEST(UciGoTokens, MalformedTokensAreSkipped) {
    SearchLimits limits;
    ProtocolHost host;
    applyGoTokens("wtimex 5 depth 3", limits, host);
    EXPECT_EQ(limits.mode, MODE_DEPTH);
    EXPECT_EQ(limits.maxDepth, 3);
    EXPECT_EQ(limits.clock[WHITE], 0.0f);
    // A keyword at the end without its value matches nothing.
    applyGoTokens("nodes 10 depth", limits, host);
    EXPECT_EQ(limits.mode, MODE_NODES);
    // An empty value word reads as 0; the word after it is skipped.
    applyGoTokens("depth  7", limits, host);
    EXPECT_EQ(limits.maxDepth, 1);
    applyGoTokens("depth abc searchmoves e2e4 garbage \x01\xff", limits, host);
    EXPECT_EQ(limits.maxDepth, 1);
}

TEST_F(UciFixture, PositionCommandsSetTheGame) {
    run("position startpos moves e2e4 e7e5");
    EXPECT_EQ(fen(), "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6 0 2");
    EXPECT_EQ(engine->gameHistoryCount, 2);
    run("position startpos xyz");
    EXPECT_EQ(engine->gameHistoryCount, 2);
    run("position startpos");
    EXPECT_EQ(fen(), START_FEN);
    run("position fen 8/8/8/8/8/8/8/K6k w - - 0 1 moves a1a2");
    EXPECT_EQ(fen(), "8/8/8/8/8/8/K7/7k b - - 1 1");
    // The last field counts the moves played since the position was set.
    run("position fen 8/8/8/8/8/8/8/K6k b - - 0 1");
    EXPECT_EQ(fen(), "8/8/8/8/8/8/8/K6k b - - 0 0");
}

TEST_F(UciFixture, RefusedFenOrMovesLeaveTheGameConsistent) {
    run("position startpos moves d2d4");
    const std::string before = fen();
    run("position fen not/a/fen w - - 0 1 moves e2e4");
    EXPECT_EQ(fen(), before);
    run("position fen");
    run("position fen ");
    run("position");
    run("position moves e2e4");
    EXPECT_EQ(fen(), before);
    auto lines = run("position startpos moves e2e4 e7e5 e1e3 g1f3");
    EXPECT_EQ(lines, std::vector<std::string>{"info string Illegal move: e1e3"});
    EXPECT_EQ(engine->gameHistoryCount, 2);
    lines = run("position startpos moves e2e4 e7e5 a7a8Q");
    EXPECT_EQ(lines, std::vector<std::string>{"info string Illegal move: a7a8Q"});
}

TEST_F(UciFixture, LongPositionLinesArePlayedWhole) {
    std::string line = "position startpos moves";
    for (int i = 0; i < 300; i++) line += " g1f3 g8f6 f3g1 f6g8";
    line += " e2e4";
    EXPECT_EQ(run(line), NO_LINES);
    EXPECT_EQ(engine->gameHistoryCount, 1201);
    EXPECT_EQ(fen().substr(0, 56), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 ");
    // A FEN padded beyond any fixed buffer is still read.
    run("position fen 8/8/8/8/8/8/8/K6k w - - 0 1" + std::string(400, ' ') + "moves a1b1");
    EXPECT_EQ(fen(), "8/8/8/8/8/8/8/1K5k b - - 1 1");
}

TEST_F(UciFixture, CastlingTextFollowsTheChess960Option) {
    const std::string position = "position fen r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1 moves ";
    run(position + "e1g1");
    EXPECT_EQ(fen(), "r3k2r/8/8/8/8/8/8/R4RK1 b kq - 1 1");
    run("setoption name UCI_Chess960 value true");
    EXPECT_EQ(run(position + "e1g1"), std::vector<std::string>{"info string Illegal move: e1g1"});
    run(position + "e1h1 e8a8");
    EXPECT_EQ(fen(), "2kr3r/8/8/8/8/8/8/R4RK1 w - - 2 2");
}

TEST_F(UciFixture, CommandsThatWouldDisturbARunningSearchAreIgnored) {
    run("position startpos moves e2e4");
    const std::string before = fen();
    engine->searching = 1;
    EXPECT_EQ(run("position startpos moves d2d4"), NO_LINES);
    EXPECT_EQ(run("go depth 1"), NO_LINES);
    EXPECT_EQ(run("setoption name MultiPV value 4"), NO_LINES);
    EXPECT_EQ(run("uci"), NO_LINES);
    EXPECT_EQ(run("perft 1"), NO_LINES);
    EXPECT_EQ(run("printFEN"), NO_LINES);
    EXPECT_EQ(run("debug on"), NO_LINES);
    EXPECT_EQ(engine->multiPv, 1);
    EXPECT_EQ(run("isready"), std::vector<std::string>{"readyok"});
    EXPECT_EQ(run("stop"), NO_LINES);
    EXPECT_EQ(engine->stopReason, STOP_NORMAL);
    EXPECT_EQ(run("ucinewgame"), NO_LINES);
    EXPECT_EQ(engine->stopReason, STOP_ABORTED);
    EXPECT_EQ(host.newGamePending, 1);
    // A stop after the abort does not turn it back into a normal end.
    run("stop");
    EXPECT_EQ(engine->stopReason, STOP_ABORTED);
    engine->searching = 0;
    EXPECT_EQ(fen(), before);
    EXPECT_EQ(run("quit"), NO_LINES);
    EXPECT_EQ(lastResult, 0);
}

TEST_F(UciFixture, PonderhitDuringAPonderSearchTurnsItIntoARealOne) {
    engine->searching = 1;
    engine->limits.pondering = 1;
    engine->stopReason = STOP_NORMAL;
    run("ponderhit");
    EXPECT_EQ(engine->limits.pondering, 0);
    EXPECT_EQ(uint32_t(engine->limits.checkCounter), engine->limits.checkInterval);
    engine->limits.pondering = 1;
    engine->stopReason = STOP_RUNNING;
    run("stop");
    EXPECT_EQ(engine->stopReason, STOP_PONDER);
    engine->searching = 0;
}

TEST_F(UciFixture, PerftCommandsNeedADepthInRange) {
    EXPECT_EQ(run("perft"), NO_LINES);
    EXPECT_EQ(run("perft 0"), NO_LINES);
    EXPECT_EQ(run("perft 128"), NO_LINES);
    EXPECT_EQ(run("divide -1"), NO_LINES);
    auto lines = run("perft 2");
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Depth 2");
    EXPECT_EQ(lines[1], "Nodes = 400");
    lines = run("perftd 1");
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[2], "Nodes captures = 0");
    lines = run("divide 1");
    EXPECT_TRUE(contains(lines, "     total : 20"));
}

TEST_F(UciFixture, InspectionCommandsDescribeTheCurrentPosition) {
    run("position startpos moves e2e4");
    auto lines = run("printFEN");
    EXPECT_EQ(lines, std::vector<std::string>{"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1"});
    char key[17];
    std::snprintf(key, sizeof key, "%016llx", static_cast<unsigned long long>(engine->position.key));
    EXPECT_EQ(run("printHashKey"), std::vector<std::string>{key});
    lines = run("eval");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("eval = ", 0), 0u);
    lines = run("printBoard");
    EXPECT_EQ(lines.back(), "Black to play");
}

TEST_F(UciFixture, UnknownAndEmptyishLinesAreIgnored) {
    for (const char* line : {"go", "isready ", "Quit", "setoption", "setoption name", "setoption name Hash value",
                             "xyzzy", "\xff\xfe", "stop now", "ucinewgame x"}) {
        EXPECT_EQ(run(line), NO_LINES) << line;
        EXPECT_EQ(lastResult, 1) << line;
    }
    EXPECT_EQ(fen(), START_FEN);
}
