// UCI search output: score, time and speed texts, info lines and the bestmove rules.
#include <cmath>

#include "protocol/uci_fixture.h"

TEST(UciText, ScoresShowMovesToMateOrCentipawns) {
    struct Case {
        int32_t score;
        const char* kind;
        int32_t value;
    } cases[] = {{0, "cp", 0},          {150, "cp", 150},         {-75, "cp", -75},
                 {31743, "cp", 31743},  {-31743, "cp", -31743},   {31999, "mate", 1},
                 {31997, "mate", 2},    {31998, "mate", 2},       {31744, "mate", 129},
                 {-31998, "mate", -1},  {-31996, "mate", -2},     {-31744, "mate", -128}};
    for (const Case& c : cases) {
        UciScore shown = uciScore(c.score);
        EXPECT_STREQ(shown.kind, c.kind) << c.score;
        EXPECT_EQ(shown.value, c.value) << c.score;
    }
}

TEST(UciText, TimeAndSpeedNeverDivideByZeroOrOverflow) {
    EXPECT_EQ(uciTimeMs(0.0), 16);
    EXPECT_EQ(uciTimeMs(1500000.9), 1500);
    EXPECT_EQ(uciTimeMs(NAN), 16);
    EXPECT_EQ(uciTimeMs(1e300), INT32_MAX);
    EXPECT_EQ(uciNodesPerSecond(1000, 0.0), 62500u);
    EXPECT_EQ(uciNodesPerSecond(123456, 1500000.0), 82304u);
    EXPECT_EQ(uciNodesPerSecond(4000000000ull, 1.0), UINT32_MAX);
    // An unreadable time counts as no time at all.
    EXPECT_EQ(uciNodesPerSecond(5, NAN), 312u);
}

TEST_F(UciFixture, PvLinesCarryScoreBoundTimeAndMoves) {
    Move pv[2] = {move("e2e4"), makeMove(E7, E5, PAWN, 0, 0, MOVE_DOUBLE_PUSH)};
    auto lines = capture([&] { uci->listener.onPv(5, 150, pv, 1500000.0, 2, 123456, 9, 2); });
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0],
              "info depth 5 seldepth 9 score cp 150 lowerbound time 1500 nodes 123456 nps 82304 pv e2e4 e7e5");
    lines = capture([&] { uci->listener.onPv(5, 150, pv, 1500000.0, 1, 123456, 9, 0); });
    EXPECT_EQ(lines.at(0), "info depth 5 seldepth 9 score cp 150 time 1500 nodes 123456 nps 82304 pv e2e4");
    lines = capture([&] { uci->listener.onMultiPv(2, 3, -31998, 0.0, pv, 1, 1000, 4, 1); });
    EXPECT_EQ(lines.at(0),
              "info multipv 2 depth 3 seldepth 4 score mate -1 upperbound time 16 nodes 1000 nps 62500 pv e2e4");
}

TEST_F(UciFixture, OtherReportsUseTheirFixedFormats) {
    auto lines = capture([&] {
        uci->listener.onDepth(7);
        uci->listener.onCurrMove(move("g1f3"), 3);
        uci->listener.onCurrMove(noMove, 1);
        uci->listener.onInfoString("Illegal move: e1e3");
    });
    std::vector<std::string> expected = {"info depth 7", "info currmove g1f3 currmovenumber 3",
                                         "info currmove 0000 currmovenumber 1", "info string Illegal move: e1e3"};
    EXPECT_EQ(lines, expected);
}

TEST_F(UciFixture, CastlingInAPvFollowsTheChess960Option) {
    Move castle = makeMove(E1, H1, KING, 0, 0, MOVE_CASTLING);
    auto lines = capture([&] { uci->listener.onPv(1, 0, &castle, 1000.0, 1, 1, 1, 0); });
    EXPECT_NE(lines.at(0).find("pv e1g1"), std::string::npos) << lines[0];
    run("setoption name UCI_Chess960 value true");
    lines = capture([&] { uci->listener.onPv(1, 0, &castle, 1000.0, 1, 1, 1, 0); });
    EXPECT_NE(lines.at(0).find("pv e1h1"), std::string::npos) << lines[0];
}

// The end report of a search, seen from the GUI.
class UciBestMove : public UciFixture {
protected:
    void SetUp() override {
        UciFixture::SetUp();
        engine->limits.mode = MODE_CLOCK;
        engine->lastMove = move("e2e4");
        engine->limits.ponderMove = makeMove(E7, E5, PAWN, 0, 0, MOVE_DOUBLE_PUSH);
    }
    std::vector<std::string> end(StopReason reason) {
        return capture([&] { uci->listener.onSearchEnd(reason); });
    }
};

