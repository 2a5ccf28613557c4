// Self-play: the program plays short clock games against itself through UCI. A third
// instance referees: every move must be legal, and a "bestmove 0000" must mean the game is over.
#include <algorithm>
#include <chrono>
#include <string>

#include "blackbox/uci_session.h"

using blackbox::UciSession;

namespace {

constexpr int PLY_CAP = 60;
constexpr double START_CLOCK_MS = 3000.0;
constexpr double INCREMENT_MS = 50.0;
// The replies may come late on a slow or emulated machine; only a missing reply fails.
constexpr double REPLY_MARGIN_SECONDS = 15.0;

std::string positionCommand(const std::string& moves) {
    return moves.empty() ? "position startpos" : "position startpos moves" + moves;
}

// The referee's count of legal moves in the position that `position` sets up.
long legalMoveCount(UciSession& referee, const std::string& position) {
    referee.engine.send(position);
    referee.engine.send("perft 1");
    if (!referee.engine.waitForPrefix("Nodes = ")) return -1;
    long count = std::stol(referee.engine.lastMatch().substr(8));
    referee.sync();
    return count;
}

// Plays one game from `opening` (coordinate moves, each with a leading blank); returns the plies.
int playGame(UciSession* players[2], UciSession& referee, std::string moves, int firstMover) {
    double clockMs[2] = {START_CLOCK_MS, START_CLOCK_MS};
    for (UciSession* player : {players[0], players[1]}) {
        player->engine.send("ucinewgame");
        EXPECT_TRUE(player->sync());
    }
    int ply = 0;
    for (int side = firstMover; ply < PLY_CAP; ply++, side ^= 1) {
        const std::string position = positionCommand(moves);
        UciSession& mover = *players[side];
        // Colour index 1 is White: it moves at even plies of a game from the start position.
        const bool whiteToMove = side == firstMover;
        const double white = whiteToMove ? clockMs[side] : clockMs[side ^ 1];
        const double black = whiteToMove ? clockMs[side ^ 1] : clockMs[side];
        mover.engine.send(position);
        mover.engine.send("go wtime " + std::to_string(long(white)) + " btime " + std::to_string(long(black)) +
                          " winc " + std::to_string(long(INCREMENT_MS)) + " binc " +
                          std::to_string(long(INCREMENT_MS)));
        auto started = std::chrono::steady_clock::now();
        std::string best = mover.waitBestMove(clockMs[side] / 1000.0 + REPLY_MARGIN_SECONDS);
        double usedMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
        EXPECT_FALSE(best.empty()) << "no reply at ply " << ply << " after" << moves;
        if (best.empty()) break;
        if (best == "0000") {
            EXPECT_EQ(legalMoveCount(referee, position), 0) << "no move given with legal moves left:" << moves;
            break;
        }
        EXPECT_TRUE(referee.acceptsMove(position, best)) << best << " is illegal after" << moves;
        moves += " " + best;
        clockMs[side] = std::max(50.0, clockMs[side] - usedMs) + INCREMENT_MS;
        if (legalMoveCount(referee, positionCommand(moves)) == 0) {
            ply++;
            break;
        }
    }
    return ply;
}

}  // namespace

TEST(SelfPlay, ShortClockGamesHaveOnlyLegalMovesAndNoLostReplies) {
    UciSession first;
    UciSession second;
    UciSession referee;
    ASSERT_TRUE(first.handshakeDone && second.handshakeDone && referee.handshakeDone);
    UciSession* players[2] = {&first, &second};
    struct Game {
        const char* opening;
        int firstMover;
    } games[] = {{"", 0}, {" e2e4 c7c5", 1}};
    for (const Game& game : games) {
        int plies = playGame(players, referee, game.opening, game.firstMover);
        EXPECT_GT(plies, 0);
        if (::testing::Test::HasFailure()) break;
    }
    for (UciSession* session : {&first, &second, &referee}) {
        session->engine.send("quit");
        EXPECT_EQ(session->engine.waitExit(), 0);
    }
}
