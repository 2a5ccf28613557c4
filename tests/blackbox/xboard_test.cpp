// XBoard conversations with the real program through pipes, as a GUI holds them.
#include <string>
#include <vector>

#include "blackbox/uci_session.h"

using blackbox::UciSession;

namespace {

// A thinking line: depth, score, centiseconds, nodes, then the principal variation.
const std::string THINKING = "^[0-9]+ -?[0-9]+ [0-9]+ [0-9]+ ";
const char* const START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 0";
const char* const AFTER_E4 = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1";
const char* const AFTER_E4_E5 = "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6 0 2";

class XboardSession : public blackbox::Session {
public:
    XboardSession() {
        send({"xboard", "protover 2"});
        handshakeDone = engine.waitForLine("feature done=1");
    }
    bool handshakeDone = false;

    void send(const std::vector<std::string>& lines) {
        for (const std::string& line : lines) engine.send(line);
    }

    // "ping N" answered: every earlier command has been carried out (and a move the engine
    // was thinking about has been sent).
    bool sync(double timeoutSeconds = blackbox::DEFAULT_TIMEOUT) {
        const std::string number = std::to_string(++pings);
        engine.send("ping " + number);
        return engine.waitForLine("pong " + number, timeoutSeconds);
    }

    // The engine's next move ("" on time-out).
    std::string waitMove(double timeoutSeconds = blackbox::DEFAULT_TIMEOUT) {
        return engine.waitForPrefix("move ", timeoutSeconds) ? word(engine.lastMatch(), 1) : "";
    }

    // The engine's next move; with pondering, `hint` is the hint, which must come right after it.
    std::string waitMoveAndHint(std::string& hint, bool ponder, double timeoutSeconds = 60) {
        const std::string move = waitMove(timeoutSeconds);
        hint = "";
        if (!move.empty() && ponder && engine.waitFor([](const std::string&) { return true; }, 10)) {
            EXPECT_EQ(word(engine.lastMatch(), 0), "Hint:") << "after move " << move;
            hint = word(engine.lastMatch(), 1);
        }
        return move;
    }

    // The FEN of the engine's game (asked while no search runs).
    std::string fen() {
        engine.send("printFEN");
        if (!sync()) return "";
        const std::vector<std::string>& lines = engine.lines();
        return lines.size() >= 2 ? lines[lines.size() - 2] : "";
    }

    size_t lineCount() const { return engine.lines().size(); }

private:
    int pings = 0;
};

std::string positionCommand(const std::string& moves) {
    return moves.empty() ? "position startpos" : "position startpos moves" + moves;
}

// The engine's game must be the game the GUI (and the referee) holds.
void expectSameGame(XboardSession& xb, UciSession& referee, const std::string& moves) {
    referee.engine.send(positionCommand(moves));
    EXPECT_EQ(xb.fen(), referee.fen()) << "after" << moves;
}

}  // namespace

TEST(XboardConversation, ProtoverFeaturesPingAndBadLines) {
    XboardSession xb;
    ASSERT_TRUE(xb.handshakeDone);
    std::vector<std::string> features;
    for (const std::string& line : xb.engine.lines())
        if (line.rfind("feature ", 0) == 0) features.push_back(line);
    EXPECT_EQ(features, (std::vector<std::string>{
                            "feature myname=\"Mirelt 1.9.2 32 bits\"", "feature setboard=1", "feature analyze=1",
                            "feature ping=1", "feature draw=0", "feature sigint=0", "feature sigterm=0",
                            "feature colors=0", "feature variants=\"normal,fischerandom\"",
                            "feature option=\"Clear Hash -button\"", "feature done=1"}));
    // Bad lines never hurt the engine: the game and the engine's play go on.
    xb.send({"force", "level", "level x", "level 40", "level -1 -5 -3", "level 40 99999999:99 1e30", "st", "st -5",
             "st 99999999999", "sd", "sd -1", "time", "time x", "otim -5", "ping", "protover", "variant",
             "variant crazyhouse", "option", "option Clear", "perft", "perft 0", "perft 99999", "usermove e2e4", "e2",
             "e7e8q", "h2h1n", "\x01\x02\xff", "undo", "remove", std::string(100000, 'x'),
             "e2e4" + std::string(50000, ' '), "ping 7"});
    EXPECT_TRUE(xb.engine.waitForLine("pong 7"));
    EXPECT_EQ(xb.fen(), AFTER_E4);
    xb.send({"new", "sd 2", "go"});
    EXPECT_FALSE(xb.waitMove().empty());
    xb.engine.send("quit");
    EXPECT_EQ(xb.engine.waitExit(), 0);
}

