// "-buildbook": building a book from PGN on the command line, its refusals, and playing from
// the built book through UCI.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "blackbox/harness.h"
#include "blackbox/uci_session.h"

using blackbox::runEngine;
using blackbox::UciSession;

namespace {

// Every position of these lines has one book move, except the start (d4 or e4).
const std::string GAMES =
    "[Event \"a\"]\n[Result \"1-0\"]\n\n1. d4 Nf6 2. c4 {main line} e6 3. Nf3 b6 4. g3 Bb7 1-0\n\n"
    "[Event \"b\"]\n[Result \"1/2-1/2\"]\n\n1. e4 e5 2. Nf3 Nc6 3. Bc4 (3. Bb5 a6) Bc5 4. O-O Nf6 1/2-1/2\n";

const std::string AFTER_BISHOPS = "position startpos moves e2e4 e7e5 g1f3 b8c6 f1c4 f8c5";

// The book file that "-buildbook" writes for GAMES.
std::string builtBook() {
    const auto run = runEngine({"-buildbook", "games.pgn", "book.bin", "8", "1"}, {}, {{"games.pgn", GAMES}});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.lines.empty());
    EXPECT_EQ(run.errorOutput, "");
    const auto book = run.files.find("book.bin");
    return book == run.files.end() ? "" : book->second;
}

// Asks for a move in `position` and returns it if it came from the book: at once, with no
// search information before it.
std::string bookMove(UciSession& session, const std::string& position) {
    const size_t from = session.engine.lines().size();
    session.engine.send(position);
    session.engine.send("go wtime 60000 btime 60000");
    const std::string move = session.waitBestMove();
    return session.countLines("info", from) == 0 ? move : "searched";
}

}  // namespace

TEST(BookBuild, BuiltBookIsPlayedThroughUci) {
    const std::string book = builtBook();
    ASSERT_EQ(book.substr(0, 4), "BOOK");
    // Eight plies of two games: sixteen positions, the start position shared.
    EXPECT_EQ(book.size(), 12u + 15 * 12 + 16 * 10);

    UciSession session({{"book.bin", book}});
    ASSERT_TRUE(session.handshakeDone);
    session.engine.send("setoption name Book File value book.bin");
    session.engine.send("setoption name OwnBook value true");
    ASSERT_TRUE(session.sync());
    EXPECT_EQ(session.countLines("info string"), 0u);
    EXPECT_EQ(bookMove(session, "position startpos moves d2d4"), "g8f6");
    EXPECT_EQ(bookMove(session, "position startpos moves d2d4 g8f6 c2c4"), "e7e6");
    EXPECT_EQ(bookMove(session, AFTER_BISHOPS), "e1g1");
    const std::string first = bookMove(session, "position startpos");
    EXPECT_TRUE(first == "d2d4" || first == "e2e4") << first;
    session.engine.send("quit");
    EXPECT_EQ(session.engine.waitExit(), 0);
    // Named in the configuration file, the book is on from the start.
    UciSession configured({{"my.bin", book}, {"mirelt.ini", "[Engine]\nBook=1\nBookFile=my.bin\n"}});
    ASSERT_TRUE(configured.handshakeDone);
    EXPECT_EQ(configured.countLines("option name OwnBook type check default true"), 1u);
    EXPECT_EQ(bookMove(configured, AFTER_BISHOPS + " e1g1"), "g8f6");
}

TEST(BookBuild, RefusalsPrintOneLineAndEndWithStatusOne) {
    // Arguments after "-buildbook", and the one error line each gives.
    const std::pair<std::vector<std::string>, std::string> refusals[] = {
        {{"missing.pgn", "book.bin", "8", "1"}, "PGN file not found : missing.pgn"},
        {{"games.pgn", "book.bin", "0", "1"}, "depth '0' is not a number from 1 to 32"},
        {{"games.pgn", "book.bin", "33", "1"}, "depth '33' is not a number from 1 to 32"},
        {{"games.pgn", "book.bin", "deep", "1"}, "depth 'deep' is not a number from 1 to 32"},
        {{"games.pgn", "no/such/book.bin", "8", "1"}, "Error saving opening book : no/such/book.bin"},
        {{".", "book.bin", "8", "1"}, "PGN file cannot be read : ."},
    };
    for (const auto& [args, error] : refusals) {
        std::vector<std::string> command = {"-buildbook"};
        command.insert(command.end(), args.begin(), args.end());
        const auto run = runEngine(command, {}, {{"games.pgn", GAMES}, {"book.bin", "old"}});
        EXPECT_EQ(run.status, 1) << error;
        EXPECT_EQ(run.errorOutput, "-buildbook: " + error + "\n");
        EXPECT_TRUE(run.lines.empty());
        EXPECT_EQ(run.files.at("book.bin"), "old");
    }
}