TEST_F(UciBestMove, NormalEndNamesTheMoveAndThePonderMoveOnlyWhenPondering) {
    EXPECT_EQ(end(STOP_NORMAL), std::vector<std::string>{"bestmove e2e4"});
    run("setoption name Ponder value true");
    EXPECT_EQ(end(STOP_NORMAL), std::vector<std::string>{"bestmove e2e4 ponder e7e5"});
    // No expected reply: the ponder part is left out, never "ponder 0000".
    engine->limits.ponderMove = noMove;
    EXPECT_EQ(end(STOP_NORMAL), std::vector<std::string>{"bestmove e2e4"});
    engine->lastMove = noMove;
    EXPECT_EQ(end(STOP_NORMAL), std::vector<std::string>{"bestmove 0000"});
}

TEST_F(UciBestMove, InfiniteSearchThatEndsByItselfWaitsForStop) {
    engine->limits.mode = MODE_INFINITE;
    EXPECT_EQ(end(STOP_NORMAL), NO_LINES);
    EXPECT_EQ(run("isready"), std::vector<std::string>{"readyok"});
    EXPECT_EQ(run("stop"), std::vector<std::string>{"bestmove e2e4"});
    EXPECT_EQ(run("stop"), NO_LINES);
    // Stopped by the GUI: answered at once.
    uci->stopRequested = 1;
    EXPECT_EQ(end(STOP_NORMAL), std::vector<std::string>{"bestmove e2e4"});
}

TEST_F(UciBestMove, InfiniteResultHeldBackIsSentOnQuit) {
    engine->limits.mode = MODE_INFINITE;
    EXPECT_EQ(end(STOP_NORMAL), NO_LINES);
    EXPECT_EQ(run("quit"), std::vector<std::string>{"bestmove e2e4"});
    EXPECT_EQ(lastResult, 0);
}

TEST_F(UciBestMove, PonderSearchAtItsDepthLimitWaitsForPonderhitOrStop) {
    run("setoption name Ponder value true");
    EXPECT_EQ(end(STOP_PONDER_DEPTH), NO_LINES);
    EXPECT_EQ(run("ponderhit"), std::vector<std::string>{"bestmove e2e4 ponder e7e5"});
    EXPECT_EQ(run("ponderhit"), NO_LINES);
    EXPECT_EQ(end(STOP_PONDER_DEPTH), NO_LINES);
    EXPECT_EQ(run("stop"), std::vector<std::string>{"bestmove e2e4 ponder e7e5"});
    // Stopped while pondering: answered at once.
    uci->stopRequested = 1;
    EXPECT_EQ(end(STOP_PONDER), std::vector<std::string>{"bestmove e2e4 ponder e7e5"});
}

TEST_F(UciBestMove, StopOrPonderhitWithNothingOwedSendNothing) {
    run("setoption name Ponder value true");
    EXPECT_EQ(run("stop"), NO_LINES);
    EXPECT_EQ(run("ponderhit"), NO_LINES);
    EXPECT_FALSE(engine->searching);
}

TEST_F(UciBestMove, AbortedSearchAnswersOnlyAnOwedInfiniteSearch) {
    EXPECT_EQ(end(STOP_ABORTED), NO_LINES);
    host.bestMoveOwed = 1;
    engine->lastMove = noMove;
    EXPECT_EQ(end(STOP_ABORTED), std::vector<std::string>{"bestmove 0000"});
    EXPECT_EQ(host.bestMoveOwed, 0);
    EXPECT_EQ(end(STOP_ABORTED), NO_LINES);
}

TEST_F(UciBestMove, NewGameDuringASearchResetsTheGameOnceAtTheEnd) {
    run("position startpos moves e2e4 e7e5");
    host.newGamePending = 1;
    host.bestMoveOwed = 1;
    EXPECT_EQ(end(STOP_ABORTED), NO_LINES);
    EXPECT_EQ(engine->gameHistoryCount, 0);
    EXPECT_EQ(fen(), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 0");
    EXPECT_EQ(host.newGamePending, 0);
    EXPECT_EQ(host.bestMoveOwed, 0);
    run("position startpos moves d2d4");
    EXPECT_EQ(end(STOP_ABORTED), NO_LINES);
    EXPECT_EQ(engine->gameHistoryCount, 1);
}