TEST(XboardConversation, ForceModeUndoRemoveAndSetboardKeepTheGuisGame) {
    XboardSession xb;
    const char* const kingAndRook = "8/8/8/4k3/8/8/8/4K2R w K - 0 0";
    const struct {
        std::vector<std::string> lines;
        const char* fen;
        std::string illegal;  // the one "Illegal move" line expected, if any
    } cases[] = {
        {{"new", "force", "e2e4", "e7e5"}, AFTER_E4_E5, ""},
        {{"new", "force", "e2e4", "e7e5", "undo"}, AFTER_E4, ""},
        {{"new", "force", "e2e4", "e7e5", "g1f3", "remove"}, AFTER_E4, ""},
        {{"new", "force", "e2e4", "remove"}, START_FEN, ""},
        {{"new", "undo", "remove"}, START_FEN, ""},
        {{"new", "force", "e2e5"}, START_FEN, "Illegal move: e2e5"},
        {{"new", "force", "a1a1"}, START_FEN, "Illegal move: a1a1"},
        // Castling words are moves only in Chess960.
        {{"new", "force", "O-O", "e2e4"}, AFTER_E4, ""},
        {{"new", "force", "setboard 8/8/8/4k3/8/8/8/4K2R w K - 0 1"}, kingAndRook, ""},
        {{"setboard nonsense", "setboard 8/8/8 w - -", "setboard", "setboard 8/8/8/4k3/8/8/8/4K2R w K - 0 1 x"},
         kingAndRook, ""},
        // Mated: the engine has no move to announce.
        {{"new", "setboard R5k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1", "go"}, "R5k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 0", ""},
    };
    for (const auto& c : cases) {
        const size_t from = xb.lineCount();
        xb.send(c.lines);
        EXPECT_EQ(xb.fen(), c.fen) << c.lines.back();
        EXPECT_EQ(xb.countLines("Illegal move", from), c.illegal.empty() ? 0u : 1u) << c.lines.back();
        if (!c.illegal.empty()) {
            EXPECT_EQ(xb.countLines(c.illegal, from), 1u);
        }
        EXPECT_EQ(xb.countLines("move ", from), 0u) << c.lines.back();
    }
}

TEST(XboardConversation, GamesWithAndWithoutPonderingHaveOnlyLegalMovesInOrder) {
    const std::pair<bool, bool> games[] = {{true, true}, {false, true}, {false, false}};  // engine White, pondering
    for (const auto& [engineWhite, ponder] : games) {
        XboardSession xb;
        UciSession referee;
        xb.send({"new", ponder ? "hard" : "easy", "post", "level 0 0:10 0", "time 1000", "otim 1000"});
        std::string moves = engineWhite ? "" : " e2e4";
        xb.engine.send(engineWhite ? "go" : "e2e4");
        int hits = 0, misses = 0;
        for (int turn = 0;; turn++) {
            std::string hint;
            const std::string move = xb.waitMoveAndHint(hint, ponder);
            ASSERT_FALSE(move.empty()) << "no move after" << moves;
            ASSERT_TRUE(referee.acceptsMove(positionCommand(moves), move)) << move << " after" << moves;
            moves += " " + move;
            const std::vector<std::string> legal = referee.legalMoves(positionCommand(moves));
            if (legal.empty() || turn == 5) break;
            ASSERT_TRUE(!ponder || !hint.empty()) << "no hint after" << moves;
            // Alternately the expected reply (a hit) and another move (a miss).
            std::string answer = legal[0] == hint ? legal.back() : legal[0];
            if (turn % 2 == 0 && !hint.empty()) answer = hint;
            (answer == hint ? hits : misses)++;
            xb.send({"time 1000", "otim 1000", answer});
            moves += " " + answer;
        }
        ASSERT_TRUE(xb.sync(60));
        expectSameGame(xb, referee, moves);
        EXPECT_EQ(xb.countLines("Illegal"), 0u);
        EXPECT_TRUE(ponder ? hits > 0 && misses > 0 : xb.countLines("Hint: ") == 0);
    }
}

