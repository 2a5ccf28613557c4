// XBoard conversations with the real program through pipes.
#include <string>
#include <vector>

#include "blackbox/uci_session.h"
#include "blackbox/xboard_session.h"

using blackbox::THINKING_LINE;
using blackbox::UciSession;
using blackbox::XboardSession;

namespace {

const char* const START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 0";
const char* const AFTER_E4 = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1";
const char* const AFTER_E4_E5 = "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6 0 2";

// Index of the last output line that starts with `prefix`.
size_t lastLineStarting(const XboardSession& xb, const std::string& prefix) {
    const auto& lines = xb.engine.lines();
    for (size_t i = lines.size(); i-- > 0;)
        if (lines[i].rfind(prefix, 0) == 0) return i;
    return lines.size();
}

std::string positionCommand(const std::string& moves) {
    return moves.empty() ? "position startpos" : "position startpos moves" + moves;
}

// The engine's game must be the game the GUI (and the referee) holds.
void expectSameGame(XboardSession& xb, UciSession& referee, const std::string& moves) {
    referee.engine.send(positionCommand(moves));
    EXPECT_EQ(xb.fen(), referee.fen()) << "after" << moves;
}

// Waits for the engine's move and its hint; returns the hint ("" when none is expected).
std::string waitMoveAndHint(XboardSession& xb, std::string& move, bool ponder, double timeoutSeconds = 60) {
    move = xb.waitMove(timeoutSeconds);
    if (move.empty() || !ponder) return "";
    if (!xb.engine.waitForPrefix("Hint: ", 10)) return "";
    // Nothing comes between the move and its hint.
    EXPECT_EQ(lastLineStarting(xb, "Hint: "), lastLineStarting(xb, "move ") + 1);
    return XboardSession::word(xb.engine.lastMatch(), 1);
}

}  // namespace

TEST(XboardConversation, ProtoverAnnouncesTheFeaturesAndPingIsAnswered) {
    XboardSession xb;
    ASSERT_TRUE(xb.handshakeDone);
    std::vector<std::string> features;
    for (const std::string& line : xb.engine.lines())
        if (line.rfind("feature ", 0) == 0) features.push_back(line);
    const std::vector<std::string> expected = {
        "feature myname=\"Mirelt 1.9.2 32 bits\"", "feature setboard=1",  "feature analyze=1",
        "feature ping=1",     "feature draw=0",      "feature sigint=0",    "feature sigterm=0",
        "feature colors=0",   "feature variants=\"normal,fischerandom\"", "feature option=\"Clear Hash -button\"",
        "feature done=1"};
    EXPECT_EQ(features, expected);
    xb.engine.send("ping 7");
    EXPECT_TRUE(xb.engine.waitForLine("pong 7"));
    xb.engine.send("quit");
    EXPECT_EQ(xb.engine.waitExit(), 0);
}

TEST(XboardConversation, ForceModeUndoRemoveAndSetboardKeepTheGuisGame) {
    XboardSession xb;
    const char* const kingAndRook = "8/8/8/4k3/8/8/8/4K2R w K - 0 0";
    struct Case {
        std::vector<std::string> lines;
        const char* fen;
        const char* message;
    } cases[] = {
        {{"new", "force", "e2e4", "e7e5"}, AFTER_E4_E5, nullptr},
        {{"new", "force", "e2e4", "e7e5", "undo"}, AFTER_E4, nullptr},
        {{"new", "force", "e2e4", "e7e5", "g1f3", "remove"}, AFTER_E4, nullptr},
        {{"new", "force", "e2e4", "remove"}, START_FEN, nullptr},
        {{"new", "undo", "remove"}, START_FEN, nullptr},
        {{"new", "force", "e2e5"}, START_FEN, "Illegal move: e2e5"},
        {{"new", "force", "a1a1"}, START_FEN, "Illegal move: a1a1"},
        // Castling words are moves only in Chess960.
        {{"new", "force", "O-O", "e2e4"}, AFTER_E4, nullptr},
        {{"new", "force", "setboard 8/8/8/4k3/8/8/8/4K2R w K - 0 1"}, kingAndRook, nullptr},
        {{"setboard nonsense", "setboard 8/8/8 w - -", "setboard", "setboard 8/8/8/4k3/8/8/8/4K2R w K - 0 1 x"},
         kingAndRook, nullptr},
        // Mated: the engine has no move to announce.
        {{"new", "setboard R5k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1", "go"}, "R5k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 0",
         nullptr},
    };
    for (const Case& c : cases) {
        size_t from = xb.engine.lines().size();
        xb.send(c.lines);
        EXPECT_EQ(xb.fen(), c.fen) << c.lines.back();
        EXPECT_EQ(xb.countLines("Illegal move", from), c.message ? 1u : 0u) << c.lines.back();
        if (c.message) {
            EXPECT_EQ(xb.countLines(c.message, from), 1u);
        }
        EXPECT_EQ(xb.countLines("move ", from), 0u) << c.lines.back();
    }
}

