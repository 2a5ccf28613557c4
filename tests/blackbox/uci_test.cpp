// UCI conversations with the real program through pipes.
#include <string>

#include "blackbox/uci_session.h"

using blackbox::UciSession;

namespace {

const char* const AFTER_E4 = "position startpos moves e2e4";

// Searches with `go` and checks that exactly one legal bestmove answers it.
void expectOneLegalAnswer(UciSession& uci, const std::string& position, const std::string& go) {
    size_t from = uci.engine.lines().size();
    uci.engine.send(position);
    uci.engine.send(go);
    std::string best = uci.waitBestMove(120);
    ASSERT_FALSE(best.empty()) << go;
    ASSERT_TRUE(uci.sync()) << go;
    EXPECT_EQ(uci.countLines("bestmove ", from), 1u) << go;
    EXPECT_TRUE(uci.acceptsMove(position, best)) << go << " gave " << best;
}

}  // namespace

TEST(UciConversation, HandshakeAnnouncesOptionsAndEndsWithUciok) {
    UciSession uci;
    ASSERT_TRUE(uci.handshakeDone);
    const auto& lines = uci.engine.lines();
    EXPECT_EQ(uci.countLines("id name Mirelt 1.9.2"), 1u);
    EXPECT_EQ(uci.countLines("id author Orlen Vastrade"), 1u);
    EXPECT_EQ(uci.countLines("option name "), 11u);
    EXPECT_EQ(lines.back(), "uciok");
    EXPECT_TRUE(uci.sync());
    uci.engine.send("quit");
    EXPECT_EQ(uci.engine.waitExit(), 0);
}

TEST(UciConversation, EveryKindOfGoIsAnsweredByOneLegalMove) {
    UciSession uci;
    ASSERT_TRUE(uci.handshakeDone);
    for (const char* go : {"go depth 4", "go depth 0", "go movetime 200", "go nodes 3000", "go nodes -5",
                           "go wtime 3000 btime 3000 winc 100 binc 100", "go wtime 2000 btime 2000 movestogo 3",
                           "go depth x", "go "}) {
        expectOneLegalAnswer(uci, AFTER_E4, go);
    }
}

TEST(UciConversation, IsreadyIsAnsweredDuringASearchAndStopEndsIt) {
    UciSession uci;
    uci.engine.send(AFTER_E4);
    uci.engine.send("go infinite");
    ASSERT_TRUE(uci.engine.waitForPrefix("info depth"));
    size_t from = uci.engine.lines().size();
    ASSERT_TRUE(uci.sync());
    EXPECT_EQ(uci.countLines("bestmove", from), 0u);
    uci.engine.send("stop");
    std::string best = uci.waitBestMove();
    ASSERT_FALSE(best.empty());
    // A second stop has nothing left to answer.
    uci.engine.send("stop");
    ASSERT_TRUE(uci.sync());
    EXPECT_EQ(uci.countLines("bestmove"), 1u);
    EXPECT_TRUE(uci.acceptsMove(AFTER_E4, best));
}

TEST(UciConversation, InfiniteSearchAtItsDepthLimitWaitsForStop) {
    UciSession uci;
    // Bare kings: every iteration is trivial, so the depth limit comes at once.
    const std::string kings = "position fen 8/8/8/4k3/8/8/8/4K3 w - - 0 1";
    uci.engine.send(kings);
    uci.engine.send("go infinite");
    ASSERT_TRUE(uci.engine.waitForPrefix("info depth 127"));
    EXPECT_FALSE(uci.engine.waitForPrefix("bestmove", 1.0));
    uci.engine.send("stop");
    std::string best = uci.waitBestMove();
    EXPECT_TRUE(uci.acceptsMove(kings, best)) << best;
    uci.engine.send("stop");
    ASSERT_TRUE(uci.sync());
    EXPECT_EQ(uci.countLines("bestmove"), 1u);
}

TEST(UciConversation, PonderhitTurnsThePonderSearchIntoTheRealOne) {
    UciSession uci;
    uci.engine.send("setoption name Ponder value true");
    const std::string position = "position startpos moves e2e4 e7e5";
    uci.engine.send(position);
    uci.engine.send("go ponder wtime 4000 btime 4000");
    ASSERT_TRUE(uci.sync());
    EXPECT_EQ(uci.countLines("bestmove"), 0u);
    uci.engine.send("ponderhit");
    std::string best = uci.waitBestMove(60);
    ASSERT_FALSE(best.empty());
    std::string ponder = uci.lastPonderMove();
    EXPECT_NE(ponder, "0000");
    EXPECT_TRUE(uci.acceptsMove(position, best));
    if (!ponder.empty()) {
        EXPECT_TRUE(uci.acceptsMove(position + " " + best, ponder));
    }
}