TEST(XboardConversation, TimeSetsTheEnginesClockAndOtimTheOpponentsWhicheverSideIsOnTheBoard) {
    for (const bool engineWhite : {true, false}) {
        for (const bool ponder : {false, true}) {
            XboardSession xb;
            const std::string label = std::string(engineWhite ? "White" : "Black") + (ponder ? ", pondering" : "");
            // A short clock for the engine (one second): its move comes at once. With the clocks
            // swapped it would think for minutes.
            xb.send({"new", ponder ? "hard" : "easy", "level 0 10 0", "time 100", "otim 1000000"});
            xb.engine.send(engineWhite ? "go" : "e2e4");
            std::string hint;
            ASSERT_FALSE(xb.waitMoveAndHint(hint, ponder, 15).empty()) << label << ": used the opponent's clock";
            // A long clock for the engine, sent while it ponders on the expected reply (on the board).
            xb.send({"time 1000000", "otim 100"});
            xb.engine.send(engineWhite ? (hint == "g8f6" ? "b8c6" : "g8f6") : (hint == "g1f3" ? "b1c3" : "g1f3"));
            EXPECT_FALSE(xb.engine.waitForPrefix("move ", 1.0)) << label << ": used the opponent's clock";
            xb.engine.send("?");
            EXPECT_FALSE(xb.waitMove(10).empty()) << label;
            EXPECT_EQ(xb.countLines("Illegal"), 0u);
        }
    }
}

TEST(XboardConversation, MoveNowNewAndResultEndTheEnginesSearch) {
    XboardSession xb;
    xb.send({"new", "post", "st 60", "go"});
    ASSERT_TRUE(xb.engine.waitForRegex(THINKING));
    xb.engine.send("?");
    EXPECT_FALSE(xb.waitMove(10).empty());
    // "new" and "result" (with its comment) end the search without a move.
    for (const char* line : {"new", "result 1-0 {White mates}", "result"}) {
        xb.send({"new", "st 60", "go"});
        ASSERT_TRUE(xb.engine.waitForRegex(THINKING)) << line;
        const size_t from = xb.lineCount();
        xb.engine.send(line);
        ASSERT_TRUE(xb.sync(10)) << line;
        EXPECT_EQ(xb.countLines("move ", from), 0u) << line;
    }
    EXPECT_EQ(xb.fen(), START_FEN);
}

TEST(XboardConversation, APonderSearchEndsOnMoveNowForceRemoveAndResult) {
    XboardSession xb;
    UciSession referee;
    std::string moves, hint;
    auto startPondering = [&] {
        xb.send({"new", "hard", "post", "st 1", "go"});
        moves = " " + xb.waitMoveAndHint(hint, true);
        EXPECT_TRUE(xb.engine.waitForRegex(THINKING));
    };
    // "?" ends the ponder search with no move; the expected reply then starts a real search.
    startPondering();
    xb.engine.send("?");
    ASSERT_TRUE(xb.sync());
    EXPECT_EQ(xb.countLines("move "), 1u);
    xb.engine.send(hint);
    EXPECT_FALSE(xb.waitMove(10).empty());
    ASSERT_TRUE(xb.sync());
    EXPECT_EQ(xb.countLines("move "), 2u);
    // In force mode the opponent's move starts nothing.
    startPondering();
    const std::string answer = referee.legalMoves(positionCommand(moves)).back();
    size_t from = xb.lineCount();
    xb.send({"force", answer});
    ASSERT_TRUE(xb.sync());
    EXPECT_EQ(xb.countLines("move ", from), 0u);
    expectSameGame(xb, referee, moves + " " + answer);
    // "remove" takes back the engine's move and the opponent's one before it.
    startPondering();
    xb.engine.send(hint);
    ASSERT_FALSE(xb.waitMove(10).empty());
    ASSERT_TRUE(xb.engine.waitForPrefix("Hint: "));
    xb.engine.send("remove");
    ASSERT_TRUE(xb.sync());
    expectSameGame(xb, referee, moves);
    // "easy" and "result" end it for good, its expected reply taken back: no more thinking lines.
    for (const char* line : {"easy", "result 1/2-1/2 {Draw by repetition}"}) {
        startPondering();
        xb.engine.send(line);
        ASSERT_TRUE(xb.sync());
        EXPECT_FALSE(xb.engine.waitForRegex(THINKING, 1.0)) << line;
        expectSameGame(xb, referee, moves);
    }
    EXPECT_EQ(xb.countLines("Illegal"), 0u);
}