TEST(XboardConversation, GamesWithAndWithoutPonderingHaveOnlyLegalMovesInOrder) {
    struct Case {
        bool engineWhite;
        bool ponder;
    } cases[] = {{true, true}, {false, true}, {false, false}};
    for (const Case& c : cases) {
        XboardSession xb;
        UciSession referee;
        xb.send({"new", c.ponder ? "hard" : "easy", "post", "level 0 0:10 0", "time 1000", "otim 1000"});
        std::string moves = c.engineWhite ? "" : " e2e4";
        xb.engine.send(c.engineWhite ? "go" : "e2e4");
        int hits = 0;
        int misses = 0;
        for (int turn = 0;; turn++) {
            std::string move;
            std::string hint = waitMoveAndHint(xb, move, c.ponder);
            ASSERT_FALSE(move.empty()) << "no move after" << moves;
            ASSERT_TRUE(referee.acceptsMove(positionCommand(moves), move)) << move << " after" << moves;
            moves += " " + move;
            std::vector<std::string> legal = referee.legalMoves(positionCommand(moves));
            if (legal.empty() || turn == 5) break;
            if (c.ponder) {
                ASSERT_FALSE(hint.empty()) << "no hint after" << moves;
            }
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
        if (c.ponder) {
            EXPECT_TRUE(hits > 0 && misses > 0);
        } else {
            EXPECT_EQ(xb.countLines("Hint: "), 0u);
        }
    }
}

TEST(XboardConversation, TimeSetsTheEnginesClockAndOtimTheOpponentsWhicheverSideIsOnTheBoard) {
    struct Case {
        bool engineWhite;
        bool ponder;
    } cases[] = {{true, false}, {true, true}, {false, false}, {false, true}};
    for (const Case& c : cases) {
        XboardSession xb;
        const std::string label = std::string(c.engineWhite ? "White" : "Black") + (c.ponder ? ", pondering" : "");
        // A short clock for the engine (one second): its move comes at once. With the clocks
        // swapped it would think for minutes.
        xb.send({"new", c.ponder ? "hard" : "easy", "level 0 10 0", "time 100", "otim 1000000"});
        xb.engine.send(c.engineWhite ? "go" : "e2e4");
        std::string move;
        std::string hint = waitMoveAndHint(xb, move, c.ponder, 15);
        ASSERT_FALSE(move.empty()) << label << ": thought with the opponent's clock";
        // A long clock for the engine, sent while it ponders on the expected reply (on the board).
        xb.send({"time 1000000", "otim 100"});
        const char* reply = c.engineWhite ? (hint == "g8f6" ? "b8c6" : "g8f6") : (hint == "g1f3" ? "b1c3" : "g1f3");
        xb.engine.send(reply);
        EXPECT_FALSE(xb.engine.waitForPrefix("move ", 1.0)) << label << ": thought with the opponent's clock";
        xb.engine.send("?");
        EXPECT_FALSE(xb.waitMove(10).empty()) << label;
        EXPECT_EQ(xb.countLines("Illegal"), 0u);
    }
}

TEST(XboardConversation, MoveNowNewAndResultEndTheEnginesSearch) {
    XboardSession xb;
    xb.send({"new", "post", "st 60", "go"});
    ASSERT_TRUE(xb.engine.waitForRegex(THINKING_LINE));
    xb.engine.send("?");
    EXPECT_FALSE(xb.waitMove(10).empty());
    // "new" and "result" (with its comment) end the search without a move.
    for (const char* line : {"new", "result 1-0 {White mates}", "result"}) {
        xb.send({"new", "st 60", "go"});
        ASSERT_TRUE(xb.engine.waitForRegex(THINKING_LINE)) << line;
        size_t from = xb.engine.lines().size();
        xb.engine.send(line);
        ASSERT_TRUE(xb.sync(10)) << line;
        EXPECT_EQ(xb.countLines("move ", from), 0u) << line;
    }
    EXPECT_EQ(xb.fen(), START_FEN);
}

TEST(XboardConversation, APonderSearchEndsOnMoveNowForceRemoveAndResult) {
    XboardSession xb;
    UciSession referee;
    std::string move;
    auto startPondering = [&](std::string& moves) {
        xb.send({"new", "hard", "post", "st 1", "go"});
        std::string hint = waitMoveAndHint(xb, move, true);
        moves = " " + move;
        EXPECT_TRUE(xb.engine.waitForRegex(THINKING_LINE));
        return hint;
    };
    std::string moves;
    // "?" ends the ponder search with no move; the expected reply then starts a real search.
    std::string hint = startPondering(moves);
    xb.engine.send("?");
    ASSERT_TRUE(xb.sync());
    EXPECT_EQ(xb.countLines("move "), 1u);
    xb.engine.send(hint);
    EXPECT_FALSE(xb.waitMove(10).empty());
    ASSERT_TRUE(xb.sync());
    EXPECT_EQ(xb.countLines("move "), 2u);
    // In force mode the opponent's move starts nothing.
    hint = startPondering(moves);
    std::string answer = referee.legalMoves(positionCommand(moves)).back();
    size_t from = xb.engine.lines().size();
    xb.send({"force", answer});
    ASSERT_TRUE(xb.sync());
    EXPECT_EQ(xb.countLines("move ", from), 0u);
    expectSameGame(xb, referee, moves + " " + answer);
    // "remove" takes back the engine's move and the opponent's one before it.
    hint = startPondering(moves);
    xb.engine.send(hint);
    std::string second = xb.waitMove(10);
    ASSERT_FALSE(second.empty());
    ASSERT_TRUE(xb.engine.waitForPrefix("Hint: "));
    xb.engine.send("remove");
    ASSERT_TRUE(xb.sync());
    expectSameGame(xb, referee, moves);
    // "easy" and "result" end it for good, its expected reply taken back: no more thinking lines.
    for (const char* line : {"easy", "result 1/2-1/2 {Draw by repetition}"}) {
        startPondering(moves);
        xb.engine.send(line);
        ASSERT_TRUE(xb.sync());
        EXPECT_FALSE(xb.engine.waitForRegex(THINKING_LINE, 1.0)) << line;
        expectSameGame(xb, referee, moves);
    }
    EXPECT_EQ(xb.countLines("Illegal"), 0u);
}

TEST(XboardConversation, AnalysisFollowsTheGameAndExitRestoresTheTimeControl) {
    XboardSession xb;
    xb.send({"new", "st 1", "post", "force", "analyze"});
    ASSERT_TRUE(xb.engine.waitForRegex(THINKING_LINE));
    const std::string whiteFirst = std::string(THINKING_LINE) + "[a-h][12][a-h][34] ";
    // Each change of the game restarts the analysis: the PV starts with a move of the side to move.
    struct Step {
        const char* line;
        std::string pv;
    } steps[] = {{"e2e4", std::string(THINKING_LINE) + "[a-h][78][a-h][56]"},
                 {"undo", whiteFirst},
                 {"setboard 8/8/8/4k3/8/8/8/R3K3 b - - 0 1", std::string(THINKING_LINE) + "e5"},
                 {"new", whiteFirst}};
    for (const Step& step : steps) {
        xb.engine.send(step.line);
        EXPECT_TRUE(xb.engine.waitForRegex(step.pv)) << step.line;
    }
    xb.engine.send("exit");
    ASSERT_TRUE(xb.sync());
    EXPECT_FALSE(xb.engine.waitForRegex(THINKING_LINE, 1.0));
    EXPECT_EQ(xb.countLines("move "), 0u);
    // The game's own time control is back: one second per move.
    xb.engine.send("go");
    EXPECT_FALSE(xb.waitMove(10).empty());
}

TEST(XboardConversation, Chess960CastlesBothWaysInTheGuisNotation) {
    XboardSession xb;
    xb.send({"new", "variant fischerandom", "force", "setboard nrkbqrbn/pppppppp/8/8/8/8/PPPPPPPP/NRKBQRBN w FBfb - 0 1",
             "e2e4", "e7e5", "d2d3", "d8e7", "d1f3", "O-O-O", "e1e2", "d7d6", "h2h3", "a8b6", "g1h2", "h8g6", "O-O"});
    EXPECT_EQ(xb.fen(), "2krqrb1/ppp1bppp/1n1p2n1/4p3/4P3/3P1B1P/PPP1QPPB/NR3RKN b - - 4 13");
    // Its own castling is written the same way; in each position castling is the only mate.
    struct Case {
        const char* variant;
        const char* fen;
        const char* move;
    } cases[] = {{"variant fischerandom", "4rkr1/4p1p1/8/8/8/8/8/5K1R w K - 0 1", "O-O"},
                 {"variant fischerandom", "rk6/8/8/8/8/8/2P1P3/2RKR3 b q - 0 1", "O-O-O"},
                 {"variant normal", "4rkr1/4p1p1/8/8/8/8/8/4K2R w K - 0 1", "e1g1"},
                 {"new", "4rkr1/4p1p1/8/8/8/8/8/4K2R w K - 0 1", "e1g1"}};
    for (const Case& c : cases) {
        xb.send({"new", "variant fischerandom", c.variant, "force", std::string("setboard ") + c.fen, "sd 3", "go"});
        EXPECT_EQ(xb.waitMove(), c.move) << c.fen;
    }
    EXPECT_EQ(xb.countLines("Illegal"), 0u);
}

TEST(XboardConversation, BadLinesNeverHurtTheEngine) {
    XboardSession xb;
    for (const char* line : {"force", "level", "level x", "level 40", "level -1 -5 -3", "level 40 99999999:99 1e30", "st",
                             "st -5", "st 99999999999", "sd", "sd -1", "time", "time x", "otim -5", "ping", "protover",
                             "variant", "variant crazyhouse", "option", "option Clear", "perft", "perft 0",
                             "perft 99999", "usermove e2e4", "e2", "e7e8q", "h2h1n", "\x01\x02\xff", "undo", "remove"})
        xb.engine.send(line);
    xb.engine.send(std::string(100000, 'x'));
    xb.engine.send("e2e4" + std::string(50000, ' '));
    ASSERT_TRUE(xb.sync());
    EXPECT_EQ(xb.fen(), AFTER_E4);
    xb.send({"new", "sd 2", "go"});
    EXPECT_FALSE(xb.waitMove().empty());
}