TEST(UciConversation, StopDuringPonderAnswersWithTheMoveAndExpectedReply) {
    UciSession uci;
    uci.engine.send("setoption name Ponder value true");
    uci.engine.send(AFTER_E4);
    uci.engine.send("go ponder wtime 60000 btime 60000");
    ASSERT_TRUE(uci.sync());
    uci.engine.send("stop");
    std::string best = uci.waitBestMove();
    ASSERT_FALSE(best.empty());
    EXPECT_TRUE(uci.acceptsMove(AFTER_E4, best));
    // A ponder search that reaches its depth limit holds its answer until ponderhit.
    uci.engine.send("go ponder depth 2");
    EXPECT_FALSE(uci.engine.waitForPrefix("bestmove", 1.0));
    uci.engine.send("ponderhit");
    EXPECT_FALSE(uci.waitBestMove().empty());
}

TEST(UciConversation, NewGameDuringASearchAbortsItAndResetsTheGame) {
    UciSession uci;
    uci.engine.send(AFTER_E4);
    uci.engine.send("go depth 100");
    uci.engine.send("ucinewgame");
    ASSERT_TRUE(uci.sync(60));
    EXPECT_EQ(uci.fen(), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 0");
    EXPECT_EQ(uci.countLines("bestmove"), 0u);
    // The engine plays on normally afterwards.
    expectOneLegalAnswer(uci, AFTER_E4, "go depth 3");
}

TEST(UciConversation, CommandsThatWouldDisturbASearchAreIgnoredWhileItRuns) {
    UciSession uci;
    uci.engine.send(AFTER_E4);
    uci.engine.send("go infinite");
    ASSERT_TRUE(uci.engine.waitForPrefix("info depth"));
    uci.engine.send("position startpos moves d2d4 d7d5");
    uci.engine.send("go depth 1");
    uci.engine.send("setoption name MultiPV value 3");
    uci.engine.send("perft 3");
    uci.engine.send("uci");
    ASSERT_TRUE(uci.sync());
    uci.engine.send("stop");
    std::string best = uci.waitBestMove();
    ASSERT_TRUE(uci.sync());
    EXPECT_EQ(uci.countLines("bestmove"), 1u);
    EXPECT_EQ(uci.countLines("info multipv"), 0u);
    EXPECT_EQ(uci.countLines("Nodes = "), 0u);
    EXPECT_EQ(uci.countLines("uciok"), 1u);
    EXPECT_TRUE(uci.acceptsMove(AFTER_E4, best)) << best;
}

TEST(UciConversation, MultiPvReportsDistinctLines) {
    UciSession uci;
    uci.engine.send("setoption name MultiPV value 3");
    uci.engine.send("position startpos");
    uci.engine.send("go depth 4");
    std::string best = uci.waitBestMove(60);
    ASSERT_FALSE(best.empty());
    std::string first[4];
    for (const std::string& line : uci.engine.lines()) {
        if (line.rfind("info multipv ", 0) != 0 || UciSession::word(line, 4) != "4") continue;
        int number = std::stoi(UciSession::word(line, 2));
        size_t pv = line.find(" pv ");
        ASSERT_NE(pv, std::string::npos);
        if (number >= 1 && number <= 3) first[number] = UciSession::word(line.substr(pv + 4), 0);
    }
    EXPECT_FALSE(first[1].empty());
    EXPECT_FALSE(first[3].empty());
    EXPECT_NE(first[1], first[2]);
    EXPECT_NE(first[2], first[3]);
    EXPECT_NE(first[1], first[3]);
    EXPECT_EQ(best, first[1]);
}

TEST(UciConversation, MateScoresCountMovesForBothSides) {
    UciSession uci;
    const std::string mating = "position fen 6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - 0 1";
    uci.engine.send(mating);
    uci.engine.send("go depth 4");
    EXPECT_EQ(uci.waitBestMove(60), "a1a8");
    EXPECT_GE(uci.countLines("info depth 4 "), 1u);
    EXPECT_NE(uci.engine.output().find("score mate 1 "), std::string::npos);
    // Black's only move walks into mate.
    uci.engine.send("position fen k7/8/1K6/8/8/8/8/7R b - - 0 1");
    uci.engine.send("go depth 4");
    EXPECT_EQ(uci.waitBestMove(60), "a8b8");
    EXPECT_NE(uci.engine.output().find("score mate -1 "), std::string::npos);
    // Already mated: no move to give.
    uci.engine.send("position fen R5k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1");
    uci.engine.send("go depth 3");
    EXPECT_EQ(uci.waitBestMove(60), "0000");
}

TEST(UciConversation, IllegalMovesInPositionAreReportedAndTheGoodOnesKept) {
    UciSession uci;
    uci.engine.send("position startpos moves e2e4 e7e5 e1e3 g1f3");
    ASSERT_TRUE(uci.engine.waitForLine("info string Illegal move: e1e3"));
    EXPECT_EQ(uci.fen(), "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6 0 2");
    uci.engine.send("position startpos moves e2e5");
    ASSERT_TRUE(uci.engine.waitForLine("info string Illegal move: e2e5"));
    uci.engine.send("position startpos moves e7e5");
    ASSERT_TRUE(uci.engine.waitForLine("info string Illegal move: e7e5"));
}

TEST(UciConversation, Chess960CastlingIsKingTakesRook) {
    UciSession uci;
    uci.engine.send("setoption name UCI_Chess960 value true");
    const std::string start = "position fen bqnrkrnb/pppppppp/8/8/8/8/PPPPPPPP/BQNRKRNB w KQkq - 0 1";
    EXPECT_TRUE(uci.acceptsMove(start, "g1f3 g8f6 e1f1"));
    EXPECT_EQ(uci.fen(), "bqnrkr1b/pppppppp/5n2/8/8/5N2/PPPPPPPP/BQNR1RKB b kq - 3 3");
    // Its bestmove is written the same way and accepted back.
    const std::string position = "position fen bqnrkr1b/pppppppp/5n2/8/8/5N2/PPPPPPPP/BQNRKR1B w KQkq - 0 1";
    expectOneLegalAnswer(uci, position, "go depth 3");
}

TEST(UciConversation, BadAndTruncatedLinesNeverHurtTheEngine) {
    UciSession uci;
    for (const char* line :
         {"position", "position fen", "position fen ", "position fen 8/8/8 w - - moves e2e4",
          "position fen rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1 moves e2",
          "position startpos moves e2e4 e7e5 O-O-O", "position startpos moves a7a8Q", "go", "setoption",
          "setoption name", "setoption name Hash value", "setoption name Hash value -9", "setoption name MultiPV",
          "setoption name Book File value", "perft", "perft 99999", "divide -3", "debug on", "\x01\x02\xff",
          "ucinewgame now", "stop", "ponderhit"}) {
        uci.engine.send(line);
    }
    uci.engine.send(std::string(100000, 'x'));
    uci.engine.send("position startpos moves " + std::string(50000, ' ') + "e2e4");
    ASSERT_TRUE(uci.sync());
    EXPECT_EQ(uci.countLines("bestmove"), 0u);
    EXPECT_EQ(uci.fen(), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
    expectOneLegalAnswer(uci, AFTER_E4, "go depth 3");
}

TEST(UciConversation, AVeryLongGameIsPlayedWholeAndSearched) {
    UciSession uci;
    std::string position = "position startpos moves";
    for (int i = 0; i < 400; i++) position += " g1f3 g8f6 f3g1 f6g8";
    position += " d2d4";
    uci.engine.send(position);
    std::string fen = uci.fen();
    EXPECT_EQ(fen.substr(0, 56), "rnbqkbnr/pppppppp/8/8/3P4/8/PPP1PPPP/RNBQKBNR b KQkq d3 ") << fen;
    expectOneLegalAnswer(uci, position, "go depth 3");
}

TEST(UciConversation, QuitOrEndOfInputDuringASearchEndsTheProgram) {
    {
        UciSession uci;
        uci.engine.send(AFTER_E4);
        uci.engine.send("go depth 100");
        uci.engine.send("quit");
        EXPECT_EQ(uci.engine.waitExit(60), 0);
        EXPECT_EQ(uci.countLines("bestmove"), 0u);
    }
    {
        UciSession uci;
        uci.engine.send(AFTER_E4);
        uci.engine.send("go infinite");
        ASSERT_TRUE(uci.engine.waitForPrefix("info depth"));
        uci.engine.closeInput();
        EXPECT_EQ(uci.engine.waitExit(60), 0);
        EXPECT_EQ(uci.countLines("bestmove"), 1u);
    }
    {
        // An infinite search owes its answer even when the GUI quits.
        UciSession uci;
        uci.engine.send(AFTER_E4);
        uci.engine.send("go infinite");
        ASSERT_TRUE(uci.engine.waitForPrefix("info depth"));
        uci.engine.send("quit");
        EXPECT_EQ(uci.engine.waitExit(60), 0);
        EXPECT_EQ(uci.countLines("bestmove"), 1u);
    }
}

TEST(UciConversation, EndOfInputSendsAHeldBackBestmoveAsQuitDoes) {
    const std::string kings = "position fen 8/8/8/4k3/8/8/8/4K3 w - - 0 1";
    struct Case {
        const char* go;
        bool closeInput;
    } cases[] = {{"go infinite", false}, {"go infinite", true}, {"go ponder depth 3", true}};
    for (const Case& c : cases) {
        UciSession uci;
        uci.engine.send("setoption name Ponder value true");
        uci.engine.send(kings);
        uci.engine.send(c.go);
        // Both searches end by themselves at once and hold their answer back.
        ASSERT_TRUE(uci.engine.waitForPrefix("info depth "));
        EXPECT_FALSE(uci.engine.waitForPrefix("bestmove", 1.0)) << c.go;
        if (c.closeInput)
            uci.engine.closeInput();
        else
            uci.engine.send("quit");
        EXPECT_EQ(uci.engine.waitExit(60), 0);
        EXPECT_EQ(uci.countLines("bestmove"), 1u) << c.go << (c.closeInput ? " then end of input" : " then quit");
    }
}