TEST(XboardConversation, AnalysisFollowsTheGameAndExitOrResultRestoresTheTimeControl) {
    XboardSession xb;
    xb.send({"new", "st 1", "post", "force", "analyze"});
    ASSERT_TRUE(xb.engine.waitForRegex(THINKING));
    // Each change of the game restarts the analysis: the PV starts with a move of the side to move.
    const std::pair<const char*, std::string> steps[] = {{"e2e4", THINKING + "[a-h][78][a-h][56]"},
                                                         {"undo", THINKING + "[a-h][12][a-h][34] "},
                                                         {"setboard 8/8/8/4k3/8/8/8/R3K3 b - - 0 1", THINKING + "e5"},
                                                         {"new", THINKING + "[a-h][12][a-h][34] "}};
    for (const auto& [line, pv] : steps) {
        xb.engine.send(line);
        EXPECT_TRUE(xb.engine.waitForRegex(pv)) << line;
    }
    xb.engine.send("exit");
    ASSERT_TRUE(xb.sync());
    EXPECT_FALSE(xb.engine.waitForRegex(THINKING, 1.0));
    EXPECT_EQ(xb.countLines("move "), 0u);
    // The game's own time control is back: one second per move.
    xb.engine.send("go");
    EXPECT_FALSE(xb.waitMove(10).empty());
    // "result" ends an analysis too: the next game is played, not analysed.
    xb.send({"force", "analyze"});
    ASSERT_TRUE(xb.engine.waitForRegex(THINKING));
    xb.send({"result 1-0 {White resigns}", "new", "st 1", "e2e4"});
    EXPECT_FALSE(xb.waitMove(10).empty());
}

TEST(XboardConversation, Chess960CastlesBothWaysInTheGuisNotation) {
    XboardSession xb;
    xb.send({"new", "variant fischerandom", "force", "setboard nrkbqrbn/pppppppp/8/8/8/8/PPPPPPPP/NRKBQRBN w FBfb - 0 1",
             "e2e4", "e7e5", "d2d3", "d8e7", "d1f3", "O-O-O", "e1e2", "d7d6", "h2h3", "a8b6", "g1h2", "h8g6", "O-O"});
    EXPECT_EQ(xb.fen(), "2krqrb1/ppp1bppp/1n1p2n1/4p3/4P3/3P1B1P/PPP1QPPB/NR3RKN b - - 4 13");
    // Its own castling is written the same way; in each position castling is the only mate.
    const struct {
        const char* variant;
        const char* fen;
        const char* move;
    } cases[] = {{"variant fischerandom", "4rkr1/4p1p1/8/8/8/8/8/5K1R w K - 0 1", "O-O"},
                 {"variant fischerandom", "rk6/8/8/8/8/8/2P1P3/2RKR3 b q - 0 1", "O-O-O"},
                 {"variant normal", "4rkr1/4p1p1/8/8/8/8/8/4K2R w K - 0 1", "e1g1"},
                 {"new", "4rkr1/4p1p1/8/8/8/8/8/4K2R w K - 0 1", "e1g1"}};
    for (const auto& c : cases) {
        xb.send({"new", "variant fischerandom", c.variant, "force", std::string("setboard ") + c.fen, "sd 3", "go"});
        EXPECT_EQ(xb.waitMove(), c.move) << c.fen;
    }
    EXPECT_EQ(xb.countLines("Illegal"), 0u);
}
